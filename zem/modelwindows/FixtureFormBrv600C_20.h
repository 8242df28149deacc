// The Brevidor 600 Compact window: the Brevidor 600 window reduced to cyan, magenta and yellow (faders,
// adjustment rows and calibration offsets), without auto shutter, dimmer, colour wheel, frost, beam, zoom
// and shutter. A changed setting re-reads both settings groups. No Monitor page.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TBrv600C_20Form : public TColorMixingForm {
 public:
  explicit TBrv600C_20Form(ui::Component* owner);

  ui::Ref<ui::Label> lDMXMode, lEffectSpeed, lEffectShortCuts, lEffectFeedback;
  ui::Ref<ui::ComboBox> cbDMXMode, cbEffectSpeed, cbEffectShortcut, cbEffectFeedback;
  ui::Ref<ui::Label> lCyan, lMagenta, lYellow;
  ui::Ref<ui::SpinEdit> seCyan, seMagenta, seYellow;
};
