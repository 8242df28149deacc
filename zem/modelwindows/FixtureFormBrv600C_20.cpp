#include "zem/modelwindows/FixtureFormBrv600C_20.h"

#include "zem/modelwindows/Brv600Tables.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace {

using namespace colormix;
using namespace colormix::brv600;

constexpr FaderSpec kFaders[] = {CyanFader(136), MagentaFader(137), YellowFader(138)};

constexpr AdjustRowSpec kAdjustRows[] = {
    {"pAdjAll", ZemStr::MwAllEffects, kAll},
    {"pAdjCyan", ZemStr::MwRowCyan, kCyan},
    {"pAdjMagenta", ZemStr::MwRowMagenta, kMagenta},
    {"pAdjYellow", ZemStr::MwRowYellow, kYellow},
};

// Each setting the fixture takes re-reads both groups.
constexpr SettingComboSpec kSettings[] = {
    {SettingsGroup::DMX, "lDMXMode", "cbDMXMode", ZemStr::MwDMXMode, kModes, ZemStr::MwDMXModeHint,
     &TZemFixture::GetDmxProtocol, &TZemFixture::SetDmxProtocol, Refresh::Both},
    {SettingsGroup::Other, "lEffectSpeed", "cbEffectSpeed", ZemStr::MwEffectSpeed, kSpeeds,
     ZemStr::MwEffectSpeedHint, &TZemFixture::GetEffectSpeed, &TZemFixture::SetEffectSpeed, Refresh::Both},
    {SettingsGroup::Other, "lEffectShortCuts", "cbEffectShortcut", ZemStr::MwEffectShortcuts, kOnOffItems,
     ZemStr::MwEffectShortcutsHint, &TZemFixture::GetEffectShortcut, &TZemFixture::SetEffectShortcut,
     Refresh::Both},
    {SettingsGroup::Other, "lEffectFeedback", "cbEffectFeedback", ZemStr::MwEffectFeedback, kOnOffItems,
     ZemStr::MwEffectFeedbackHint, &TZemFixture::GetEffectFeedback, &TZemFixture::SetEffectFeedback,
     Refresh::Both},
};

constexpr WindowTables kTables = [] {
  WindowTables t;
  t.formName = "Brv600C_20Form";
  t.picture = FixtureOutline::Compact;
  t.faders = kFaders;
  t.adjustRows = kAdjustRows;
  t.settings = kSettings;
  t.edits = std::span(kCalibration).first(3);  // no dimmer
  t.autoProgramItems = kOnOffItems;
  t.sensorTrigger = &kTrigger255;
  t.monitor = MonitorRule::Remove;
  t.testSequence = &TestSequence;
  return t;
}();

}  // namespace

TBrv600C_20Form::TBrv600C_20Form(ui::Component* owner) : TColorMixingForm(owner, kTables) {
  lDMXMode = Find<ui::Label>("lDMXMode");
  cbDMXMode = Find<ui::ComboBox>("cbDMXMode");
  lEffectSpeed = Find<ui::Label>("lEffectSpeed");
  cbEffectSpeed = Find<ui::ComboBox>("cbEffectSpeed");
  lEffectShortCuts = Find<ui::Label>("lEffectShortCuts");
  cbEffectShortcut = Find<ui::ComboBox>("cbEffectShortcut");
  lEffectFeedback = Find<ui::Label>("lEffectFeedback");
  cbEffectFeedback = Find<ui::ComboBox>("cbEffectFeedback");
  lCyan = Find<ui::Label>("lCyan");
  lMagenta = Find<ui::Label>("lMagenta");
  lYellow = Find<ui::Label>("lYellow");
  seCyan = Find<ui::SpinEdit>("seCyan");
  seMagenta = Find<ui::SpinEdit>("seMagenta");
  seYellow = Find<ui::SpinEdit>("seYellow");
}
