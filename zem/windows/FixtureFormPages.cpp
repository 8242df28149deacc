// The fixture window's information, settings, stand-alone settings and monitor pages: their controls
// and texts, the update operations that fill them, the edit handlers and the write-back timer.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/sys/system.h"
#include "platform/ui/application.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/ZemFolders.h"
#include "zem/windows/ZemStrings.h"

using fixtureform::FormatValue;
using fixtureform::GroupCaption;
using fixtureform::MakeButtonPanel;
using fixtureform::MakeLabel;
using fixtureform::MakeList;
using fixtureform::MakeSpinEdit;

namespace {

constexpr int kDmxUniverse = 512;
constexpr ui::Color kErrorsRed = 0x0000FF;
constexpr uint32_t kCapturePauseMs = 100;
// Rows of the fixture information group: the version's and the identity's first rows, the room between
// rows and below the last.
constexpr int kInfoCpuTop = 34;
constexpr int kInfoIdTop = 64;
constexpr int kInfoRowGap = 3;
constexpr int kInfoBottom = 7;

// A whole number in the text (blanks around it and a sign allowed); false for anything else.
bool ParseNumber(const std::string& text, int& value) {
  const size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  const size_t e = text.find_last_not_of(' ');
  const char* first = text.data() + b;
  const char* last = text.data() + e + 1;
  if (*first == '+') ++first;
  if (first == last) return false;
  auto [p, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && p == last;
}

void SetItems(ui::ComboBox* box, std::initializer_list<ZemStr> items) {
  if (box == nullptr) return;
  std::vector<std::string> texts;
  for (ZemStr id : items) texts.push_back(ZemString(id));
  box->items().assign(texts);
}

void SetCaptionHint(ui::Control* control, ZemStr caption, ZemStr hint) {
  if (control == nullptr) return;
  control->setCaption(ZemString(caption));
  control->setHint(ZemString(hint));
}

void SetHint(ui::Control* control, ZemStr hint) {
  if (control != nullptr) control->setHint(ZemString(hint));
}

void SetCaption(ui::Control* control, ZemStr caption) {
  if (control != nullptr) control->setCaption(ZemString(caption));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Building the pages

void TFixtureFormTemplate::BuildFixtureInfoPage() {
  ui::TabSheet* page = tsFixtureInfo;
  gbFixtureInformation = ui::make<ui::GroupBox>(this, page, "gbFixtureInformation", 8, 4, 280, 84);
  // A long fixture name (one with a serial number) and the version text (main CPU and display) wrap left of
  // the fixture's picture.
  lFixtureType = MakeLabel(this, gbFixtureInformation, "lFixtureType", 8, 18);
  lFixtureType->setWidth(220);
  lFixtureType->setWordWrap(true);
  lMainCPUInfo = MakeLabel(this, gbFixtureInformation, "lMainCPUInfo", 8, kInfoCpuTop);
  lMainCPUInfo->setWidth(220);
  lMainCPUInfo->setWordWrap(true);
  lFixtureId = MakeLabel(this, gbFixtureInformation, "lFixtureId", 8, kInfoIdTop);
  iFixture = ui::make<ui::Image>(this, gbFixtureInformation, "iFixture", 232, 18, 40, 40);

  gbFixtureStatus = ui::make<ui::GroupBox>(this, page, "gbFixtureStatus", 296, 4, 288, 204);
  lLampStatus = MakeLabel(this, gbFixtureStatus, "lLampStatus", 8, 18);
  lSensorValue = MakeLabel(this, gbFixtureStatus, "lSensorValue", 150, 18);
  lFixtureTime = MakeLabel(this, gbFixtureStatus, "lFixtureTime", 8, 38);
  int left = 8;
  auto clockEdit = [&](const char* name, int minValue, int maxValue) {
    ui::SpinEdit* e = MakeSpinEdit(this, gbFixtureStatus, name, left, 54, 44, minValue, maxValue, 2);
    left += 50;
    return e;
  };
  seHour = clockEdit("seHour", 0, 23);
  seMinute = clockEdit("seMinute", 0, 59);
  seDate = clockEdit("seDate", 1, 31);
  seMonth = clockEdit("seMonth", 1, 12);
  seYear = clockEdit("seYear", 0, 99);
  lPowerOnHours = MakeLabel(this, gbFixtureStatus, "lPowerOnHours", 8, 82);
  lLampOnHours = MakeLabel(this, gbFixtureStatus, "lLampOnHours", 8, 100);
  lLampStrikes = MakeLabel(this, gbFixtureStatus, "lLampStrikes", 8, 118);
  lRPowerOnHours = MakeLabel(this, gbFixtureStatus, "lRPowerOnHours", 8, 138);
  lRLampOnHours = MakeLabel(this, gbFixtureStatus, "lRLampOnHours", 8, 158);
  lRLampStrikes = MakeLabel(this, gbFixtureStatus, "lRLampStrikes", 8, 178);
  pResetPowerOn = MakeButtonPanel(this, gbFixtureStatus, "pResetPowerOn", 230, 136, 50, 18);
  pResetLampOn = MakeButtonPanel(this, gbFixtureStatus, "pResetLampOn", 230, 156, 50, 18);
  pResetLampStrikes = MakeButtonPanel(this, gbFixtureStatus, "pResetLampStrikes", 230, 176, 50, 18);

  reErrors = ui::make<ui::RichEdit>(this, page, "reErrors", 8, 212, 576, 82);
  reErrors->setAlign(ui::Align::Bottom);
  reErrors->setReadOnly(true);
  reErrors->setScrollBars(ui::ScrollStyle::Vertical);

  for (ui::SpinEdit* e : {seHour.get(), seMinute.get(), seDate.get(), seMonth.get(), seYear.get()}) {
    e->onChange = [this](ui::Component* s) { seChange(s); };
    e->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
  }
  for (ui::Panel* p : {pResetPowerOn.get(), pResetLampOn.get(), pResetLampStrikes.get()}) {
    p->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      Guarded([&] { PanelMouseDown(s, b, sh, x, y); });
    };
    p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      PanelMouseUp(s, b, sh, x, y);
    };
  }
}

void TFixtureFormTemplate::BuildFixtureSettingsPage() {
  ui::TabSheet* page = tsFixtureSettings;
  gbDMXProtocolSettings = ui::make<ui::GroupBox>(this, page, "gbDMXProtocolSettings", 8, 4, 280, 110);
  lDMXAddress = MakeLabel(this, gbDMXProtocolSettings, "lDMXAddress", 8, 22);
  seDMXAddress = MakeSpinEdit(this, gbDMXProtocolSettings, "seDMXAddress", 150, 18, 60, 1, kDmxUniverse, 3);
  lDMXLampOff = MakeLabel(this, gbDMXProtocolSettings, "lDMXLampOff", 8, 52);
  cbDMXLampOff = MakeList(this, gbDMXProtocolSettings, "cbDMXLampOff", 150, 48, 120);
  lDMXReset = MakeLabel(this, gbDMXProtocolSettings, "lDMXReset", 8, 82);
  cbDMXReset = MakeList(this, gbDMXProtocolSettings, "cbDMXReset", 150, 78, 120);

  gbOtherSettings = ui::make<ui::GroupBox>(this, page, "gbOtherSettings", 296, 4, 288, 170);
  int top = 18;
  auto row = [&](ui::Ref<ui::Label>& label, const char* labelName, ui::Ref<ui::ComboBox>& box,
                 const char* boxName) {
    label = MakeLabel(this, gbOtherSettings, labelName, 8, top + 4);
    box = MakeList(this, gbOtherSettings, boxName, 140, top, 140);
    top += 30;
  };
  row(lAutoLampOn, "lAutoLampOn", cbAutoLampOn, "cbAutoLampOn");
  row(lQZLLampOff, "lQZLLampOff", cbQZLLampOff, "cbQZLLampOff");
  row(lDisplayEnable, "lDisplayEnable", cbDisplayEnable, "cbDisplayEnable");
  row(lInvertDisplay, "lInvertDisplay", cbInvertDisplay, "cbInvertDisplay");
  row(lDisplayErrors, "lDisplayErrors", cbDisplayErrors, "cbDisplayErrors");
  // The display settings are for the model windows whose fixtures have a display.
  for (ui::Control* c : std::initializer_list<ui::Control*>{lDisplayEnable, cbDisplayEnable, lInvertDisplay,
                                                            cbInvertDisplay, lDisplayErrors, cbDisplayErrors})
    c->setVisible(false);

  seDMXAddress->onChange = [this](ui::Component* s) { seChange(s); };
  seDMXAddress->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
  auto bind = [this](ui::ComboBox* box, void (TFixtureFormTemplate::*handler)(ui::Component*)) {
    box->onChange = [this, handler](ui::Component* s) { Guarded([&] { (this->*handler)(s); }); };
  };
  bind(cbDMXLampOff, &TFixtureFormTemplate::cbDMXLampOffChange);
  bind(cbDMXReset, &TFixtureFormTemplate::cbDMXResetChange);
  bind(cbAutoLampOn, &TFixtureFormTemplate::cbAutoLampOnChange);
  bind(cbQZLLampOff, &TFixtureFormTemplate::cbQZLLampOffChange);
  bind(cbDisplayEnable, &TFixtureFormTemplate::cbDisplayEnableChange);
  bind(cbInvertDisplay, &TFixtureFormTemplate::cbInvertDisplayChange);
  bind(cbDisplayErrors, &TFixtureFormTemplate::cbDisplayErrorsChange);
}

void TFixtureFormTemplate::BuildStandAloneSettingsPage() {
  ui::TabSheet* page = tsStandAloneSettings;
  gbStandAloneSettings = ui::make<ui::GroupBox>(this, page, "gbStandAloneSettings", 8, 4, 280, 110);
  lStandAloneMode = MakeLabel(this, gbStandAloneSettings, "lStandAloneMode", 8, 22);
  cbStandAloneMode = MakeList(this, gbStandAloneSettings, "cbStandAloneMode", 140, 18, 130);
  lAutoProgramOn = MakeLabel(this, gbStandAloneSettings, "lAutoProgramOn", 8, 52);
  cbAutoProgramOn = MakeList(this, gbStandAloneSettings, "cbAutoProgramOn", 140, 48, 130);
  lMasterSlaveSetting = MakeLabel(this, gbStandAloneSettings, "lMasterSlaveSetting", 8, 82);
  cbMasterSlaveSetting = MakeList(this, gbStandAloneSettings, "cbMasterSlaveSetting", 140, 78, 130);

  gbStandAloneTimerSettings =
      ui::make<ui::GroupBox>(this, page, "gbStandAloneTimerSettings", 296, 4, 288, 130);
  lEnableTimers = MakeLabel(this, gbStandAloneTimerSettings, "lEnableTimers", 8, 22);
  cbTimerMode = MakeList(this, gbStandAloneTimerSettings, "cbTimerMode", 120, 18, 140);
  lStartTime = MakeLabel(this, gbStandAloneTimerSettings, "lStartTime", 80, 48);
  lEndTime = MakeLabel(this, gbStandAloneTimerSettings, "lEndTime", 180, 48);
  lTimer1 = MakeLabel(this, gbStandAloneTimerSettings, "lTimer1", 8, 70);
  lTimer2 = MakeLabel(this, gbStandAloneTimerSettings, "lTimer2", 8, 100);
  auto time = [this](const char* name, int left, int top, int maxValue) {
    return MakeSpinEdit(this, gbStandAloneTimerSettings, name, left, top, 44, 0, maxValue, 2);
  };
  seT1HStart = time("seT1HStart", 80, 66, 23);
  seT1MStart = time("seT1MStart", 126, 66, 59);
  seT1HStop = time("seT1HStop", 180, 66, 23);
  seT1MStop = time("seT1MStop", 226, 66, 59);
  seT2HStart = time("seT2HStart", 80, 96, 23);
  seT2MStart = time("seT2MStart", 126, 96, 59);
  seT2HStop = time("seT2HStop", 180, 96, 23);
  seT2MStop = time("seT2MStop", 226, 96, 59);

  gbStandAloneSensorSettings =
      ui::make<ui::GroupBox>(this, page, "gbStandAloneSensorSettings", 8, 140, 576, 90);
  cbLightSensorTrig = MakeList(this, gbStandAloneSensorSettings, "cbLightSensorTrig", 8, 20, 100);
  lLightLevelTrigger = MakeLabel(this, gbStandAloneSensorSettings, "lLightLevelTrigger", 120, 24);
  seSensorLevelTrigger =
      MakeSpinEdit(this, gbStandAloneSensorSettings, "seSensorLevelTrigger", 280, 20, 60, 1, 255, 3);
  pCaptureCurrentLevel =
      MakeButtonPanel(this, gbStandAloneSensorSettings, "pCaptureCurrentLevel", 8, 54, 220, 24);

  for (ui::SpinEdit* e :
       {seT1HStart.get(), seT1MStart.get(), seT1HStop.get(), seT1MStop.get(), seT2HStart.get(),
        seT2MStart.get(), seT2HStop.get(), seT2MStop.get(), seSensorLevelTrigger.get()}) {
    e->onChange = [this](ui::Component* s) { seChange(s); };
    e->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
  }
  auto bind = [this](ui::ComboBox* box, void (TFixtureFormTemplate::*handler)(ui::Component*)) {
    box->onChange = [this, handler](ui::Component* s) { Guarded([&] { (this->*handler)(s); }); };
  };
  bind(cbStandAloneMode, &TFixtureFormTemplate::cbStandAloneModeChange);
  bind(cbAutoProgramOn, &TFixtureFormTemplate::cbAutoProgramOnChange);
  bind(cbMasterSlaveSetting, &TFixtureFormTemplate::cbMasterSlaveSettingChange);
  bind(cbTimerMode, &TFixtureFormTemplate::cbTimerModeChange);
  bind(cbLightSensorTrig, &TFixtureFormTemplate::cbLightSensorTrigChange);
  pCaptureCurrentLevel->onClick = [this](ui::Component* s) {
    Guarded([&] { pCaptureCurrentLevelClick(s); });
  };
  pCaptureCurrentLevel->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x,
                                             int y) { Guarded([&] { PanelMouseDown(s, b, sh, x, y); }); };
  pCaptureCurrentLevel->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x,
                                           int y) { PanelMouseUp(s, b, sh, x, y); };
}

void TFixtureFormTemplate::BuildMonitorPage() {
  ui::TabSheet* page = tsMonitor;
  gbHardwareMonitorValues = ui::make<ui::GroupBox>(this, page, "gbHardwareMonitorValues", 8, 4, 576, 150);
  const std::array<std::pair<std::array<ui::Ref<ui::Label>, 7>*, const char*>, 4> columns = {{
      {&lLightSensor, "lLightSensor"},
      {&lSupplyVoltage, "lSupplyVoltage"},
      {&lTemperature, "lTemperature"},
      {&lFanSpeed, "lFanSpeed"},
  }};
  for (size_t col = 0; col < columns.size(); ++col) {
    for (size_t ch = 0; ch < 7; ++ch) {
      const std::string name = std::string(columns[col].second) + std::to_string(ch + 1);
      (*columns[col].first)[ch] = MakeLabel(this, gbHardwareMonitorValues, name.c_str(),
                                            8 + 142 * static_cast<int>(col), 18 + 18 * static_cast<int>(ch));
    }
  }
  pClearLog = MakeButtonPanel(this, page, "pClearLog", 8, 160, 100, 22);
  pSaveLog = MakeButtonPanel(this, page, "pSaveLog", 116, 160, 100, 22);
  reSystemLog = ui::make<ui::RichEdit>(this, page, "reSystemLog", 8, 188, 576, 104);
  reSystemLog->setReadOnly(true);
  reSystemLog->setPlainText(true);
  reSystemLog->setScrollBars(ui::ScrollStyle::Both);
  for (ui::Panel* p : {pClearLog.get(), pSaveLog.get()}) {
    p->onMouseDown = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      Guarded([&] { PanelMouseDown(s, b, sh, x, y); });
    };
    p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
      PanelMouseUp(s, b, sh, x, y);
    };
  }
}

void TFixtureFormTemplate::SetUpPageTexts() {
  Updating = true;
  // Fixture info.
  if (gbFixtureInformation) gbFixtureInformation->setCaption(GroupCaption(ZemStr::FfFixtureInformation));
  if (lFixtureType) lFixtureType->setCaption(ZemFormat(ZemStr::FfFixtureType, ""));
  SetCaption(lMainCPUInfo, ZemStr::FfMainCPU);
  if (lFixtureId) lFixtureId->setCaption(ZemFormat(ZemStr::FfFixtureId, ""));
  if (gbFixtureStatus) gbFixtureStatus->setCaption(GroupCaption(ZemStr::FfFixtureStatus));
  SetCaption(lLampStatus, ZemStr::FfLamp);
  if (lSensorValue) lSensorValue->setCaption("");
  SetCaption(lFixtureTime, ZemStr::FfFixtureTime);
  for (ui::SpinEdit* e : {seHour.get(), seMinute.get(), seDate.get(), seMonth.get(), seYear.get()})
    SetHint(e, ZemStr::FfClockHint);
  const std::pair<ui::Label*, ZemStr> counters[] = {
      {lPowerOnHours, ZemStr::FfPowerOnHours}, {lLampOnHours, ZemStr::FfLampOnHours},
      {lLampStrikes, ZemStr::FfLampStrikes},   {lRPowerOnHours, ZemStr::FfRPowerOnHours},
      {lRLampOnHours, ZemStr::FfRLampOnHours}, {lRLampStrikes, ZemStr::FfRLampStrikes},
  };
  for (const auto& [label, format] : counters) {
    if (label) label->setCaption(ZemFormat(format, 0));
  }
  SetCaptionHint(pResetPowerOn, ZemStr::FfReset, ZemStr::FfResetPowerOnHint);
  SetCaptionHint(pResetLampOn, ZemStr::FfReset, ZemStr::FfResetLampOnHint);
  SetCaptionHint(pResetLampStrikes, ZemStr::FfReset, ZemStr::FfResetLampStrikesHint);

  // Fixture settings.
  if (gbDMXProtocolSettings) gbDMXProtocolSettings->setCaption(GroupCaption(ZemStr::FfDMXProtocolSettings));
  SetCaption(lDMXAddress, ZemStr::FfDMXAddress);
  SetHint(seDMXAddress, ZemStr::FfDMXAddressHint);
  SetCaption(lDMXLampOff, ZemStr::FfDMXLampOff);
  SetItems(cbDMXLampOff, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbDMXLampOff, ZemStr::FfDMXLampOffHint);
  SetCaption(lDMXReset, ZemStr::FfDMXReset);
  // The fixture stores "DMX reset on" as 0.
  SetItems(cbDMXReset, {ZemStr::FfOn, ZemStr::FfOff});
  SetHint(cbDMXReset, ZemStr::FfDMXResetHint);
  if (gbOtherSettings) gbOtherSettings->setCaption(GroupCaption(ZemStr::FfOtherSettings));
  SetCaption(lAutoLampOn, ZemStr::FfAutoLampOn);
  SetItems(cbAutoLampOn, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbAutoLampOn, ZemStr::FfAutoLampOnHint);
  SetCaption(lQZLLampOff, ZemStr::FfQZLLampOff);
  SetItems(cbQZLLampOff, {ZemStr::FfOff, ZemStr::FfQZLPreset7});
  SetHint(cbQZLLampOff, ZemStr::FfQZLLampOffHint);
  SetCaption(lDisplayEnable, ZemStr::FfDisplayEnable);
  SetItems(cbDisplayEnable, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbDisplayEnable, ZemStr::FfDisplayEnableHint);
  SetCaption(lInvertDisplay, ZemStr::FfInvertDisplay);
  SetItems(cbInvertDisplay, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbInvertDisplay, ZemStr::FfInvertDisplayHint);
  SetCaption(lDisplayErrors, ZemStr::FfDisplayErrors);
  SetItems(cbDisplayErrors, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbDisplayErrors, ZemStr::FfDisplayErrorsHint);

  // Stand-alone settings.
  if (gbStandAloneSettings) gbStandAloneSettings->setCaption(GroupCaption(ZemStr::FfPageStandAloneSettings));
  SetCaption(lStandAloneMode, ZemStr::FfStandAloneOperation);
  SetItems(cbStandAloneMode, {ZemStr::FfDisabled, ZemStr::FfEnabled});
  SetHint(cbStandAloneMode, ZemStr::FfStandAloneOperationHint);
  SetCaption(lAutoProgramOn, ZemStr::FfAutoProgram);
  SetItems(cbAutoProgramOn, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbAutoProgramOn, ZemStr::FfAutoProgramHint);
  SetCaption(lMasterSlaveSetting, ZemStr::FfSynchronized);
  SetItems(cbMasterSlaveSetting, {ZemStr::FfSingleFixture, ZemStr::FfMaster, ZemStr::FfSynchronized});
  SetHint(cbMasterSlaveSetting, ZemStr::FfMasterSlaveHint);
  if (gbStandAloneTimerSettings) gbStandAloneTimerSettings->setCaption(GroupCaption(ZemStr::FfTimerSettings));
  SetCaption(lEnableTimers, ZemStr::FfEnableTimers);
  SetItems(cbTimerMode, {ZemStr::FfTimerNone, ZemStr::FfTimer1, ZemStr::FfTimer2, ZemStr::FfBothTimers});
  SetHint(cbTimerMode, ZemStr::FfTimerModeHint);
  SetCaption(lStartTime, ZemStr::FfStartTime);
  SetCaption(lEndTime, ZemStr::FfEndTime);
  SetCaption(lTimer1, ZemStr::FfTimer1);
  SetCaption(lTimer2, ZemStr::FfTimer2);
  if (gbStandAloneSensorSettings)
    gbStandAloneSensorSettings->setCaption(GroupCaption(ZemStr::FfSensorSettings));
  SetItems(cbLightSensorTrig, {ZemStr::FfOff, ZemStr::FfOn});
  SetHint(cbLightSensorTrig, ZemStr::FfLightSensorTrigHint);
  SetCaption(lLightLevelTrigger, ZemStr::FfLightLevelTrigger);
  SetHint(seSensorLevelTrigger, ZemStr::FfLightLevelTriggerHint);
  SetCaptionHint(pCaptureCurrentLevel, ZemStr::FfCaptureLevel, ZemStr::FfCaptureLevelHint);

  // Monitor.
  if (gbHardwareMonitorValues)
    gbHardwareMonitorValues->setCaption(GroupCaption(ZemStr::FfHardwareMonitorValues));
  for (int ch = 1; ch <= 7; ++ch) {
    const size_t i = static_cast<size_t>(ch - 1);
    MonitorFormats[i] = ZemFormat(ZemStr::FfMonitorLight, ch);
    MonitorFormats[7 + i] = ZemFormat(ZemStr::FfMonitorVoltage, ch);
    MonitorFormats[14 + i] = ZemFormat(ZemStr::FfMonitorTemperature, ch);
    MonitorFormats[21 + i] = ZemFormat(ZemStr::FfMonitorFan, ch);
    if (lLightSensor[i]) lLightSensor[i]->setCaption(FormatValue(MonitorFormats[i], 0));
    if (lSupplyVoltage[i]) lSupplyVoltage[i]->setCaption(FormatValue(MonitorFormats[7 + i], 0.0));
    if (lTemperature[i]) lTemperature[i]->setCaption(FormatValue(MonitorFormats[14 + i], 0.0));
    if (lFanSpeed[i]) lFanSpeed[i]->setCaption(FormatValue(MonitorFormats[21 + i], 0));
  }
  SetCaptionHint(pClearLog, ZemStr::FfClearLog, ZemStr::FfClearLogHint);
  SetCaptionHint(pSaveLog, ZemStr::FfSaveLog, ZemStr::FfSaveLogHint);
  Updating = false;
}

// ---------------------------------------------------------------------------------------------------------
// Edits

void TFixtureFormTemplate::ShowEditValue(ui::SpinEdit* edit, int value) {
  if (edit == nullptr) return;
  const bool was = Updating;
  Updating = true;
  edit->setValue(value);
  Updating = was;
  // What the window shows is the fixture's value, not an edit of the user's.
  edit->setTag(0);
}

bool TFixtureFormTemplate::EditNumber(const ui::SpinEdit* edit, int& value) {
  // A value still being typed ("5", "51" on the way to "510") is not written: only the complete one.
  if (edit == nullptr || edit->editing() || !ParseNumber(edit->caption(), value)) return false;
  if (edit->minValue() != edit->maxValue() && (value < edit->minValue() || value > edit->maxValue()))
    return false;
  return true;
}

void TFixtureFormTemplate::WriteBackEdit(ui::SpinEdit* edit, const std::function<int()>& get,
                                         const std::function<bool(int)>& set,
                                         const std::function<void()>& refresh) {
  if (edit == nullptr || edit->tag() != 1) return;
  int value = 0;
  // Text that is not a number in the edit's range (yet) writes nothing; the mark stays for the next tick.
  if (!EditNumber(edit, value)) return;
  if (value == get()) return;
  edit->setTag(0);
  if (set(value)) refresh();
}

void TFixtureFormTemplate::ComboChanged(ui::ComboBox* box, const std::function<bool(int)>& set,
                                        const std::function<void()>& refresh) {
  if (Updating || !CurrentFixture || box == nullptr) return;
  if (set(box->itemIndex())) refresh();
}

void TFixtureFormTemplate::seChange(ui::Component* sender) {
  // Only the user's changes are marked: values the window shows are the fixture's own.
  if (Updating || sender == nullptr) return;
  sender->setTag(1);
}

void TFixtureFormTemplate::seKeyPress(ui::Component*, char& key) {
  const auto k = static_cast<unsigned char>(key);
  const bool allowed = k == 8 || (k >= 35 && k <= 40) || k == 46 || (k >= 48 && k <= 57);
  if (!allowed) key = 0;
}

void TFixtureFormTemplate::cbDMXLampOffChange(ui::Component*) {
  ComboChanged(
      cbDMXLampOff, [](int v) { return CurrentFixture->SetDMXLampOff(v); }, [this] { UpdateDMXSettings(); });
}
void TFixtureFormTemplate::cbDMXResetChange(ui::Component*) {
  ComboChanged(
      cbDMXReset, [](int v) { return CurrentFixture->SetDMXReset(v); }, [this] { UpdateDMXSettings(); });
}
void TFixtureFormTemplate::cbAutoLampOnChange(ui::Component*) {
  ComboChanged(
      cbAutoLampOn, [](int v) { return CurrentFixture->SetAutoLampOn(v); },
      [this] { UpdateOtherSettings(); });
}
void TFixtureFormTemplate::cbQZLLampOffChange(ui::Component*) {
  ComboChanged(
      cbQZLLampOff, [](int v) { return CurrentFixture->SetQZLLampOff(v); },
      [this] { UpdateOtherSettings(); });
}
void TFixtureFormTemplate::cbDisplayEnableChange(ui::Component*) {
  ComboChanged(
      cbDisplayEnable, [](int v) { return CurrentFixture->SetDisplayEnable(v); },
      [this] { UpdateOtherSettings(); });
}
void TFixtureFormTemplate::cbInvertDisplayChange(ui::Component*) {
  ComboChanged(
      cbInvertDisplay, [](int v) { return CurrentFixture->SetInvertDisplay(v); },
      [this] { UpdateOtherSettings(); });
}
void TFixtureFormTemplate::cbDisplayErrorsChange(ui::Component*) {
  ComboChanged(
      cbDisplayErrors, [](int v) { return CurrentFixture->SetDisplayErrors(v); },
      [this] { UpdateOtherSettings(); });
}
void TFixtureFormTemplate::cbStandAloneModeChange(ui::Component*) {
  ComboChanged(
      cbStandAloneMode, [](int v) { return CurrentFixture->SetStandAloneMode(v); },
      [this] { UpdateStandAloneSettings(); });
}
void TFixtureFormTemplate::cbAutoProgramOnChange(ui::Component*) {
  ComboChanged(
      cbAutoProgramOn, [](int v) { return CurrentFixture->SetAutoProgramOn(v); },
      [this] { UpdateStandAloneSettings(); });
}
void TFixtureFormTemplate::cbMasterSlaveSettingChange(ui::Component*) {
  ComboChanged(
      cbMasterSlaveSetting, [](int v) { return CurrentFixture->SetMasterSlaveSetting(v); },
      [this] { UpdateStandAloneSettings(); });
}
void TFixtureFormTemplate::cbTimerModeChange(ui::Component*) {
  ComboChanged(
      cbTimerMode, [](int v) { return CurrentFixture->SetTimerMode(v); }, [this] { UpdateTimerSettings(); });
}
void TFixtureFormTemplate::cbLightSensorTrigChange(ui::Component*) {
  ComboChanged(
      cbLightSensorTrig, [](int v) { return CurrentFixture->SetSensorTriggerLevel(v); },
      [this] { UpdateSensorSettings(); });
}

// ---------------------------------------------------------------------------------------------------------
// Panels used as buttons

void TFixtureFormTemplate::PanelMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  ui::Ref<ui::Panel> panel(dynamic_cast<ui::Panel*>(sender));
  if (!panel) return;
  LowerPanel(panel);
  ui::app().processMessages();
  if (!CurrentFixture || !panel) return;
  TZemFixture& f = *CurrentFixture;
  if (panel == pResetPowerOn) {
    if (f.ResetResettablePowerOnHours()) UpdateCounters();
  } else if (panel == pResetLampOn) {
    if (f.ResetResettableLampOnHours()) UpdateCounters();
  } else if (panel == pResetLampStrikes) {
    if (f.ResetResettableLampStrikes()) UpdateCounters();
  } else if (panel == pClearLog) {
    if (f.ClearSystemLog()) ReadFixture();
  } else if (panel == pSaveLog) {
    SaveLog();
    RaisePanel(panel);
  }
}

void TFixtureFormTemplate::PanelMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  RaisePanel(dynamic_cast<ui::Panel*>(sender));
}

void TFixtureFormTemplate::pMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (auto* panel = dynamic_cast<ui::Panel*>(sender)) panel->setBevelOuter(ui::BevelCut::Lowered);
}

void TFixtureFormTemplate::pMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (auto* panel = dynamic_cast<ui::Panel*>(sender)) panel->setBevelOuter(ui::BevelCut::Raised);
}

void TFixtureFormTemplate::pCaptureCurrentLevelClick(ui::Component*) {
  if (!CurrentFixture) return;
  Delay(kCapturePauseMs);
  if (CurrentFixture && CurrentFixture->RearmSensorTrigger()) UpdateSensorSettings();
  Delay(kCapturePauseMs);
}

void TFixtureFormTemplate::SaveLog() {
  if (!SaveDialog) return;
  PrepareFileDialog(*SaveDialog, ZemString(ZemStr::FfTextFilesFilter) + " (*." + "txt" + ")|*." + "txt",
                    "txt");
  if (!SaveDialog->execute()) return;
  const std::string text = reSystemLog ? reSystemLog->lines().text() : std::string();
  SaveFileOrReport(SaveDialog->fileName,
                   std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void TFixtureFormTemplate::PrepareFileDialog(ui::FileDialog& dialog, const std::string& filter,
                                             const char* defaultExt) {
  const std::string folder = MemoryFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::string initial = folder;
  if (error) {
    // A data folder that cannot be written, say: the user learns which folder and why, and the dialog opens
    // in the nearest one that is there, from where another can be chosen.
    ShowWarningForm(ZemFormat(ZemStr::FfFolderNotCreated, folder.c_str(), error.message().c_str()));
    if (const std::string there = sys::existingFolder(folder); !there.empty()) initial = there;
  }
  dialog.initialDir = initial;
  dialog.filter = filter;
  dialog.defaultExt = defaultExt;
  dialog.fileName.clear();
}

void TFixtureFormTemplate::SaveFileOrReport(const std::string& path, std::span<const uint8_t> data) {
  if (const sys::Result<void> saved = SaveFileBytes(path, data); !saved)
    ShowErrorForm(ZemString(ZemStr::FfFileWriteFailed) + "\r" + saved.error());
}

std::string TFixtureFormTemplate::MemoryFolder() const {
  const std::string name = CurrentFixture ? CurrentFixture->GetFixtureName() : std::string();
  return memoryFilesRoot() + SafeFolderName(name);
}

namespace {

// Channels 1 to 7 of a Monitor column: light (0), voltage (1), temperature (2), fan (3).
constexpr int kMonitorChannels = 7;
// The longest values a column can show: whole 16-bit numbers, and hundredths of an unsigned (voltage) or
// signed (temperature) 16-bit number.
constexpr double kWidestVoltage = 655.35;
constexpr double kWidestTemperature = -327.68;
constexpr int kWidestWord = 65535;
constexpr int kMonitorColumnLeft = 8;
constexpr int kMonitorColumnGap = 8;
constexpr int kMonitorMinColumnGap = 4;
constexpr int kMonitorGroupFrame = 2;  // the group box's frame at its right edge

}  // namespace

void TFixtureFormTemplate::SetMonitorFormat(size_t index, ZemStr format) {
  if (index >= MonitorFormats.size()) return;
  MonitorFormats[index] = ZemString(format);
  const size_t column = index / kMonitorChannels;
  const std::array<std::array<ui::Ref<ui::Label>, 7>*, 4> columns = {&lLightSensor, &lSupplyVoltage,
                                                                     &lTemperature, &lFanSpeed};
  ui::Label* label = (*columns[column])[index % kMonitorChannels];
  if (label == nullptr) return;
  // Light and fan values are whole numbers, voltages and temperatures have a decimal.
  label->setCaption(column == 1 || column == 2 ? FormatValue(MonitorFormats[index], 0.0)
                                               : FormatValue(MonitorFormats[index], 0));
}

void TFixtureFormTemplate::FitMonitorColumns() {
  if (!gbHardwareMonitorValues) return;
  ui::Canvas& c = canvas();
  const std::array<std::array<ui::Ref<ui::Label>, 7>*, 4> columns = {&lLightSensor, &lSupplyVoltage,
                                                                     &lTemperature, &lFanSpeed};
  auto measure = [&] {
    std::array<int, 4> widths{};
    for (size_t col = 0; col < columns.size(); ++col) {
      for (size_t ch = 0; ch < kMonitorChannels; ++ch) {
        const ui::Label* label = (*columns[col])[ch];
        if (label == nullptr) continue;
        c.font = label->font();
        const std::string& format = MonitorFormats[col * kMonitorChannels + ch];
        const std::string widest = col == 1   ? FormatValue(format, kWidestVoltage)
                                   : col == 2 ? FormatValue(format, kWidestTemperature)
                                              : FormatValue(format, kWidestWord);
        widths[col] = std::max(widths[col], c.textWidth(widest));
      }
    }
    return widths;
  };
  auto sum = [](const std::array<int, 4>& widths) { return widths[0] + widths[1] + widths[2] + widths[3]; };
  const int room = gbHardwareMonitorValues->width() - kMonitorGroupFrame - kMonitorColumnLeft;
  const int gaps = static_cast<int>(columns.size()) - 1;
  std::array<int, 4> widths = measure();
  if (sum(widths) + gaps * kMonitorMinColumnGap > room) {
    // Long texts at their widest values do not stand side by side in bold: the values take the plain face.
    for (const auto* column : columns) {
      for (const ui::Ref<ui::Label>& label : *column) {
        if (label) label->setFontBold(false);
      }
    }
    widths = measure();
  }
  // Long texts share the group's width: the gaps between the columns narrow first.
  const int total = sum(widths);
  const int gap = std::clamp((room - total) / gaps, kMonitorMinColumnGap, kMonitorColumnGap);
  int left = kMonitorColumnLeft;
  for (size_t col = 0; col < columns.size(); ++col) {
    for (const ui::Ref<ui::Label>& label : *columns[col]) {
      if (label) label->setLeft(left);
    }
    left += widths[col] + gap;
  }
}

bool TFixtureFormTemplate::MonitorPageShowing() const {
  return tsMonitor && PC1 && PC1->activePage() == tsMonitor.get();
}

// ---------------------------------------------------------------------------------------------------------
// Update operations

void TFixtureFormTemplate::UpdateAll() {
  if (!CurrentFixture) return;
  UpdateFixtureInfo();
  UpdateCounters();
  UpdateSystemLog();
  UpdateMonitorValues();
  UpdateLampStatus();
  UpdateSensorValue();
  UpdateErrors();
  UpdateClock();
  UpdateDMXSettings();
  UpdateOtherSettings();
  UpdateStandAloneSettings();
  UpdateTimerSettings();
  UpdateSensorSettings();
  UpdateScene();
}

void TFixtureFormTemplate::UpdateFixtureInfo() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  if (lFixtureType) lFixtureType->setCaption(ZemFormat(ZemStr::FfFixtureType, f.GetFixtureName().c_str()));
  if (lMainCPUInfo) lMainCPUInfo->setCaption(f.GetVersionText());
  if (lFixtureId) lFixtureId->setCaption(ZemFormat(ZemStr::FfFixtureId, f.GetSerialNumberText().c_str()));
  FitFixtureInfoRows();
}

void TFixtureFormTemplate::FitFixtureInfoRows() {
  if (!lFixtureType || !lMainCPUInfo || !lFixtureId || !gbFixtureInformation) return;
  // A name on two rows moves the version down; the identity keeps its row unless the version reaches it.
  lMainCPUInfo->setTop(std::max(kInfoCpuTop, ControlBottom(lFixtureType) + kInfoRowGap));
  lFixtureId->setTop(std::max(kInfoIdTop, ControlBottom(lMainCPUInfo) + kInfoRowGap));
  gbFixtureInformation->setHeight(
      std::max(gbFixtureInformation->height(), ControlBottom(lFixtureId) + kInfoBottom));
}

void TFixtureFormTemplate::UpdateCounters() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  const std::tuple<ui::Label*, ZemStr, int> counters[] = {
      {lPowerOnHours, ZemStr::FfPowerOnHours, f.GetTotalPowerOnHours()},
      {lLampOnHours, ZemStr::FfLampOnHours, f.GetTotalLampOnHours()},
      {lLampStrikes, ZemStr::FfLampStrikes, f.GetTotalLampStrikes()},
      {lRPowerOnHours, ZemStr::FfRPowerOnHours, f.GetResettablePowerOnHours()},
      {lRLampOnHours, ZemStr::FfRLampOnHours, f.GetResettableLampOnHours()},
      {lRLampStrikes, ZemStr::FfRLampStrikes, f.GetResettableLampStrikes()},
  };
  for (const auto& [label, format, value] : counters) {
    if (label) label->setCaption(ZemFormat(format, value));
  }
}

void TFixtureFormTemplate::UpdateSystemLog() {
  if (!CurrentFixture || !tsMonitor || !reSystemLog) return;
  reSystemLog->lines().clear();
  for (const std::string& line : CurrentFixture->LogTextList()) reSystemLog->lines().add(line);
}

void TFixtureFormTemplate::UpdateMonitorValues() {
  if (!CurrentFixture || !tsMonitor) return;
  TZemFixture& f = *CurrentFixture;
  for (int ch = 1; ch <= 7; ++ch) {
    const size_t i = static_cast<size_t>(ch - 1);
    if (lLightSensor[i]) lLightSensor[i]->setCaption(FormatValue(MonitorFormats[i], f.GetMonitorWordA(ch)));
    if (lSupplyVoltage[i])
      lSupplyVoltage[i]->setCaption(FormatValue(MonitorFormats[7 + i], f.GetMonitorValueB(ch)));
    if (lTemperature[i])
      lTemperature[i]->setCaption(FormatValue(MonitorFormats[14 + i], f.GetMonitorValueC(ch)));
    if (lFanSpeed[i]) lFanSpeed[i]->setCaption(FormatValue(MonitorFormats[21 + i], f.GetMonitorWordD(ch)));
  }
}

void TFixtureFormTemplate::UpdateLampStatus() {
  if (!CurrentFixture || !lLampStatus) return;
  lLampStatus->setCaption(CurrentFixture->GetLampStateText());
}

void TFixtureFormTemplate::UpdateSensorValue() {
  if (!CurrentFixture || !lSensorValue) return;
  lSensorValue->setCaption(ZemFormat(ZemStr::FfSensorValue, CurrentFixture->GetLightSensorValue()));
}

void TFixtureFormTemplate::UpdateErrors() {
  if (!CurrentFixture || !reErrors) return;
  const TStringList& errors = CurrentFixture->GetErrorList();
  reErrors->lines().assign(errors);
  if (errors.size() < 2) {
    reErrors->setColor(reErrors->parent() ? reErrors->parent()->color() : kZemGrey);
  } else {
    reErrors->setColor(kErrorsRed);
  }
}

void TFixtureFormTemplate::UpdateClock() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  ShowEditValue(seHour, f.GetClockHour());
  ShowEditValue(seMinute, f.GetClockMinute());
  ShowEditValue(seDate, f.GetClockDate());
  ShowEditValue(seMonth, f.GetClockMonth());
  ShowEditValue(seYear, f.GetClockYear());
  Updating = false;
}

void TFixtureFormTemplate::UpdateDMXSettings() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  ShowEditValue(seDMXAddress, f.GetDmxAddress());
  if (cbDMXLampOff) cbDMXLampOff->setItemIndex(f.GetDMXLampOff());
  if (cbDMXReset) cbDMXReset->setItemIndex(f.GetDMXReset());
  Updating = false;
}

void TFixtureFormTemplate::UpdateOtherSettings() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  if (cbAutoLampOn) cbAutoLampOn->setItemIndex(f.GetAutoLampOn());
  if (cbQZLLampOff) cbQZLLampOff->setItemIndex(f.GetQZLLampOff());
  if (cbDisplayEnable) cbDisplayEnable->setItemIndex(f.GetDisplayEnable());
  if (cbInvertDisplay) cbInvertDisplay->setItemIndex(f.GetInvertDisplay());
  if (cbDisplayErrors) cbDisplayErrors->setItemIndex(f.GetDisplayErrors());
  Updating = false;
}

void TFixtureFormTemplate::UpdateStandAloneSettings() {
  if (!CurrentFixture || !tsStandAloneSettings) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  if (cbStandAloneMode) cbStandAloneMode->setItemIndex(f.GetStandAloneMode());
  if (cbAutoProgramOn) cbAutoProgramOn->setItemIndex(f.GetAutoProgramOn());
  if (cbMasterSlaveSetting) cbMasterSlaveSetting->setItemIndex(f.GetMasterSlaveSetting());
  Updating = false;
}

void TFixtureFormTemplate::UpdateTimerSettings() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  if (cbTimerMode) cbTimerMode->setItemIndex(f.GetTimerMode());
  ShowEditValue(seT1HStart, f.GetTimer1StartHour());
  ShowEditValue(seT1MStart, f.GetTimer1StartMinute());
  ShowEditValue(seT1HStop, f.GetTimer1StopHour());
  ShowEditValue(seT1MStop, f.GetTimer1StopMinute());
  ShowEditValue(seT2HStart, f.GetTimer2StartHour());
  ShowEditValue(seT2MStart, f.GetTimer2StartMinute());
  ShowEditValue(seT2HStop, f.GetTimer2StopHour());
  ShowEditValue(seT2MStop, f.GetTimer2StopMinute());
  Updating = false;
}

void TFixtureFormTemplate::UpdateSensorSettings() {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;
  Updating = true;
  if (cbLightSensorTrig) cbLightSensorTrig->setItemIndex(f.GetSensorTriggerLevel());
  ShowEditValue(seSensorLevelTrigger, f.GetSensorTriggerWord());
  Updating = false;
}

// ---------------------------------------------------------------------------------------------------------
// Write-back timer

void TFixtureFormTemplate::SAModifiedTimerTimer(ui::Component*) {
  if (!CurrentFixture) return;
  TZemFixture& f = *CurrentFixture;

  // DMX address range: the fixture's footprint must fit the universe.
  if (seDMXAddress) {
    const int maxAddress = std::max(kDmxUniverse + 1 - f.GetDmxChannelCount(), seDMXAddress->minValue());
    if (seDMXAddress->maxValue() != maxAddress) {
      seDMXAddress->setMaxValue(maxAddress);
      int shown = 0;
      if (ParseNumber(seDMXAddress->caption(), shown) && shown > maxAddress) {
        // The lowered address is written like an edit, so that the fixture's footprint fits as well.
        ShowEditValue(seDMXAddress, maxAddress);
        seDMXAddress->setTag(1);
      }
    }
  }
  WriteBackEdit(
      seDMXAddress, [&f] { return f.GetDmxAddress(); }, [&f](int v) { return f.SetDmxAddress(v); },
      [this] { UpdateDMXSettings(); });

  const auto clockRefresh = [this] { UpdateClock(); };
  WriteBackEdit(
      seHour, [&f] { return f.GetClockHour(); }, [&f](int v) { return f.SetClockHour(v); }, clockRefresh);
  WriteBackEdit(
      seMinute, [&f] { return f.GetClockMinute(); }, [&f](int v) { return f.SetClockMinute(v); },
      clockRefresh);
  WriteBackEdit(
      seDate, [&f] { return f.GetClockDate(); }, [&f](int v) { return f.SetClockDate(v); }, clockRefresh);
  WriteBackEdit(
      seMonth, [&f] { return f.GetClockMonth(); }, [&f](int v) { return f.SetClockMonth(v); }, clockRefresh);
  WriteBackEdit(
      seYear, [&f] { return f.GetClockYear(); }, [&f](int v) { return f.SetClockYear(v); }, clockRefresh);

  WriteBackEdit(
      seSensorLevelTrigger, [&f] { return f.GetSensorTriggerWord(); },
      [&f](int v) { return f.SetSensorTriggerWord(v); }, [this] { UpdateSensorSettings(); });

  const auto timerRefresh = [this] { UpdateTimerSettings(); };
  WriteBackEdit(
      seT1HStart, [&f] { return f.GetTimer1StartHour(); }, [&f](int v) { return f.SetTimer1StartHour(v); },
      timerRefresh);
  WriteBackEdit(
      seT1MStart, [&f] { return f.GetTimer1StartMinute(); },
      [&f](int v) { return f.SetTimer1StartMinute(v); }, timerRefresh);
  WriteBackEdit(
      seT1HStop, [&f] { return f.GetTimer1StopHour(); }, [&f](int v) { return f.SetTimer1StopHour(v); },
      timerRefresh);
  WriteBackEdit(
      seT1MStop, [&f] { return f.GetTimer1StopMinute(); }, [&f](int v) { return f.SetTimer1StopMinute(v); },
      timerRefresh);
  WriteBackEdit(
      seT2HStart, [&f] { return f.GetTimer2StartHour(); }, [&f](int v) { return f.SetTimer2StartHour(v); },
      timerRefresh);
  WriteBackEdit(
      seT2MStart, [&f] { return f.GetTimer2StartMinute(); },
      [&f](int v) { return f.SetTimer2StartMinute(v); }, timerRefresh);
  WriteBackEdit(
      seT2HStop, [&f] { return f.GetTimer2StopHour(); }, [&f](int v) { return f.SetTimer2StopHour(v); },
      timerRefresh);
  WriteBackEdit(
      seT2MStop, [&f] { return f.GetTimer2StopMinute(); }, [&f](int v) { return f.SetTimer2StopMinute(v); },
      timerRefresh);

  // Scene times: the three edits of each time are written as one number of seconds.
  const auto sceneTime = [](ui::SpinEdit* h, ui::SpinEdit* m, ui::SpinEdit* s,
                            const std::function<int()>& get, const std::function<bool(int)>& set) {
    if (h == nullptr || m == nullptr || s == nullptr) return;
    if (h->tag() != 1 && m->tag() != 1 && s->tag() != 1) return;
    int hours = 0, minutes = 0, seconds = 0;
    if (!EditNumber(h, hours) || !EditNumber(m, minutes) || !EditNumber(s, seconds)) return;
    const int total = (hours * 60 + minutes) * 60 + seconds;
    if (total != get()) set(total);
    h->setTag(0);
    m->setTag(0);
    s->setTag(0);
  };
  sceneTime(
      seWaitHour, seWaitMinute, seWaitSecond, [&f] { return f.GetWaitTimeSeconds(); },
      [&f](int v) { return f.SetWaitTimeSeconds(v); });
  sceneTime(
      seFadeHour, seFadeMinute, seFadeSecond, [&f] { return f.GetFadeTimeSeconds(); },
      [&f](int v) { return f.SetFadeTimeSeconds(v); });

  UpdateMonitorValues();
}
