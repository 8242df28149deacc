// What the Brevidor 600 and 600 Compact windows share beyond the colour-mixing pattern: the DMX-mode and
// motor-effect settings, the cyan, magenta and yellow calibration offsets, the test sequence, and the
// trigger range, auto-program list and missing Monitor page of the family.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TBrv600FamilyForm : public TColorMixingForm {
 public:
  ui::Ref<ui::Label> lDMXMode, lEffectSpeed, lEffectShortCuts, lEffectFeedback;
  ui::Ref<ui::ComboBox> cbDMXMode, cbEffectSpeed, cbEffectShortcut, cbEffectFeedback;
  ui::Ref<ui::Label> lCyan, lMagenta, lYellow;
  ui::Ref<ui::SpinEdit> seCyan, seMagenta, seYellow;

 protected:
  TBrv600FamilyForm(ui::Component* owner, const colormix::WindowTables& tables);
};
