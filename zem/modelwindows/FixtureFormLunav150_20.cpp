#include "zem/modelwindows/FixtureFormLunav150_20.h"

namespace {

const colormix::WindowTables& LunavexTables() {
  static const colormix::WindowTables tables = [] {
    colormix::WindowTables t = TBrv200_20Form::Tables();
    t.formName = "LunavCMY150_20Form";
    t.picture = colormix::FixtureOutline::Round;
    return t;
  }();
  return tables;
}

}  // namespace

TLunavCMY150_20Form::TLunavCMY150_20Form(ui::Component* owner) : TBrv200_20Form(owner, LunavexTables()) {}
