#include "platform/ui/fltk/dialogs.h"

#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <filesystem>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/paint.h"
#include "platform/ui/form.h"

namespace ui::fltk {

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 420;

}  // namespace

MessageBoxButtons messageBoxButtons(MessageButtons b) {
  switch (b) {
    case MessageButtons::Ok:
      return {{{"OK", ModalResult::Ok}}, ModalResult::Ok};
    case MessageButtons::OkCancel:
      return {{{"OK", ModalResult::Ok}, {"Cancel", ModalResult::Cancel}}, ModalResult::Cancel};
    case MessageButtons::YesNo:
      return {{{"&Yes", ModalResult::Yes}, {"&No", ModalResult::No}}, ModalResult::None};
    case MessageButtons::YesNoCancel:
      return {{{"&Yes", ModalResult::Yes}, {"&No", ModalResult::No}, {"Cancel", ModalResult::Cancel}},
              ModalResult::Cancel};
  }
  return {{{"OK", ModalResult::Ok}}, ModalResult::Ok};
}

ModalResult runMessageBox(const MessageBoxRequest& request) {
  Owned<Form> box(createForm<Form>(nullptr));
  box->setName("MessageBox");
  box->setCaption(request.caption.empty() ? app().title() : request.caption);
  box->setBorderStyle(BorderStyle::Dialog);
  MessageBoxButtons spec = messageBoxButtons(request.buttons);
  box->setBorderIcons(spec.cancel == ModalResult::None ? 0 : kSystemMenu);
  Form* main = mainForm();
  box->setPosition(main && main->visible() ? FormPosition::MainFormCenter : FormPosition::ScreenCenter);

  // The icon: a coloured disc with its sign.
  Color disc = clBlue;
  const char* sign = "i";
  switch (request.kind) {
    case MessageKind::Error:
      disc = clRed;
      sign = "X";
      break;
    case MessageKind::Warning:
      disc = clYellow;
      sign = "!";
      break;
    case MessageKind::Information:
      break;
    case MessageKind::Confirmation:
      sign = "?";
      break;
  }
  auto* icon = new Shape(box.get());
  icon->setParent(box.get());
  icon->setShape(ShapeType::Circle);
  icon->setBrushColor(disc);
  icon->setBounds(kMargin, kMargin, kIconSize, kIconSize);
  auto* iconSign = new Label(box.get());
  iconSign->setParent(box.get());
  iconSign->setAutoSize(false);
  iconSign->setTransparent(true);
  iconSign->setAlignment(Alignment::Center);
  Font signFont;
  signFont.size = 14;
  signFont.bold = true;
  signFont.color = request.kind == MessageKind::Warning ? clBlack : clWhite;
  iconSign->setFont(signFont);
  iconSign->setCaption(sign);
  int signHeight = measureText(signFont, sign).height;
  iconSign->setBounds(kMargin, kMargin + (kIconSize - signHeight) / 2, kIconSize, signHeight);

  std::string text = lineBreaksAsLineFeeds(request.text);
  auto* message = new Label(box.get());
  message->setName("Message");
  message->setParent(box.get());
  message->setAutoSize(false);
  message->setWordWrap(true);
  message->setTransparent(true);
  message->setCaption(text);
  useFont(message->font());
  int tw = kMaxTextWidth;
  int th = 0;
  fl_measure(text.c_str(), tw, th, 0);
  int textLeft = kMargin + kIconSize + kMargin;
  message->setBounds(textLeft, kMargin + std::max(0, (kIconSize - th) / 2), tw + 4, th);

  int n = static_cast<int>(spec.buttons.size());
  int rowWidth = n * kButtonWidth + (n - 1) * kButtonGap;
  int width = std::max(textLeft + tw + 4 + kMargin, rowWidth + 2 * kMargin);
  int buttonsTop = kMargin + std::max(kIconSize, th) + kMargin;
  int x = (width - rowWidth) / 2;
  for (int i = 0; i < n; ++i) {
    auto* b = new Button(box.get());
    b->setParent(box.get());
    b->setCaption(spec.buttons[static_cast<size_t>(i)].first);
    b->setModalResult(spec.buttons[static_cast<size_t>(i)].second);
    const ModalResult result = spec.buttons[static_cast<size_t>(i)].second;
    b->setDefault(request.defaultButton == ModalResult::None ? i == 0 : result == request.defaultButton);
    b->setCancel(spec.buttons[static_cast<size_t>(i)].second == spec.cancel);
    b->setBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    x += kButtonWidth + kButtonGap;
  }
  box->setBounds(box->left(), box->top(), width, buttonsTop + kButtonHeight + kMargin);
  ModalResult r = box->showModal();
  // A box without a close box can only be answered with its buttons.
  if (r == ModalResult::Cancel && spec.cancel != ModalResult::Cancel) r = spec.cancel;
  if (r == ModalResult::None) r = spec.buttons.back().second;
  return r;
}

std::optional<std::string> runFileDialog(const FileDialogRequest& request) {
  std::string dir = request.initialDir.empty() ? std::string(".") : request.initialDir;
  std::string filter = toolkitFilter(request.filter);
  std::string title = request.title.empty() ? (request.save ? "Save As" : "Open") : request.title;
  Fl_File_Chooser chooser(dir.c_str(), filter.empty() ? "*" : filter.c_str(),
                          request.save ? Fl_File_Chooser::CREATE : Fl_File_Chooser::SINGLE, title.c_str());
  if (!request.fileName.empty()) {
    std::filesystem::path p(request.fileName);
    if (p.is_relative()) p = std::filesystem::path(dir) / p;
    chooser.value(p.string().c_str());
  }
  chooser.show();
  // The chooser is modal for the toolkit; the application's messages and timers keep running.
  while (chooser.shown() && !app().terminated()) {
    app().processMessages();
    app().idle();
  }
  chooser.hide();
  if (chooser.count() < 1 || !chooser.value()) return std::nullopt;
  std::string chosen = chooser.value();
  if (chosen.empty()) return std::nullopt;
  return chosen;
}

}  // namespace ui::fltk
