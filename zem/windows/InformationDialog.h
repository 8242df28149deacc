// The information box: text on white and one "Ok" button (modal result 1), which SetOKDelay can hold
// back for a while, showing the time passing on a bar.
#pragma once

#include <cstdint>

#include "platform/ui/application.h"
#include "zem/windows/MessageDialogBase.h"

class TInformationForm final : public MessageDialogBase {
 public:
  explicit TInformationForm(ui::Component* owner);

  ui::ProgressBar* pgOKDelay;
  ui::Timer* Timer1;

  // Keeps "Ok" disabled until more than ms milliseconds have passed (call after AddText, before
  // ShowModal). A negative delay counts as 0.
  void SetOKDelay(int ms);
  int OKDelay() const { return okDelay_; }
  uint32_t DelayStart() const { return delayStart_; }

  void FormCreate(ui::Component* sender);
  void Timer1Timer();

 private:
  int okDelay_ = 0;
  uint32_t delayStart_ = 0;
};
