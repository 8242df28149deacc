#include "zem/windows/DownloadMemProgressForm.h"

#include "zem/link/ZEMData.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TDownloadMemform::TDownloadMemform(ui::Component* owner) : ui::Form(owner) {
  setName("DownloadMemform");
  setClientSize(320, 65);
  pg1 = MakeProgressBar(*this, "pg1", 304);
  PanelButton cancel = MakePanelButton(this, this, "pCancel", "sbCancel", 128, 32, 64, 25);
  pCancel = cancel.panel;
  sbCancel = cancel.button;
  sbCancel->onClick = [this](ui::Component* s) { sbCancelClick(s); };
  FormCreate(this);
}

void TDownloadMemform::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, 0, true);
  setFormStyle(ui::FormStyle::StayOnTop);
  setCaption(ZemString(ZemStr::DownloadMemCaption));
  sbCancel->setCaption(ZemString(ZemStr::Cancel));
  FitToPanel(sbCancel, pCancel);
}

void TDownloadMemform::SetProgress(int position, int maximum) {
  pg1->setMax(maximum);
  pg1->setPosition(position);
  sbCancel->setCaption(ZemString(ZemStr::Cancel));
}

void TDownloadMemform::sbCancelClick(ui::Component*) {
  DownloadAbort = true;
}
