// The Brevidor 600 window: the colour-mixing pattern with five faders (intensity and zoom inverted),
// five colour panels and the frost panels; DMX mode, auto shutter and three motor-effect settings; 27
// adjustment buttons and the test sequence; four calibration offsets written on the tick. No Monitor page.
#pragma once

#include "zem/modelwindows/Brv600FamilyForm.h"

class TBrv600_20Form : public TBrv600FamilyForm {
 public:
  explicit TBrv600_20Form(ui::Component* owner);

  ui::Ref<ui::Panel> pWhite, pCTC, pRed, pGreen, pBlue;
  ui::Ref<ui::Label> lAutoShutter, lDimmer;
  ui::Ref<ui::ComboBox> cbAutoShutter;
  ui::Ref<ui::SpinEdit> seDimmer;
};
