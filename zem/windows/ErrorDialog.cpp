#include "zem/windows/ErrorDialog.h"

TErrorForm::TErrorForm(ui::Component* owner) : MessageDialogBase(owner, "ErrorForm") {
  FormCreate(this);
}

void TErrorForm::FormCreate(ui::Component*) {
  SetUpMessageBox(ZemStr::ErrorCaption, ZemStr::Ok);
  re1->setColor(ui::clRed);
  ui::Font f = re1->font();
  f.bold = true;
  f.size = 8;
  f.color = ui::clWhite;
  re1->setFont(f);
}
