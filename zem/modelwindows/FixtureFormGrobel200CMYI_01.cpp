#include "zem/modelwindows/FixtureFormGrobel200CMYI_01.h"

#include "zem/modelwindows/GrobelTables.h"

namespace {

using namespace colormix;
using colormix::grobel::G;

constexpr FaderSpec kFaders[] = {IntensityFader(138), CyanFader(139), MagentaFader(140), YellowFader(141)};

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "ZemFixtureGrobel200CMYI_01Form";
  t.picture = FixtureOutline::Cube;
  t.faders = kFaders;
  t.adjustRows = OpenClosedRows<G>::rows;
  t.sensorTrigger = &kTrigger1036;
  t.sceneTimesInSeconds = true;
  t.monitor = MonitorRule::RemoveBelowFirmware9;
  return t;
}();

}  // namespace

const colormix::WindowTables& TZemFixtureGrobel200CMYI_01Form::Tables() {
  return kTables;
}

TZemFixtureGrobel200CMYI_01Form::TZemFixtureGrobel200CMYI_01Form(ui::Component* owner)
    : TZemFixtureGrobel200CMYI_01Form(owner, kTables) {}

TZemFixtureGrobel200CMYI_01Form::TZemFixtureGrobel200CMYI_01Form(ui::Component* owner,
                                                                 const colormix::WindowTables& tables)
    : TColorMixingForm(owner, tables) {}
