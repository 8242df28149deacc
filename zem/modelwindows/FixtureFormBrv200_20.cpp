#include "zem/modelwindows/FixtureFormBrv200_20.h"

#include "zem/model/Brv200Models.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace {

using namespace colormix;
using M = TZemFixtureBrv200_20;

constexpr FaderSpec kFaders[] = {IntensityFader(134), CyanFader(135), MagentaFader(136), YellowFader(137)};

constexpr ChoiceSpec kRandomColor = RandomColorChoice(&M::Brv200ValueToIndex, 138);

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "Brv200_20Form";
  t.picture = FixtureOutline::Wash;
  t.faders = kFaders;
  t.choice = &kRandomColor;
  t.adjustRows = OpenClosedRows<M>::rows;
  t.sensorTrigger = &kTrigger1036;
  t.monitor = MonitorRule::Remove;
  return t;
}();

}  // namespace

const colormix::WindowTables& TBrv200_20Form::Tables() {
  return kTables;
}

TBrv200_20Form::TBrv200_20Form(ui::Component* owner) : TBrv200_20Form(owner, kTables) {}

TBrv200_20Form::TBrv200_20Form(ui::Component* owner, const colormix::WindowTables& tables)
    : TColorMixingForm(owner, tables) {}
