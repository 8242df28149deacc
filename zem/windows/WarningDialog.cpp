#include "zem/windows/WarningDialog.h"

TWarningForm::TWarningForm(ui::Component* owner) : MessageDialogBase(owner, "WarningForm") {
  FormCreate(this);
}

void TWarningForm::FormCreate(ui::Component*) {
  SetUpMessageBox(ZemStr::WarningCaption, ZemStr::Ok);
}
