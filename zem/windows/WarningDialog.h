// The warning box: text on white, one "Ok" button (modal result 1).
#pragma once

#include "zem/windows/MessageDialogBase.h"

class TWarningForm final : public MessageDialogBase {
 public:
  explicit TWarningForm(ui::Component* owner);
  void FormCreate(ui::Component* sender);
};
