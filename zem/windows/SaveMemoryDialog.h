// The notes dialog of a memory download: editable notes in Re1, "Save to file" (modal result 1) and
// "Cancel" (modal result 2). It keeps its system menu; closing it cancels.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"

class TSaveMemoryForm final : public ui::Form {
 public:
  explicit TSaveMemoryForm(ui::Component* owner);

  ui::Panel* Panel2;
  ui::RichEdit* Re1;
  ui::Panel* Panel1;
  ui::Panel* pSave;
  ui::SpeedButton* sbSave;
  ui::Panel* pCancel;
  ui::SpeedButton* sbCancel;

  void FormCreate(ui::Component* sender);
  void sbSaveClick(ui::Component* sender);
  void sbCancelClick(ui::Component* sender);
};
