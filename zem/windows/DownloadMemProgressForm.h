// Progress of a memory download, shown without blocking and on top; its "Cancel" only raises
// DownloadAbort, which the download reads after each chunk. The caller frees the window.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TDownloadMemform final : public ui::Form {
 public:
  explicit TDownloadMemform(ui::Component* owner);

  ui::ProgressBar* pg1;
  ui::Panel* pCancel;
  ui::SpeedButton* sbCancel;

  // Sets the bar's maximum, then its position, and the Cancel caption again.
  void SetProgress(int position, int maximum);

  void FormCreate(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);
};
