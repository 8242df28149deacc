// The about box: the program's name and version. Closed with its close box or Esc (modal result 2).
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TAboutForm final : public ui::Form {
 public:
  explicit TAboutForm(ui::Component* owner);

  ui::Shape* Shape1;
  ui::Shape* Shape2;
  ui::Image* Image1;
  ui::Label* Label1;
  ui::Label* VersionLabel;
  ui::Label* lBetaPostFix;

  void FormCreate(ui::Component* sender);
  void FormKeyDown(ui::Component* sender, uint16_t& key, ui::ShiftState shift);
};
