#include "zem/windows/EEpromUploadNotes.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TEEpromUploadForm::TEEpromUploadForm(ui::Component* owner) : ui::Form(owner) {
  setName("EEpromUploadForm");
  const NotesDialogParts parts = BuildNotesDialog(*this, "pOk", "sbOk");
  Panel2 = parts.captionStrip;
  Panel1 = parts.buttonStrip;
  Re1 = parts.notes;
  Re1->setReadOnly(true);
  Re1->setEnabled(false);
  pOk = parts.accept.panel;
  sbOk = parts.accept.button;
  pCancel = parts.cancel.panel;
  sbCancel = parts.cancel.button;
  sbOk->onClick = [this](ui::Component* s) { sbOkClick(s); };
  sbCancel->onClick = [this](ui::Component* s) { sbCancelClick(s); };
  FormCreate(this);
}

void TEEpromUploadForm::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, 0, true);
  setFormStyle(ui::FormStyle::StayOnTop);
  Re1->setColor(ui::clSilver);
  Panel2->setCaption(ZemString(ZemStr::MemoryFileNotes));
  sbOk->setCaption(ZemString(ZemStr::Ok));
  sbCancel->setCaption(ZemString(ZemStr::Cancel));
  FitToPanel(sbOk, pOk);
  FitToPanel(sbCancel, pCancel);
}

void TEEpromUploadForm::sbOkClick(ui::Component*) {
  setModalResult(ui::ModalResult::Ok);
}

void TEEpromUploadForm::sbCancelClick(ui::Component*) {
  setModalResult(ui::ModalResult::Cancel);
}
