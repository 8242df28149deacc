// The Grobel 200 CMYI window: intensity, cyan, magenta and yellow faders on the colour-mixing pattern,
// scene times as hours, minutes and seconds, ten open/closed adjustment buttons, the sensor trigger 0 to
// 1036. Firmware below 0.0.9 has no monitor values: the window then has no Monitor page. The Quintel
// CMYI window is this window keeping its Monitor page.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

class TZemFixtureGrobel200CMYI_01Form : public TColorMixingForm {
 public:
  explicit TZemFixtureGrobel200CMYI_01Form(ui::Component* owner);

  static const colormix::WindowTables& Tables();

 protected:
  TZemFixtureGrobel200CMYI_01Form(ui::Component* owner, const colormix::WindowTables& tables);
};
