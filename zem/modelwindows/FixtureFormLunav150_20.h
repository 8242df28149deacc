// The Lunavex CMY 150 window: the Brevidor 200 window with the Lunavex picture.
#pragma once

#include "zem/modelwindows/FixtureFormBrv200_20.h"

class TLunavCMY150_20Form : public TBrv200_20Form {
 public:
  explicit TLunavCMY150_20Form(ui::Component* owner);
};
