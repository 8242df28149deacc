#include "zem/windows/UploadMemProgressForm.h"

#include "zem/windows/DialogLook.h"

TUploadMemProgress::TUploadMemProgress(ui::Component* owner) : ui::Form(owner) {
  setName("UploadMemProgress");
  setClientSize(320, 32);
  pg1 = new ui::ProgressBar(this);
  pg1->setName("pg1");
  pg1->setParent(this);
  pg1->setBounds(8, 8, 304, 16);
  pg1->setMin(0);
  pg1->setMax(100);
  pg1->setSmooth(true);
  FormCreate(this);
}

void TUploadMemProgress::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, 0, true);
  setFormStyle(ui::FormStyle::StayOnTop);
}
