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
  pb.panel = ui::make<ui::Panel>(owner, parent, panelName, left, top, width, height);
  pb.button = ui::make<ui::SpeedButton>(owner, pb.panel, buttonName);
  pb.button->setFlat(true);
  FitToPanel(pb.button, pb.panel);
  return pb;
}

NotesDialogParts BuildNotesDialog(ui::Form& form, const char* acceptPanelName, const char* acceptButtonName) {
  NotesDialogParts parts;
  form.setClientSize(400, 265);
  parts.captionStrip = ui::make<ui::Panel>(&form, &form, "Panel2", 0, 0, 400, 24);
  parts.captionStrip->setAlign(ui::Align::Top);
  parts.buttonStrip = ui::make<ui::Panel>(&form, &form, "Panel1", 0, 224, 400, 41);
  parts.buttonStrip->setAlign(ui::Align::Bottom);
  parts.notes = ui::make<ui::RichEdit>(&form, &form, "Re1");
  parts.notes->setAlign(ui::Align::Client);
  parts.notes->setScrollBars(ui::ScrollStyle::Both);
  parts.accept = MakePanelButton(&form, parts.buttonStrip, acceptPanelName, acceptButtonName, 96, 8, 100, 25);
  parts.cancel = MakePanelButton(&form, parts.buttonStrip, "pCancel", "sbCancel", 204, 8, 100, 25);
  return parts;
}

ui::ProgressBar* MakeProgressBar(ui::Form& form, const char* name, int width) {
  auto* bar = ui::make<ui::ProgressBar>(&form, &form, name, 8, 8, width, 16);
  bar->setMin(0);
  bar->setMax(100);
  bar->setSmooth(true);
  return bar;
}
