// Panel routines shared by the windows: buttons that fill their panels, and panels used as buttons.
#pragma once

namespace ui {
class Control;
class Panel;
}  // namespace ui

// Places the button at the panel's top-left corner with the panel's width and height.
void FitToPanel(ui::Control* button, ui::Panel* panel);
// The control's top plus its height.
int ControlBottom(const ui::Control* control);
// Sets both bevels of the panel to raised.
void RaisePanel(ui::Panel* panel);
// Sets both bevels of the panel to lowered.
void LowerPanel(ui::Panel* panel);
