// The look shared by the program's small dialogs.
#pragma once

#include "platform/ui/form.h"

namespace ui {
class Panel;
class ProgressBar;
class RichEdit;
class SpeedButton;
}  // namespace ui

// The grey of every window of the program.
inline constexpr ui::Color kZemGrey = 0xBDBDBD;

// Grey, a sizeable tool window centred on its owner; border icons only as asked; sized to its contents
// when autoSize is set.
void ApplyDialogLook(ui::Form& form, ui::BorderIcons icons, bool autoSize);
// Bold 8-point window font.
void SetBoldDialogFont(ui::Form& form);

// A small panel holding one flat speed button (the button fills the panel).
struct PanelButton {
  ui::Panel* panel = nullptr;
  ui::SpeedButton* button = nullptr;
};
PanelButton MakePanelButton(ui::Component* owner, ui::WinControl* parent, const char* panelName,
                            const char* buttonName, int left, int top, int width, int height);

// The layout of the two memory-file notes dialogs (400 x 265): a caption strip on top ("Panel2"), the
// notes filling the middle ("Re1", scroll bars both ways) and a strip at the bottom ("Panel1") with the
// accepting button left of "Cancel".
struct NotesDialogParts {
  ui::Panel* captionStrip = nullptr;
  ui::RichEdit* notes = nullptr;
  ui::Panel* buttonStrip = nullptr;
  PanelButton accept;
  PanelButton cancel;
};
NotesDialogParts BuildNotesDialog(ui::Form& form, const char* acceptPanelName, const char* acceptButtonName);

// The bar of the program's progress windows: at (8, 8), 16 high, 0 to 100, smooth.
ui::ProgressBar* MakeProgressBar(ui::Form& form, const char* name, int width);
