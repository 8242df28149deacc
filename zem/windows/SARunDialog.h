// The box shown while the fixture runs its stand-alone program: one "Stop" button (modal result 1).
#pragma once

#include "zem/windows/MessageDialogBase.h"

class TSARunForm final : public MessageDialogBase {
 public:
  explicit TSARunForm(ui::Component* owner);
  void FormCreate(ui::Component* sender);
};
