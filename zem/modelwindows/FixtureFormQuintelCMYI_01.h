// The Quintel CMYI window: the Grobel 200 CMYI window keeping its Monitor page whatever the firmware.
#pragma once

#include "zem/modelwindows/FixtureFormGrobel200CMYI_01.h"

class TZemFixtureQuintelCMYI_01Form : public TZemFixtureGrobel200CMYI_01Form {
 public:
  explicit TZemFixtureQuintelCMYI_01Form(ui::Component* owner);
};
