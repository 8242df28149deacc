#include "zem/windows/SaveMemoryDialog.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TSaveMemoryForm::TSaveMemoryForm(ui::Component* owner) : ui::Form(owner) {
  setName("SaveMemoryForm");
  const NotesDialogParts parts = BuildNotesDialog(*this, "pSave", "sbSave");
  Panel2 = parts.captionStrip;
  Panel1 = parts.buttonStrip;
  Re1 = parts.notes;
  Re1->setColor(ui::clWhite);
  pSave = parts.accept.panel;
  sbSave = parts.accept.button;
  pCancel = parts.cancel.panel;
  sbCancel = parts.cancel.button;
  sbSave->onClick = [this](ui::Component* s) { sbSaveClick(s); };
  sbCancel->onClick = [this](ui::Component* s) { sbCancelClick(s); };
  FormCreate(this);
}

void TSaveMemoryForm::FormCreate(ui::Component*) {
  ApplyDialogLook(*this, ui::kSystemMenu, true);
  setCaption(ZemString(ZemStr::SaveMemoryCaption));
  Panel2->setCaption(ZemString(ZemStr::MemoryFileNotes));
  sbSave->setCaption(ZemString(ZemStr::SaveToFile));
  sbCancel->setCaption(ZemString(ZemStr::Cancel));
  FitToPanel(sbSave, pSave);
  FitToPanel(sbCancel, pCancel);
}

void TSaveMemoryForm::sbSaveClick(ui::Component*) {
  setModalResult(ui::ModalResult::Ok);
}

void TSaveMemoryForm::sbCancelClick(ui::Component*) {
  setModalResult(ui::ModalResult::Cancel);
}
