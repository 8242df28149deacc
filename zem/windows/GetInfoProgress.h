// Progress of reading the whole fixture, shown without blocking while the fixture window reads it.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TFormGetInfoProgress final : public ui::Form {
 public:
  explicit TFormGetInfoProgress(ui::Component* owner);

  ui::ProgressBar* pg;

  void FormCreate(ui::Component* sender);
};
