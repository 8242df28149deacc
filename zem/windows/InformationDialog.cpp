#include "zem/windows/InformationDialog.h"

#include "platform/sys/clock.h"

TInformationForm::TInformationForm(ui::Component* owner) : MessageDialogBase(owner, "InformationForm") {
  pgOKDelay = ui::make<ui::ProgressBar>(this, this, "pgOKDelay", 8, 103, 304, 12);
  pgOKDelay->setSmooth(true);
  pgOKDelay->setVisible(false);
  Timer1 = new ui::Timer(this, 100);
  Timer1->setName("Timer1");
  Timer1->setEnabled(false);
  Timer1->onTimer = [this] { Timer1Timer(); };
  FormCreate(this);
}

void TInformationForm::FormCreate(ui::Component*) {
  SetUpMessageBox(ZemStr::InformationCaption, ZemStr::Ok);
}

void TInformationForm::SetOKDelay(int ms) {
  okDelay_ = ms < 0 ? 0 : ms;
  delayStart_ = sys::tickCount();
  pgOKDelay->setVisible(true);
  pgOKDelay->setMax(okDelay_ / 10);
  sbOk->setEnabled(false);
  Timer1->setEnabled(true);
}

void TInformationForm::Timer1Timer() {
  // Modulo 2^32, so the tick counter's wrap neither ends nor lengthens the delay.
  uint32_t elapsed = sys::elapsedMs(delayStart_, sys::tickCount());
  pgOKDelay->setPosition(static_cast<int>(elapsed / 10));
  if (elapsed > static_cast<uint32_t>(okDelay_)) {
    sbOk->setEnabled(true);
    pgOKDelay->setPosition(pgOKDelay->max());
    Timer1->setEnabled(false);
  }
}
