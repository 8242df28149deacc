#include "zem/windows/SaveMemoryDialog.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TSaveMemoryForm::TSaveMemoryForm(ui::Component* owner) : ui::Form(owner) {
  setName("SaveMemoryForm");
  setClientSize(400, 265);
  Panel2 = new ui::Panel(this);
  Panel2->setName("Panel2");
  Panel2->setParent(this);
  Panel2->setBounds(0, 0, 400, 24);
  Panel2->setAlign(ui::Align::Top);
  Panel1 = new ui::Panel(this);
  Panel1->setName("Panel1");
  Panel1->setParent(this);
  Panel1->setBounds(0, 224, 400, 41);
  Panel1->setAlign(ui::Align::Bottom);
  Re1 = new ui::RichEdit(this);
  Re1->setName("Re1");
  Re1->setParent(this);
  Re1->setAlign(ui::Align::Client);
  Re1->setScrollBars(ui::ScrollStyle::Both);
  Re1->setColor(ui::clWhite);
  PanelButton save = MakePanelButton(this, Panel1, "pSave", "sbSave", 96, 8, 100, 25);
  pSave = save.panel;
  sbSave = save.button;
  PanelButton cancel = MakePanelButton(this, Panel1, "pCancel", "sbCancel", 204, 8, 100, 25);
  pCancel = cancel.panel;
  sbCancel = cancel.button;
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
