// Progress of a memory upload, shown without blocking and on top; the caller sets its caption and
// drives pg1 directly.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TUploadMemProgress final : public ui::Form {
 public:
  explicit TUploadMemProgress(ui::Component* owner);

  ui::ProgressBar* pg1;

  void FormCreate(ui::Component* sender);
};
