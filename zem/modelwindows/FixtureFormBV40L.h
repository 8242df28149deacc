// The Brevidor 400 LED Series window: the LED fixtures' window whose five faders take their names,
// colours and visibility from the fixture's LED descriptions, with a colour-gamut setting and without the
// memory-file commands.
#pragma once

#include "zem/modelwindows/LedFixtureForm.h"

class TBV40LForm : public TLedFixtureForm {
 public:
  explicit TBV40LForm(ui::Component* owner);

  ui::Ref<TFader> fader0, fader1, fader2, fader3, fader4;

  void FormCreate(ui::Component* sender) override;
  // The faders from the fixture's LED descriptions.
  void UpdateOtherSettings() override;
};
