#include "zem/windows/UploadMemProgressForm.h"

#include "zem/windows/DialogLook.h"

TUploadMemProgress::TUploadMemProgress(ui::Component* owner) : ui::Form(owner) {
  setName("UploadMemProgress");
  setClientSize(320, 32);
  pg1 = MakeProgressBar(*this, "pg1", 304);
  FormCreate(this);
}

void TUploadMemProgress::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, 0, true);
  setFormStyle(ui::FormStyle::StayOnTop);
}
