#include "zem/windows/PanelUtils.h"

#include "platform/ui/controls.h"

void FitToPanel(ui::Control* button, ui::Panel* panel) {
  if (!button || !panel) return;
  button->setBounds(0, 0, panel->width(), panel->height());
}

int ControlBottom(const ui::Control* control) {
  if (!control) return 0;
  return control->top() + control->height();
}

void RaisePanel(ui::Panel* panel) {
  if (!panel) return;
  panel->setBevelOuter(ui::BevelCut::Raised);
  panel->setBevelInner(ui::BevelCut::Raised);
}

void LowerPanel(ui::Panel* panel) {
  if (!panel) return;
  panel->setBevelOuter(ui::BevelCut::Lowered);
  panel->setBevelInner(ui::BevelCut::Lowered);
}
