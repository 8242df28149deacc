// The look shared by the program's small dialogs.
#pragma once

#include "platform/ui/form.h"

namespace ui {
class Panel;
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
