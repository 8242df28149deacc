// The Brevidor 200 window: intensity, cyan, magenta and yellow faders and the random-colour choice on
// the colour-mixing pattern, ten open/closed adjustment buttons, the sensor trigger 0 to 1036. No Monitor
// page. The Lunavex CMY 150 window is the same window with its own fixture picture.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TBrv200_20Form : public TColorMixingForm {
 public:
  explicit TBrv200_20Form(ui::Component* owner);

 protected:
  // A window of the same layout under another name and picture.
  TBrv200_20Form(ui::Component* owner, const colormix::WindowTables& tables);

 public:
  // The tables of the Brevidor 200 window.
  static const colormix::WindowTables& Tables();
};
