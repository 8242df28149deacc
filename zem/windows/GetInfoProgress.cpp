#include "zem/windows/GetInfoProgress.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/ZemStrings.h"

TFormGetInfoProgress::TFormGetInfoProgress(ui::Component* owner) : ui::Form(owner) {
  setName("FormGetInfoProgress");
  setClientSize(357, 31);
  pg = new ui::ProgressBar(this);
  pg->setName("pg");
  pg->setParent(this);
  pg->setBounds(8, 8, 341, 16);
  pg->setMin(0);
  pg->setMax(100);
  pg->setSmooth(true);
  FormCreate(this);
}

void TFormGetInfoProgress::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, ui::kSystemMenu, false);
  setCaption(ZemString(ZemStr::FfGetInfoCaption));
}
