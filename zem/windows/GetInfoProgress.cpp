#include "zem/windows/GetInfoProgress.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/ZemStrings.h"

TFormGetInfoProgress::TFormGetInfoProgress(ui::Component* owner) : ui::Form(owner) {
  setName("FormGetInfoProgress");
  setClientSize(357, 31);
  pg = MakeProgressBar(*this, "pg", 341);
  FormCreate(this);
}

void TFormGetInfoProgress::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, ui::kSystemMenu, false);
  setCaption(ZemString(ZemStr::FfGetInfoCaption));
}
