// Table rows the Brevidor 600 and 600 Compact windows share: the open, sensor and adjust rows of all
// effects, cyan, magenta and yellow, the calibration offsets (the Compact has the first three) and the
// DMX-mode and effect-speed lists.
#pragma once

#include "zem/model/Brv600Models.h"
#include "zem/modelwindows/ColorMixingForm.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace colormix::brv600 {

using M = TZemFixtureBrv600_20;

inline constexpr AdjustButtonSpec kAll[] = {
    {"sbAllOpen", ZemStr::MwOpen, ZemStr::MwAllOpenHint, &Adjust<M, &M::AdjustAllOpen>},
    {"sbAllSensor", ZemStr::MwSensor, ZemStr::MwAllSensorHint, &Adjust<M, &M::AdjustAllSensor>},
    {"sbAllAdjust", ZemStr::MwAdjust, ZemStr::MwAllAdjustHint, &Adjust<M, &M::AdjustAllAdjust>},
};

inline constexpr AdjustButtonSpec kCyan[] = {
    {"sbCyanOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustCyanOpen>},
    {"sbCyanSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustCyanSensor>},
    {"sbCyanAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustCyanAdjust>},
};

inline constexpr AdjustButtonSpec kMagenta[] = {
    {"sbMagentaOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustMagentaOpen>},
    {"sbMagentaSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustMagentaSensor>},
    {"sbMagentaAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustMagentaAdjust>},
};

inline constexpr AdjustButtonSpec kYellow[] = {
    {"sbYellowOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<M, &M::AdjustYellowOpen>},
    {"sbYellowSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<M, &M::AdjustYellowSensor>},
    {"sbYellowAdjust", ZemStr::MwAdjust, ZemStr::MwAdjustHint, &Adjust<M, &M::AdjustYellowAdjust>},
};

// Cyan, magenta, yellow and dimmer.
inline constexpr TickEditSpec kCalibration[] = {
    {EditPlace::Calibration, "lCyan", "seCyan", ZemStr::MwCyan, ZemStr::MwCyanCalibrationHint, 0, 255, 3,
     ui::clAqua, &TZemFixture::GetCyanCalibration, &TZemFixture::SetCyanCalibration},
    {EditPlace::Calibration, "lMagenta", "seMagenta", ZemStr::MwMagenta, ZemStr::MwMagentaCalibrationHint, 0,
     255, 3, ui::clFuchsia, &TZemFixture::GetMagentaCalibration, &TZemFixture::SetMagentaCalibration},
    {EditPlace::Calibration, "lYellow", "seYellow", ZemStr::MwYellow, ZemStr::MwYellowCalibrationHint, 0, 255,
     3, ui::clYellow, &TZemFixture::GetYellowCalibration, &TZemFixture::SetYellowCalibration},
    {EditPlace::Calibration, "lDimmer", "seDimmer", ZemStr::MwDimmer, ZemStr::MwDimmerCalibrationHint, 0, 255,
     3, kNoColor, &TZemFixture::GetDimmerCalibration, &TZemFixture::SetDimmerCalibration},
};

inline constexpr ZemStr kModes[] = {ZemStr::MwMode1, ZemStr::MwMode2};
inline constexpr ZemStr kSpeeds[] = {ZemStr::MwFast, ZemStr::MwSafe};

// The settings rows; what a change re-reads differs between the two windows.
constexpr SettingComboSpec DmxMode(Refresh refresh) {
  return {SettingsGroup::DMX,
          "lDMXMode",
          "cbDMXMode",
          ZemStr::MwDMXMode,
          kModes,
          ZemStr::MwDMXModeHint,
          &TZemFixture::GetDmxProtocol,
          &TZemFixture::SetDmxProtocol,
          refresh};
}
constexpr SettingComboSpec EffectSpeed(Refresh refresh) {
  return {SettingsGroup::Other,
          "lEffectSpeed",
          "cbEffectSpeed",
          ZemStr::MwEffectSpeed,
          kSpeeds,
          ZemStr::MwEffectSpeedHint,
          &TZemFixture::GetEffectSpeed,
          &TZemFixture::SetEffectSpeed,
          refresh};
}
constexpr SettingComboSpec EffectShortcut(Refresh refresh) {
  return {SettingsGroup::Other,
          "lEffectShortCuts",
          "cbEffectShortcut",
          ZemStr::MwEffectShortcuts,
          kOnOffItems,
          ZemStr::MwEffectShortcutsHint,
          &TZemFixture::GetEffectShortcut,
          &TZemFixture::SetEffectShortcut,
          refresh};
}
constexpr SettingComboSpec EffectFeedback(Refresh refresh) {
  return {SettingsGroup::Other,
          "lEffectFeedback",
          "cbEffectFeedback",
          ZemStr::MwEffectFeedback,
          kOnOffItems,
          ZemStr::MwEffectFeedbackHint,
          &TZemFixture::GetEffectFeedback,
          &TZemFixture::SetEffectFeedback,
          refresh};
}

// Switches the fixture's test sequence on or off.
void TestSequence(TZemFixture& fixture, bool on);

// The family's tables before each window adds its controls.
constexpr WindowTables FamilyTables() {
  WindowTables t;
  t.autoProgramItems = kOnOffItems;
  t.sensorTrigger = &kTrigger255;
  t.monitor = MonitorRule::Remove;
  t.testSequence = &TestSequence;
  t.sceneShownLive = true;
  return t;
}

}  // namespace colormix::brv600
