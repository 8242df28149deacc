// The Brevidor 200 LED window: red, green, blue, amber and white faders on the LED fixtures' window.
#pragma once

#include "zem/modelwindows/LedFixtureForm.h"

class TBV20LForm : public TLedFixtureForm {
 public:
  explicit TBV20LForm(ui::Component* owner);

  ui::Ref<TFader> frRed, frGreen, frBlue, frAmber, frWhite;
};
