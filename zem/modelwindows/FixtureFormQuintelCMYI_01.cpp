#include "zem/modelwindows/FixtureFormQuintelCMYI_01.h"

namespace {

const colormix::WindowTables& QuintelTables() {
  static const colormix::WindowTables tables = [] {
    colormix::WindowTables t = TZemFixtureGrobel200CMYI_01Form::Tables();
    t.formName = "ZemFixtureQuintelCMYI_01Form";
    t.picture = colormix::FixtureOutline::MovingHead;
    t.monitor = colormix::MonitorRule::Keep;
    return t;
  }();
  return tables;
}

}  // namespace

TZemFixtureQuintelCMYI_01Form::TZemFixtureQuintelCMYI_01Form(ui::Component* owner)
    : TZemFixtureGrobel200CMYI_01Form(owner, QuintelTables()) {}
