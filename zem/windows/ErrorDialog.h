// The error box: white bold text on red, one "Ok" button (modal result 1).
#pragma once

#include "zem/windows/MessageDialogBase.h"

class TErrorForm final : public MessageDialogBase {
 public:
  explicit TErrorForm(ui::Component* owner);
  void FormCreate(ui::Component* sender);
};
