// The Grobel 200 CI window: an intensity fader and six colour presets on the colour-mixing pattern; the
// adjustment page presses coloured panels to show a preset. Otherwise as the Grobel 200 CMYI window.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TZemFixtureGrobel200CI_01Form : public TColorMixingForm {
 public:
  explicit TZemFixtureGrobel200CI_01Form(ui::Component* owner);

  ui::Ref<ui::Panel> pWhite, pColor1, pColor2, pColor3, pColor4, pColor5;
  ui::Ref<ui::Panel> pAdjWhite, pAdjColor1, pAdjColor2, pAdjColor3, pAdjColor4, pAdjColor5;
};
