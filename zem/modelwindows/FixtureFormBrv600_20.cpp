#include "zem/modelwindows/FixtureFormBrv600_20.h"

#include "zem/modelwindows/Brv600Tables.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace colormix::brv600 {

void TestSequence(TZemFixture& fixture, bool on) {
  if (auto* model = dynamic_cast<M*>(&fixture)) model->SetTestSequenceMode(on);
}

}  // namespace colormix::brv600

namespace {

using namespace colormix;
using namespace colormix::brv600;

constexpr FaderSpec kFaders[] = {
    IntensityFader(134, true),  CyanFader(136), MagentaFader(137), YellowFader(138),
    ZoomFader(0x10, 140, true),
};

constexpr ColorPanelSpec kColorPanels[] = {
    {"pWhite", 0xFFFFFF, 0}, {"pCTC", 0x94B5D6, 1},  {"pRed", 0x0029CE, 2},
    {"pGreen", 0x009C00, 3}, {"pBlue", 0xF7695A, 4},
};
constexpr ColorGroupSpec kColors = {
    "pColors", ZemStr::MwColorHint, kColorPanels, {}, {0x20, &TZemFixture::SetLiveColor, 135}};
constexpr Live kFrost = {0x40, &TZemFixture::SetLiveFrost, 139};

constexpr AdjustButtonSpec kDimmer[] = {
    {"sbDimmerOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustDimmerOpen>},
    {"sbDimmerSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustDimmerSensor>},
    {"sbDimmerAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustDimmerAdjust>},
};
constexpr AdjustButtonSpec kColor[] = {
    {"sbColorOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustColorOpen>},
    {"sbColorSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustColorSensor>},
    {"sbColorAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustColorAdjust>},
};
constexpr AdjustButtonSpec kBeam[] = {
    {"sbBeamOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustBeamOpen>},
    {"sbBeamSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustBeamSensor>},
    {"sbBeamAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustBeamAdjust>},
};
constexpr AdjustButtonSpec kZoom[] = {
    {"sbZoomOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustZoomOpen>},
    // The fixture's own zoom-to-sensor operation.
    {"sbZoomSensor", ZemStr::MwSensor, ZemStr::MwSensorHint,
     &Adjust<TZemFixture, &TZemFixture::AdjustZoomSensor>},
    {"sbZoomAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustZoomAdjust>},
};
constexpr AdjustButtonSpec kShutter[] = {
    {"sbShutterOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustShutterOpen>},
    {"sbShutterClosed", ZemStr::MwClosed, ZemStr::MwClosedHint, &Adjust<M, &M::AdjustShutterClosed>},
    {"sbShutterAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustShutterAdjust>},
};
constexpr AdjustRowSpec kAdjustRows[] = {
    {"pAdjAll", ZemStr::MwAllEffects, kAll},         {"pAdjDimmer", ZemStr::MwRowDimmer, kDimmer},
    {"pAdjCyan", ZemStr::MwRowCyan, kCyan},          {"pAdjMagenta", ZemStr::MwRowMagenta, kMagenta},
    {"pAdjYellow", ZemStr::MwRowYellow, kYellow},    {"pAdjColor", ZemStr::MwRowColor, kColor},
    {"pAdjBeam", ZemStr::MwRowBeam, kBeam},          {"pAdjZoom", ZemStr::MwRowZoom, kZoom},
    {"pAdjShutter", ZemStr::MwRowShutter, kShutter},
};

constexpr SettingComboSpec kSettings[] = {
    DmxMode(Refresh::DMX),
    {SettingsGroup::Other, "lAutoShutter", "cbAutoShutter", ZemStr::MwAutoShutter, kOnOffItems,
     ZemStr::MwAutoShutterHint, &TZemFixture::GetAutoShutter, &TZemFixture::SetAutoShutter, Refresh::Other},
    EffectSpeed(Refresh::Other),
    EffectShortcut(Refresh::Other),
    EffectFeedback(Refresh::Other),
};

constexpr WindowTables kTables = [] {
  WindowTables t = FamilyTables();
  t.formName = "Brv600_20Form";
  t.picture = FixtureOutline::MovingHead;
  t.faders = kFaders;
  t.colors = &kColors;
  t.frost = &kFrost;
  t.adjustRows = kAdjustRows;
  t.settings = kSettings;
  t.edits = kCalibration;
  return t;
}();

}  // namespace

TBrv600_20Form::TBrv600_20Form(ui::Component* owner) : TBrv600FamilyForm(owner, kTables) {
  pWhite = Find<ui::Panel>("pWhite");
  pCTC = Find<ui::Panel>("pCTC");
  pRed = Find<ui::Panel>("pRed");
  pGreen = Find<ui::Panel>("pGreen");
  pBlue = Find<ui::Panel>("pBlue");
  lAutoShutter = Find<ui::Label>("lAutoShutter");
  cbAutoShutter = Find<ui::ComboBox>("cbAutoShutter");
  lDimmer = Find<ui::Label>("lDimmer");
  seDimmer = Find<ui::SpinEdit>("seDimmer");
}
