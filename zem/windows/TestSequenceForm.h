// Shown modally while the fixture runs its test sequence; "Stop" closes it (modal result 2).
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TTestSequenceDialog final : public ui::Form {
 public:
  explicit TTestSequenceDialog(ui::Component* owner);

  ui::Panel* Panel1;
  ui::Panel* pCancel;
  ui::SpeedButton* sbCancel;

  void FormCreate(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);
};
