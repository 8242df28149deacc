#include "platform/ui/message_box.h"

#include "platform/ui/application.h"
#include "platform/ui/backend.h"

namespace ui {

namespace {
MessageBoxResponder g_responder;
std::vector<MessageBoxRequest> g_shown;

ModalResult defaultButton(MessageButtons b) {
  switch (b) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
      return ModalResult::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return ModalResult::Yes;
  }
  return ModalResult::Ok;
}
}  // namespace

ModalResult messageBox(const MessageBoxRequest& request) {
  g_shown.push_back(request);
  // The modal loop keeps the application's messages and timers going.
  app().processMessages();
  if (g_responder) return g_responder(request);
  if (backend().interactive()) return backend().messageBox(request);
  if (request.defaultButton != ModalResult::None) return request.defaultButton;
  return defaultButton(request.buttons);
}

void showErrorBox(const std::string& text) {
  messageBox({MessageKind::Error, "Error", text, MessageButtons::Ok});
}

void setMessageBoxResponder(MessageBoxResponder responder) {
  g_responder = std::move(responder);
}

const std::vector<MessageBoxRequest>& shownMessageBoxes() {
  return g_shown;
}

void clearShownMessageBoxes() {
  g_shown.clear();
}

namespace detail {
void resetMessageBoxes() {
  g_responder = nullptr;
  g_shown.clear();
}
}  // namespace detail

}  // namespace ui
