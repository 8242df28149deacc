#include "zem/windows/EEpromUploadNotes.h"

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemStrings.h"

TEEpromUploadForm::TEEpromUploadForm(ui::Component* owner) : ui::Form(owner) {
  setName("EEpromUploadForm");
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
  Re1->setReadOnly(true);
  Re1->setEnabled(false);
  PanelButton ok = MakePanelButton(this, Panel1, "pOk", "sbOk", 96, 8, 100, 25);
  pOk = ok.panel;
  sbOk = ok.button;
  PanelButton cancel = MakePanelButton(this, Panel1, "pCancel", "sbCancel", 204, 8, 100, 25);
  pCancel = cancel.panel;
  sbCancel = cancel.button;
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
