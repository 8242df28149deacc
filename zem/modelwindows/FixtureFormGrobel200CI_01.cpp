#include "zem/modelwindows/FixtureFormGrobel200CI_01.h"

#include "zem/modelwindows/GrobelTables.h"

namespace {

using namespace colormix;
using colormix::grobel::G;
using colormix::grobel::kAdjustColor;

constexpr FaderSpec kFaders[] = {IntensityFader(138)};

constexpr ColorPanelSpec kColorPanels[] = {
    {"pWhite", 0xFFFFFF, 0},  {"pColor1", 0x0000FF, 1}, {"pColor2", 0x0099FF, 2},
    {"pColor3", 0x00FFFF, 3}, {"pColor4", 0x00CC00, 4}, {"pColor5", 0xFF66CC, 5},
};
// White first, then the presets from the last.
constexpr int kReadBack[] = {0, 5, 4, 3, 2, 1};
constexpr ColorGroupSpec kColors = {
    "pColors", ZemStr::MwColorHint, kColorPanels, kReadBack, {0x02, &TZemFixture::SetLiveColor, 139}};

constexpr AdjustButtonSpec kColorRow[] = {
    {"pAdjWhite", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<0>, 0xFFFFFF},
    {"pAdjColor1", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<1>, 0x0000FF},
    {"pAdjColor2", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<2>, 0x0099FF},
    {"pAdjColor3", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<3>, 0x00FFFF},
    {"pAdjColor4", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<4>, 0x00CC00},
    {"pAdjColor5", ZemStr::Count_, ZemStr::MwCurrentColorHint, kAdjustColor<5>, 0xFF66AA},
};
constexpr AdjustRowSpec kAdjustRows[] = {
    OpenClosedRows<G>::rows[0],
    OpenClosedRows<G>::rows[1],
    {"pAdjColor", ZemStr::MwRowColor, kColorRow},
};

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "ZemFixtureGrobel200CI_01Form";
  t.picture = FixtureOutline::Cube;
  t.faders = kFaders;
  t.colors = &kColors;
  t.adjustRows = kAdjustRows;
  t.sensorTrigger = &kTrigger1036;
  t.sceneTimesInSeconds = true;
  t.monitor = MonitorRule::RemoveBelowFirmware9;
  return t;
}();

}  // namespace

TZemFixtureGrobel200CI_01Form::TZemFixtureGrobel200CI_01Form(ui::Component* owner)
    : TColorMixingForm(owner, kTables) {
  pWhite = Find<ui::Panel>("pWhite");
  pColor1 = Find<ui::Panel>("pColor1");
  pColor2 = Find<ui::Panel>("pColor2");
  pColor3 = Find<ui::Panel>("pColor3");
  pColor4 = Find<ui::Panel>("pColor4");
  pColor5 = Find<ui::Panel>("pColor5");
  pAdjWhite = Find<ui::Panel>("pAdjWhite");
  pAdjColor1 = Find<ui::Panel>("pAdjColor1");
  pAdjColor2 = Find<ui::Panel>("pAdjColor2");
  pAdjColor3 = Find<ui::Panel>("pAdjColor3");
  pAdjColor4 = Find<ui::Panel>("pAdjColor4");
  pAdjColor5 = Find<ui::Panel>("pAdjColor5");
}
