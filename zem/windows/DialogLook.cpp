#include "zem/windows/DialogLook.h"

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
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

NotesDialogParts BuildNotesDialog(ui::Form& form, const char* acceptPanelName, const char* acceptButtonName) {
  NotesDialogParts parts;
  form.setClientSize(400, 265);
  parts.captionStrip = new ui::Panel(&form);
  parts.captionStrip->setName("Panel2");
  parts.captionStrip->setParent(&form);
  parts.captionStrip->setBounds(0, 0, 400, 24);
  parts.captionStrip->setAlign(ui::Align::Top);
  parts.buttonStrip = new ui::Panel(&form);
  parts.buttonStrip->setName("Panel1");
  parts.buttonStrip->setParent(&form);
  parts.buttonStrip->setBounds(0, 224, 400, 41);
  parts.buttonStrip->setAlign(ui::Align::Bottom);
  parts.notes = new ui::RichEdit(&form);
  parts.notes->setName("Re1");
  parts.notes->setParent(&form);
  parts.notes->setAlign(ui::Align::Client);
  parts.notes->setScrollBars(ui::ScrollStyle::Both);
  parts.accept = MakePanelButton(&form, parts.buttonStrip, acceptPanelName, acceptButtonName, 96, 8, 100, 25);
  parts.cancel = MakePanelButton(&form, parts.buttonStrip, "pCancel", "sbCancel", 204, 8, 100, 25);
  return parts;
}

ui::ProgressBar* MakeProgressBar(ui::Form& form, const char* name, int width) {
  auto* bar = new ui::ProgressBar(&form);
  bar->setName(name);
  bar->setParent(&form);
  bar->setBounds(8, 8, width, 16);
  bar->setMin(0);
  bar->setMax(100);
  bar->setSmooth(true);
  return bar;
}
