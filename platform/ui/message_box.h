// Modal message boxes.
//
// Headless: a box is recorded and answered by the installed responder, which
// runs inside the box's modal loop (pending messages and timers are processed
// first, as they would be while a real box is up). Without a responder the box
// is answered with its default button.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace ui {

enum class MessageKind { Error, Warning, Information, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct MessageBoxRequest {
  MessageKind kind = MessageKind::Error;
  std::string caption;
  std::string text;
  MessageButtons buttons = MessageButtons::Ok;
  // The button Enter answers (and a box nobody answers gives); None: the first button.
  ModalResult defaultButton = ModalResult::None;
};

using MessageBoxResponder = std::function<ModalResult(const MessageBoxRequest&)>;

// Shows a modal box and returns the button chosen.
ModalResult messageBox(const MessageBoxRequest& request);
// The class library's error box with one OK button.
void showErrorBox(const std::string& text);

// Test hooks.
void setMessageBoxResponder(MessageBoxResponder responder);
const std::vector<MessageBoxRequest>& shownMessageBoxes();
void clearShownMessageBoxes();

}  // namespace ui
