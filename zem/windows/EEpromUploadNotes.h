// The notes dialog of a memory upload: the file's notes, read-only, with "Ok" (modal result 1) and
// "Cancel" (modal result 2); on top. The caller sets the caption.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"

class TEEpromUploadForm final : public ui::Form {
 public:
  explicit TEEpromUploadForm(ui::Component* owner);

  ui::Panel* Panel2;
  ui::RichEdit* Re1;
  ui::Panel* Panel1;
  ui::Panel* pOk;
  ui::SpeedButton* sbOk;
  ui::Panel* pCancel;
  ui::SpeedButton* sbCancel;

  void FormCreate(ui::Component* sender);
  void sbOkClick(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);
};
