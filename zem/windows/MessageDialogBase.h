// What the four message boxes share: a read-only text area re1 over one button sbOk on pOk.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "zem/windows/ZemStrings.h"

class MessageDialogBase : public ui::Form {
 public:
  ui::RichEdit* re1;
  ui::Panel* pOk;
  ui::SpeedButton* sbOk;

  // Appends the text as a new line at the end of re1 (a line break inside it starts another line).
  // The text wraps, and the box grows to show all of it, up to three fifths of the screen's height;
  // beyond that re1 scrolls.
  void AddText(const std::string& text);

  // Enter presses sbOk, the box's one (and so default) button, once it can be pressed.
  void keyDown(uint16_t& key, ui::ShiftState shift) override;

 protected:
  MessageDialogBase(ui::Component* owner, const char* formName);
  // Look, captions and the button; called by each box's FormCreate.
  void SetUpMessageBox(ZemStr caption, ZemStr buttonCaption);
  void sbOkClick(ui::Component* sender);

 private:
  // re1 as high as its text needs (within limits); the controls under it move down with its bottom.
  void FitTextArea();
};
