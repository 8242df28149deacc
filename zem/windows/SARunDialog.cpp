#include "zem/windows/SARunDialog.h"

TSARunForm::TSARunForm(ui::Component* owner) : MessageDialogBase(owner, "SARunForm") {
  FormCreate(this);
}

void TSARunForm::FormCreate(ui::Component*) {
  SetUpMessageBox(ZemStr::InformationCaption, ZemStr::Stop);
}
