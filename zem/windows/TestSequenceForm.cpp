#include "zem/windows/TestSequenceForm.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TTestSequenceDialog::TTestSequenceDialog(ui::Component* owner) : ui::Form(owner) {
  setName("TestSequenceDialog");
  setClientSize(250, 81);
  Panel1 = ui::make<ui::Panel>(this, this, "Panel1", 8, 8, 234, 32);
  PanelButton cancel = MakePanelButton(this, this, "pCancel", "sbCancel", 85, 48, 80, 25);
  pCancel = cancel.panel;
  sbCancel = cancel.button;
  sbCancel->onClick = [this](ui::Component* s) { sbCancelClick(s); };
  FormCreate(this);
}

void TTestSequenceDialog::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, 0, true);
  Panel1->setColor(ui::clWhite);
  Panel1->setCaption(ZemString(ZemStr::FfTestSequence));
  sbCancel->setCaption(ZemString(ZemStr::Stop));
  FitToPanel(sbCancel, pCancel);
}

void TTestSequenceDialog::sbCancelClick(ui::Component*) {
  setModalResult(ui::ModalResult::Cancel);
}
