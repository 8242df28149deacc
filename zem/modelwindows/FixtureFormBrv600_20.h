// The Brevidor 600 window: the colour-mixing pattern with five faders (intensity and zoom inverted),
// five colour panels and the frost panels; DMX mode and four motor-effect settings; 27 adjustment
// buttons and the test sequence; four calibration offsets written on the tick. No Monitor page.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TBrv600_20Form : public TColorMixingForm {
 public:
  explicit TBrv600_20Form(ui::Component* owner);

  ui::Ref<ui::Panel> pWhite, pCTC, pRed, pGreen, pBlue;
  ui::Ref<ui::Label> lDMXMode, lAutoShutter, lEffectSpeed, lEffectShortCuts, lEffectFeedback;
  ui::Ref<ui::ComboBox> cbDMXMode, cbAutoShutter, cbEffectSpeed, cbEffectShortcut, cbEffectFeedback;
  ui::Ref<ui::Label> lCyan, lMagenta, lYellow, lDimmer;
  ui::Ref<ui::SpinEdit> seCyan, seMagenta, seYellow, seDimmer;
};
