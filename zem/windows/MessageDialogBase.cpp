#include "zem/windows/MessageDialogBase.h"

#include <algorithm>

#include "zem/windows/DialogLook.h"
#include "zem/windows/PanelUtils.h"

namespace {
// re1's height for a line or two; the box grows from here.
constexpr int kTextAreaHeight = 97;
}  // namespace

MessageDialogBase::MessageDialogBase(ui::Component* owner, const char* formName) : ui::Form(owner) {
  setName(formName);
  setClientSize(320, 146);
  re1 = ui::make<ui::RichEdit>(this, this, "re1", 0, 0, 320, kTextAreaHeight);
  re1->setAlign(ui::Align::Top);
  re1->setBorder(false);
  re1->setReadOnly(true);
  re1->setEnabled(false);
  re1->setScrollBars(ui::ScrollStyle::Both);
  re1->setColor(ui::clWhite);
  PanelButton ok = MakePanelButton(this, this, "pOk", "sbOk", 128, 121, 64, 25);
  pOk = ok.panel;
  sbOk = ok.button;
  sbOk->onClick = [this](ui::Component* s) { sbOkClick(s); };
}

void MessageDialogBase::SetUpMessageBox(ZemStr caption, ZemStr buttonCaption) {
  ApplyDialogLook(*this, 0, true);
  SetBoldDialogFont(*this);
  setCaption(ZemString(caption));
  sbOk->setCaption(ZemString(buttonCaption));
  FitToPanel(sbOk, pOk);
}

void MessageDialogBase::AddText(const std::string& text) {
  re1->lines().add(text);
  FitTextArea();
}

void MessageDialogBase::FitTextArea() {
  const int most = std::max(kTextAreaHeight, ui::backend().screenSize().height * 3 / 5);
  const int wanted = std::clamp(re1->heightForText(), kTextAreaHeight, most);
  const int grow = wanted - re1->height();
  if (grow == 0) return;
  const int oldBottom = re1->top() + re1->height();
  re1->setHeight(wanted);
  for (ui::Control* c : controls()) {
    if (c != re1 && c->top() >= oldBottom) c->setTop(c->top() + grow);
  }
}

void MessageDialogBase::keyDown(uint16_t& key, ui::ShiftState shift) {
  ui::Form::keyDown(key, shift);
  // A flat button takes no focus, so the box itself sees the key; the information box holds the button
  // back until its delay has passed, and Enter with it.
  if (key == ui::vk::Return && sbOk->showing() && sbOk->effectivelyEnabled()) {
    key = 0;
    sbOk->click();
  }
}

void MessageDialogBase::sbOkClick(ui::Component*) {
  setModalResult(ui::ModalResult::Ok);
}
