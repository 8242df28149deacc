#include "zem/model/Brv600Models.h"

#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/model_support.h"

using modelsupport::ReadStep;
using modelsupport::SceneFunctions;

namespace {

inline constexpr uint32_t kRequiredFirmware = 0x020000;
inline constexpr int kPage = 237;
inline constexpr int kNoEnter = -1;
inline constexpr int kIdle = 0;
inline constexpr int kDmxProtocolFunction = 2;
inline constexpr int kServiceAction = 25;
inline constexpr int kServiceSwitch = 37;
inline constexpr int kRearmSensor = 57;
inline constexpr int kFadeTimeIndex = 58;
inline constexpr int kWaitTimeIndex = 59;
inline constexpr int kReset = 81;
inline constexpr int kLampOn = 82;
inline constexpr int kLampOff = 83;
inline constexpr int kAdjustAll = 84;
inline constexpr int kAdjustDimmer = 85;
inline constexpr int kAdjustCyan = 86;
inline constexpr int kAdjustMagenta = 87;
inline constexpr int kAdjustYellow = 88;
inline constexpr int kAdjustColor = 89;
inline constexpr int kAdjustBeam = 90;
inline constexpr int kAdjustZoom = 91;
inline constexpr int kAdjustShutter = 92;
inline constexpr int kLiveIntensity = 99;
inline constexpr int kLiveColor = 100;
inline constexpr int kLiveCyan = 101;
inline constexpr int kLiveMagenta = 102;
inline constexpr int kLiveYellow = 103;
inline constexpr int kLiveFrost = 104;
inline constexpr int kLiveZoom = 105;
inline constexpr int kTestSequence = 254;

inline constexpr int kPositionOpen = 0;
inline constexpr int kPositionSensor = 1;
inline constexpr int kPositionAdjust = 2;

// The fixture needs this long to store a setting before it can be read back.
inline constexpr uint32_t kSettingSettleMs = 100;
inline constexpr uint32_t kRearmSettleMs = 250;

constexpr SceneFunctions kScenes = {
    {32, 0}, {31, 0}, {33, 0}, {36, 0}, {30, 0}, {35, 0}, {34, 0},
};

// EEPROM addresses of the settings; each is also the service function that changes it.
namespace addr {
inline constexpr int kQZLLampOff = 28;
inline constexpr int kAutoProgramOn = 38;
inline constexpr int kSensorTriggerLevel = 60;
inline constexpr int kSensorTriggerWord = 61;
inline constexpr int kTimerMode = 62;
inline constexpr int kTimer1StartHour = 63;
inline constexpr int kTimer1StartMinute = 64;
inline constexpr int kTimer1StopHour = 65;
inline constexpr int kTimer1StopMinute = 66;
inline constexpr int kMasterSlave = 77;
inline constexpr int kStandAloneMode = 78;
inline constexpr int kTimer2StartHour = 94;
inline constexpr int kTimer2StartMinute = 95;
inline constexpr int kTimer2StopHour = 96;
inline constexpr int kTimer2StopMinute = 97;
}  // namespace addr

// Where each setting's copy lives in FixtureData (the model's scratch area).
struct EepromSetting {
  int address;
  size_t record;
  bool word;  // 16-bit; the others are bytes
};

constexpr EepromSetting kSettings[] = {
    {addr::kQZLLampOff, fd::kModelScratch + 0, false},
    {addr::kStandAloneMode, fd::kModelScratch + 1, false},
    {addr::kMasterSlave, fd::kModelScratch + 2, false},
    {addr::kAutoProgramOn, fd::kModelScratch + 3, false},
    {addr::kTimerMode, fd::kModelScratch + 4, false},
    {addr::kTimer1StartHour, fd::kModelScratch + 5, false},
    {addr::kTimer1StartMinute, fd::kModelScratch + 6, false},
    {addr::kTimer1StopHour, fd::kModelScratch + 7, false},
    {addr::kTimer1StopMinute, fd::kModelScratch + 8, false},
    {addr::kTimer2StartHour, fd::kModelScratch + 9, false},
    {addr::kTimer2StartMinute, fd::kModelScratch + 10, false},
    {addr::kTimer2StopHour, fd::kModelScratch + 11, false},
    {addr::kTimer2StopMinute, fd::kModelScratch + 12, false},
    {addr::kSensorTriggerLevel, fd::kModelScratch + 13, false},
    {addr::kSensorTriggerWord, fd::kModelScratch + 15, true},
};
static_assert(fd::kModelScratch + 15 == 280);

const EepromSetting& setting(int address) {
  for (const EepromSetting& s : kSettings) {
    if (s.address == address) return s;
  }
  throw ERangeError("no EEPROM-held setting at address " + std::to_string(address));
}

// Scene being edited.
inline constexpr size_t kFadeSeconds = 9;   // 16-bit
inline constexpr size_t kWaitSeconds = 11;  // 16-bit

inline constexpr int kLastAddress = 255;

}  // namespace

TZemFixtureBrv600_20::TZemFixtureBrv600_20() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  eepromWriteChunk_ = 1;
}

const TStringList& TZemFixtureBrv600_20::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 0, "(%d) LERR - Lamp Error"},
      {1, 1, "(%d) ShER - Short Error"},
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 3, "(%d) HTER - Head Temperature-sense circuit error"},
      {1, 4, "(%d) bTER - Base Temperature-sense circuit error"},
      {3, 2, "(%d) diER - Dimmer Reset Error"},
      {3, 3, "(%d) CYER - Cyan Reset Error"},
      {3, 4, "(%d) MAER - Magenta Reset Error"},
      {3, 5, "(%d) YEER - Yellow Reset Error"},
      {3, 6, "(%d) COER - Color Wheel Reset Error"},
      {5, 4, "(%d) ZOER - Zoom Reset Error"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureBrv600_20::GetDmxChannelCount() {
  return GetDmxProtocol() != 0 ? 9 : 8;
}

std::string TZemFixtureBrv600_20::GetFixtureName() {
  return "Brevidor 600";
}

// ---------------------------------------------------------------------------
// EEPROM-held settings

bool TZemFixtureBrv600_20::readEepromSetting(int address) {
  const EepromSetting& s = setting(address);
  if (readEepromWords(address, 1) == 0)
    return noteRead(false, FormatText("setting at EEPROM address %d", address));
  const uint16_t word = eepromAreaWord(0);
  if (s.word) {
    setRecordWord(s.record, word);
    return true;
  }
  // The fixture answered something no byte setting can hold: treat it as a failed read.
  if (word > 0xFF)
    return noteRead(false, FormatText("setting at EEPROM address %d (%d is no byte value)", address, word));
  setRecordByte(s.record, static_cast<uint8_t>(word));
  return true;
}

bool TZemFixtureBrv600_20::setEepromSetting(int address, int value) {
  const EepromSetting& s = setting(address);
  if (s.word) {
    checkWord(value, "setting");
  } else {
    checkByte(value, "setting");
  }
  const int copy = s.word ? recordWord(s.record) : recordByte(s.record);
  if (copy == value) return true;
  const bool sent = SendServiceCommand(address, value, svc::kArgumentDone);
  DelayNoMessages(kSettingSettleMs);
  if (!sent) return false;
  return readEepromSetting(address);
}

bool TZemFixtureBrv600_20::SetQZLLampOff(int flag) {
  return setEepromSetting(addr::kQZLLampOff, flag);
}
bool TZemFixtureBrv600_20::SetStandAloneMode(int value) {
  return setEepromSetting(addr::kStandAloneMode, value);
}
bool TZemFixtureBrv600_20::SetAutoProgramOn(int value) {
  return setEepromSetting(addr::kAutoProgramOn, value);
}
bool TZemFixtureBrv600_20::SetMasterSlaveSetting(int value) {
  return setEepromSetting(addr::kMasterSlave, value);
}
bool TZemFixtureBrv600_20::SetTimerMode(int value) {
  return setEepromSetting(addr::kTimerMode, value);
}
bool TZemFixtureBrv600_20::SetTimer1StartHour(int value) {
  return setEepromSetting(addr::kTimer1StartHour, value);
}
bool TZemFixtureBrv600_20::SetTimer1StartMinute(int value) {
  return setEepromSetting(addr::kTimer1StartMinute, value);
}
bool TZemFixtureBrv600_20::SetTimer1StopHour(int value) {
  return setEepromSetting(addr::kTimer1StopHour, value);
}
bool TZemFixtureBrv600_20::SetTimer1StopMinute(int value) {
  return setEepromSetting(addr::kTimer1StopMinute, value);
}
bool TZemFixtureBrv600_20::SetTimer2StartHour(int value) {
  return setEepromSetting(addr::kTimer2StartHour, value);
}
bool TZemFixtureBrv600_20::SetTimer2StartMinute(int value) {
  return setEepromSetting(addr::kTimer2StartMinute, value);
}
bool TZemFixtureBrv600_20::SetTimer2StopHour(int value) {
  return setEepromSetting(addr::kTimer2StopHour, value);
}
bool TZemFixtureBrv600_20::SetTimer2StopMinute(int value) {
  return setEepromSetting(addr::kTimer2StopMinute, value);
}
bool TZemFixtureBrv600_20::SetSensorTriggerLevel(int value) {
  return setEepromSetting(addr::kSensorTriggerLevel, value);
}
bool TZemFixtureBrv600_20::SetSensorTriggerWord(int value) {
  return setEepromSetting(addr::kSensorTriggerWord, value);
}

int TZemFixtureBrv600_20::GetQZLLampOff() {
  return recordByte(setting(addr::kQZLLampOff).record);
}
int TZemFixtureBrv600_20::GetStandAloneMode() {
  return recordByte(setting(addr::kStandAloneMode).record);
}
int TZemFixtureBrv600_20::GetAutoProgramOn() {
  return recordByte(setting(addr::kAutoProgramOn).record);
}
int TZemFixtureBrv600_20::GetMasterSlaveSetting() {
  return recordByte(setting(addr::kMasterSlave).record);
}
int TZemFixtureBrv600_20::GetTimerMode() {
  return recordByte(setting(addr::kTimerMode).record);
}
int TZemFixtureBrv600_20::GetTimer1StartHour() {
  return recordByte(setting(addr::kTimer1StartHour).record);
}
int TZemFixtureBrv600_20::GetTimer1StartMinute() {
  return recordByte(setting(addr::kTimer1StartMinute).record);
}
int TZemFixtureBrv600_20::GetTimer1StopHour() {
  return recordByte(setting(addr::kTimer1StopHour).record);
}
int TZemFixtureBrv600_20::GetTimer1StopMinute() {
  return recordByte(setting(addr::kTimer1StopMinute).record);
}
int TZemFixtureBrv600_20::GetTimer2StartHour() {
  return recordByte(setting(addr::kTimer2StartHour).record);
}
int TZemFixtureBrv600_20::GetTimer2StartMinute() {
  return recordByte(setting(addr::kTimer2StartMinute).record);
}
int TZemFixtureBrv600_20::GetTimer2StopHour() {
  return recordByte(setting(addr::kTimer2StopHour).record);
}
int TZemFixtureBrv600_20::GetTimer2StopMinute() {
  return recordByte(setting(addr::kTimer2StopMinute).record);
}
int TZemFixtureBrv600_20::GetSensorTriggerLevel() {
  return recordByte(setting(addr::kSensorTriggerLevel).record);
}
int TZemFixtureBrv600_20::GetSensorTriggerWord() {
  return recordWord(setting(addr::kSensorTriggerWord).record);
}

bool TZemFixtureBrv600_20::SetDmxProtocol(int value) {
  checkByte(value, "DMX protocol");
  if (GetDmxProtocol() == value) return true;
  if (!SendServiceCommand(kDmxProtocolFunction, value, svc::kArgumentDone)) return false;
  return ReadPersonality();
}

bool TZemFixtureBrv600_20::RearmSensorTrigger() {
  const bool sent = SendServiceCommand(kRearmSensor, 0, svc::kArgumentDone);
  DelayNoMessages(kRearmSettleMs);
  if (!sent) return false;
  return readEepromSetting(addr::kSensorTriggerWord);
}

// ---------------------------------------------------------------------------
// Reading everything

bool TZemFixtureBrv600_20::ReadAllFixtureData(const TProgressCallback& progress) {
  auto eeprom = [this](int address) -> ReadStep {
    return [this, address] { return readEepromSetting(address); };
  };
  using modelsupport::operator+;
  const std::vector<ReadStep> steps =
      modelsupport::basicReadSteps(*this) + std::vector<ReadStep>{
                                                eeprom(addr::kQZLLampOff),
                                                [this] { return ReadEffectCalibration(); },
                                                eeprom(addr::kStandAloneMode),
                                                eeprom(addr::kAutoProgramOn),
                                                eeprom(addr::kMasterSlave),
                                                eeprom(addr::kTimerMode),
                                                eeprom(addr::kTimer1StartHour),
                                                eeprom(addr::kTimer1StartMinute),
                                                eeprom(addr::kTimer1StopHour),
                                                eeprom(addr::kTimer1StopMinute),
                                                eeprom(addr::kTimer2StartHour),
                                                eeprom(addr::kTimer2StartMinute),
                                                eeprom(addr::kTimer2StopHour),
                                                eeprom(addr::kTimer2StopMinute),
                                                eeprom(addr::kSensorTriggerLevel),
                                                eeprom(addr::kSensorTriggerWord),
                                                [this] { return ReadStandAloneProgram(); },
                                            };
  return modelsupport::readAllSteps(*this, steps, 23, 23, progress);
}

// ---------------------------------------------------------------------------
// Service commands

int TZemFixtureBrv600_20::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureBrv600_20::PreviousScene() {
  return sendScene(kNoEnter, kScenes.previous.function, kScenes.previous.value);
}
bool TZemFixtureBrv600_20::NextScene() {
  return sendScene(kNoEnter, kScenes.next.function, kScenes.next.value);
}
bool TZemFixtureBrv600_20::StoreScene() {
  return sendScene(kNoEnter, kScenes.store.function, kScenes.store.value);
}
bool TZemFixtureBrv600_20::DeleteAllScenes() {
  return sendScene(kNoEnter, kScenes.deleteAll.function, kScenes.deleteAll.value);
}
bool TZemFixtureBrv600_20::AddScene() {
  return sendScene(kNoEnter, kScenes.add.function, kScenes.add.value);
}
bool TZemFixtureBrv600_20::DeleteScene() {
  return sendScene(kNoEnter, kScenes.remove.function, kScenes.remove.value);
}
bool TZemFixtureBrv600_20::InsertScene() {
  return sendScene(kNoEnter, kScenes.insert.function, kScenes.insert.value);
}

bool TZemFixtureBrv600_20::SetServiceSwitch(bool on) {
  const int argument = on ? 0 : svc::kArgumentDone;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kServiceSwitch, 0, argument);
  (void)SendServiceCommand(kServiceSwitch, 0, argument);
  return true;
}

bool TZemFixtureBrv600_20::IdlePoll(bool /*monitorPageShowing*/) {
  return sendIdle(kIdle);
}

bool TZemFixtureBrv600_20::SetLiveIntensity(int value) {
  return sendLive(kNoEnter, kLiveIntensity, value);
}
bool TZemFixtureBrv600_20::SetLiveCyan(int value) {
  return sendLive(kNoEnter, kLiveCyan, value);
}
bool TZemFixtureBrv600_20::SetLiveMagenta(int value) {
  return sendLive(kNoEnter, kLiveMagenta, value);
}
bool TZemFixtureBrv600_20::SetLiveYellow(int value) {
  return sendLive(kNoEnter, kLiveYellow, value);
}
bool TZemFixtureBrv600_20::SetWaitTimeIndex(int index) {
  return sendLive(kNoEnter, kWaitTimeIndex, checkByte(index, "wait time index"));
}
bool TZemFixtureBrv600_20::SetFadeTimeIndex(int index) {
  return sendLive(kNoEnter, kFadeTimeIndex, checkByte(index, "fade time index"));
}
bool TZemFixtureBrv600_20::SetLiveZoom(int value) {
  return sendLive(kNoEnter, kLiveZoom, value);
}
bool TZemFixtureBrv600_20::SetLiveColor(int position) {
  return sendLive(kNoEnter, kLiveColor, checkByte(position, "colour position"));
}
bool TZemFixtureBrv600_20::SetLiveFrost(int value) {
  return sendLive(kNoEnter, kLiveFrost, checkByte(value, "frost"));
}

int TZemFixtureBrv600_20::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureBrv600_20::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, 109, 208);
}
void TZemFixtureBrv600_20::GetSettingsAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {14, 17}, {40, 43}, {98, 98}, {109, 208}, {240, 255}});
}
void TZemFixtureBrv600_20::GetMemoryAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {14, 17}, {40, 43}, {98, 98}, {240, 255}});
}

void TZemFixtureBrv600_20::ServiceAction94(int value) {
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kServiceAction, value, svc::kArgumentDone);
}

void TZemFixtureBrv600_20::ResetFixture() {
  sendPair(kReset, 0);
}
void TZemFixtureBrv600_20::LampOff() {
  sendPair(kLampOff, 0);
}
void TZemFixtureBrv600_20::LampOn() {
  sendPair(kLampOn, 0);
}
void TZemFixtureBrv600_20::AdjustZoomSensor() {
  sendPair(kAdjustZoom, kPositionSensor);
}

int TZemFixtureBrv600_20::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kWaitSeconds);
}
int TZemFixtureBrv600_20::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kFadeSeconds);
}

void TZemFixtureBrv600_20::AdjustAllOpen() {
  sendPair(kAdjustAll, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustAllSensor() {
  sendPair(kAdjustAll, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustAllAdjust() {
  sendPair(kAdjustAll, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustDimmerOpen() {
  sendPair(kAdjustDimmer, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustDimmerSensor() {
  sendPair(kAdjustDimmer, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustDimmerAdjust() {
  sendPair(kAdjustDimmer, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustCyanOpen() {
  sendPair(kAdjustCyan, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustCyanSensor() {
  sendPair(kAdjustCyan, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustCyanAdjust() {
  sendPair(kAdjustCyan, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustMagentaOpen() {
  sendPair(kAdjustMagenta, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustMagentaSensor() {
  sendPair(kAdjustMagenta, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustMagentaAdjust() {
  sendPair(kAdjustMagenta, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustYellowOpen() {
  sendPair(kAdjustYellow, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustYellowSensor() {
  sendPair(kAdjustYellow, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustYellowAdjust() {
  sendPair(kAdjustYellow, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustColorOpen() {
  sendPair(kAdjustColor, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustColorSensor() {
  sendPair(kAdjustColor, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustColorAdjust() {
  sendPair(kAdjustColor, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustBeamOpen() {
  sendPair(kAdjustBeam, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustBeamSensor() {
  sendPair(kAdjustBeam, kPositionSensor);
}
void TZemFixtureBrv600_20::AdjustBeamAdjust() {
  sendPair(kAdjustBeam, kPositionAdjust);
}
void TZemFixtureBrv600_20::AdjustZoomOpen() {
  sendPair(kAdjustZoom, kPositionOpen);
}
void TZemFixtureBrv600_20::AdjustZoomAdjust() {
  sendPair(kAdjustZoom, kPositionAdjust);
}
// The shutter's positions run the other way round: 0 adjusts, 2 opens.
void TZemFixtureBrv600_20::AdjustShutterAdjust() {
  sendPair(kAdjustShutter, 0);
}
void TZemFixtureBrv600_20::AdjustShutterClosed() {
  sendPair(kAdjustShutter, 1);
}
void TZemFixtureBrv600_20::AdjustShutterOpen() {
  sendPair(kAdjustShutter, 2);
}
void TZemFixtureBrv600_20::SetTestSequenceMode(bool on) {
  sendPair(kTestSequence, on ? 0 : 1);
}

// ---------------------------------------------------------------------------
// Brevidor 600 Compact

TZemFixtureBrv600C_20::TZemFixtureBrv600C_20() {
  requiredFirmwareVersion_ = kRequiredFirmware;
}

int TZemFixtureBrv600C_20::GetDmxChannelCount() {
  return GetDmxProtocol() != 0 ? 5 : 4;
}

std::string TZemFixtureBrv600C_20::GetFixtureName() {
  return "Brevidor 600 Compact";
}
