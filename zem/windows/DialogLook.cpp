#include "zem/windows/DialogLook.h"

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "zem/windows/PanelUtils.h"

void ApplyDialogLook(ui::Form& form, ui::BorderIcons icons, bool autoSize) {
  form.setColor(kZemGrey);
  form.setBorderStyle(ui::BorderStyle::SizeToolWin);
  form.setBorderIcons(icons);
  form.setPosition(ui::FormPosition::OwnerFormCenter);
  form.setAutoSize(autoSize);
}

void SetBoldDialogFont(ui::Form& form) {
  ui::Font f = form.font();
  f.bold = true;
  f.size = 8;
  form.setFont(f);
}

PanelButton MakePanelButton(ui::Component* owner, ui::WinControl* parent, const char* panelName,
                            const char* buttonName, int left, int top, int width, int height) {
  PanelButton pb;
  pb.panel = new ui::Panel(owner);
  pb.panel->setName(panelName);
  pb.panel->setParent(parent);
  pb.panel->setBounds(left, top, width, height);
  pb.button = new ui::SpeedButton(owner);
  pb.button->setName(buttonName);
  pb.button->setParent(pb.panel);
  pb.button->setFlat(true);
  FitToPanel(pb.button, pb.panel);
  return pb;
}
