// The Brevidor 600 Compact window: the Brevidor 600 window reduced to cyan, magenta and yellow (faders,
// adjustment rows and calibration offsets), without auto shutter, dimmer, colour wheel, frost, beam, zoom
// and shutter. A changed setting re-reads both settings groups. No Monitor page.
#pragma once

#include "zem/modelwindows/Brv600FamilyForm.h"

class TBrv600C_20Form : public TBrv600FamilyForm {
 public:
  explicit TBrv600C_20Form(ui::Component* owner);
};
