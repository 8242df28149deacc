#include "zem/model/uZemFixture.h"

#include <algorithm>

#include "platform/sys/byte_order.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/ZemUtils.h"

TZemFixture* CurrentFixture = nullptr;

namespace {

using namespace fdarea;

inline constexpr uint8_t kLogValid = 1;

uint8_t rd8(size_t offset) {
  return FixtureData.at(offset);
}
void wr8(size_t offset, uint8_t v) {
  FixtureData.at(offset) = v;
}
// 16-bit values in the record keep the fixture's byte order: low byte first.
uint16_t rd16(size_t offset) {
  return sys::getLE16(FixtureData, offset);
}
void wr16(size_t offset, uint16_t v) {
  sys::putLE16(FixtureData, offset, v);
}

uint32_t packVersion(uint32_t major, uint32_t minor, uint32_t build) {
  return (major << 16) | (minor << 8) | build;
}

// Raises MP2Idle for the time of one idle frame, also when the send raises.
class IdleFlagScope {
 public:
  IdleFlagScope() { MP2Idle = true; }
  ~IdleFlagScope() { MP2Idle = false; }
  IdleFlagScope(const IdleFlagScope&) = delete;
  IdleFlagScope& operator=(const IdleFlagScope&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TZemFixture::TZemFixture() : logText_{"ZEM does not support the log feature for this fixture."} {}

TZemFixture::~TZemFixture() = default;

// ---------------------------------------------------------------------------
// Helpers

int TZemFixture::checkByte(int value, const char* what) {
  if (value < 0 || value > 0xFF) throw ERangeError(FormatText("%s out of range: %d (0..255)", what, value));
  return value;
}

int TZemFixture::checkWord(int value, const char* what) {
  if (value < 0 || value > 0xFFFF)
    throw ERangeError(FormatText("%s out of range: %d (0..65535)", what, value));
  return value;
}

int TZemFixture::checkFlag(int flag, const char* what) {
  if (flag != 0 && flag != 1) throw ERangeError(FormatText("%s out of range: %d (0 or 1)", what, flag));
  return flag;
}

uint8_t TZemFixture::recordByte(size_t offset) {
  return rd8(offset);
}
uint16_t TZemFixture::recordWord(size_t offset) {
  return rd16(offset);
}
void TZemFixture::setRecordByte(size_t offset, uint8_t value) {
  wr8(offset, value);
}
void TZemFixture::setRecordWord(size_t offset, uint16_t value) {
  wr16(offset, value);
}
uint16_t TZemFixture::eepromAreaWord(int k) {
  if (k < 0 || k > 3) throw ERangeError(FormatText("EEPROM area word out of range: %d (0..3)", k));
  return rd16(fd::kEEPromWords + 2 * static_cast<size_t>(k));
}
int TZemFixture::readEepromWords(int address, int words) {
  checkWord(address, "EEPROM address");
  if (words < 1 || words > 4)
    throw ERangeError(FormatText("EEPROM word count out of range: %d (1..4)", words));
  if (Device == nullptr) return 0;
  return Device->ReadEEProm(address, words) ? words : 0;
}

size_t TZemFixture::areaOffset(Area area) {
  switch (area) {
    case Area::LampStatus:
      return fd::kLampStatus;
    case Area::Clock:
      return fd::kSystemCalibration;
    case Area::Personality:
      return fd::kPersonality;
    case Area::EffectCalibration:
      return fd::kEffectCalibration;
    case Area::StandAlone:
      return fd::kStandAloneSettings;
    case Area::Timer:
      return fd::kTimerSettings;
    case Area::SensorTrigger:
      return fd::kSensorTrigger;
  }
  return fd::kPersonality;
}

bool TZemFixture::readArea(Area area) {
  switch (area) {
    case Area::LampStatus:
      return ReadLampStatus();
    case Area::Clock:
      return ReadClock();
    case Area::Personality:
      return ReadPersonality();  // a model's own read
    case Area::EffectCalibration:
      return ReadEffectCalibration();
    case Area::StandAlone:
      return ReadStandAloneSettings();
    case Area::Timer:
      return ReadTimerSettings();
    case Area::SensorTrigger:
      return ReadSensorTrigger();
  }
  return false;
}

bool TZemFixture::writeArea(Area area) {
  switch (area) {
    case Area::LampStatus:
      return WriteLampStatus();
    case Area::Clock:
      return WriteClock();
    case Area::Personality:
      return WritePersonality();
    case Area::EffectCalibration:
      return WriteEffectCalibration();
    case Area::StandAlone:
      return WriteStandAloneSettings();
    case Area::Timer:
      return WriteTimerSettings();
    case Area::SensorTrigger:
      return WriteSensorTrigger(0);
  }
  return false;
}

bool TZemFixture::setAreaByte(Area area, size_t index, int value) {
  checkByte(value, "setting");
  const size_t at = areaOffset(area) + index;
  const bool read = readArea(area);
  if (!read) return read;
  if (rd8(at) == value) return read;
  wr8(at, static_cast<uint8_t>(value));
  return writeArea(area);
}

bool TZemFixture::setAreaWord(Area area, size_t index, int value) {
  checkWord(value, "setting");
  const size_t at = areaOffset(area) + index;
  const bool read = readArea(area);
  if (!read) return read;
  if (rd16(at) == value) return read;
  wr16(at, static_cast<uint16_t>(value));
  return writeArea(area);
}

bool TZemFixture::setAreaFlag(Area area, size_t index, int bit, int flag) {
  checkFlag(flag, "flag");
  const size_t at = areaOffset(area) + index;
  const uint8_t mask = static_cast<uint8_t>(1u << bit);
  const bool read = readArea(area);
  if (!read) return read;
  const uint8_t old = rd8(at);
  if (((old & mask) != 0) == (flag != 0)) return read;
  wr8(at, static_cast<uint8_t>(flag ? (old | mask) : (old & ~mask)));
  return writeArea(area);
}

TStringList& TZemFixture::clearedErrorList() {
  if (!errorList_) errorList_ = std::make_unique<TStringList>();
  errorList_->clear();
  return *errorList_;
}

const TStringList& TZemFixture::fillErrorList(std::span<const ErrorFlag> table) {
  TStringList& list = clearedErrorList();
  if (rd8(fd::kErrorStatus) == 0) {
    list.push_back("Fixture reports no errors");
    return list;
  }
  for (const ErrorFlag& f : table) {
    if (f.byte < 1 || f.byte > 14 || f.bit < 0 || f.bit > 7) continue;
    if (rd8(fd::kErrorStatus + static_cast<size_t>(f.byte)) & (1u << f.bit)) {
      const std::string number = std::to_string(list.size() + 1);
      std::string line = f.line;
      const size_t pos = line.find("%d");
      if (pos != std::string::npos) line.replace(pos, 2, number);
      list.push_back(std::move(line));
    }
  }
  const std::string summary = list.size() == 1
                                  ? std::string("Fixture reports 1 error")
                                  : FormatText("Fixture reports %d errors", static_cast<int>(list.size()));
  list.insert(list.begin(), summary);
  return list;
}

void TZemFixture::fillAddressesExcept(TAddressList& list, int last,
                                      std::initializer_list<std::pair<int, int>> excluded) {
  list.clear();
  for (int a = 0; a <= last; ++a) {
    const bool skip = std::any_of(excluded.begin(), excluded.end(), [a](const std::pair<int, int>& r) {
      return a >= r.first && a <= r.second;
    });
    if (!skip) list.push_back(a);
  }
}

void TZemFixture::appendAddressRange(TAddressList& list, int first, int last) {
  for (int a = first; a <= last; ++a) list.push_back(a);
}

// ---------------------------------------------------------------------------
// Service frames

ServiceFrame TZemFixture::buildServiceFrame(uint8_t code, int function, int value, int argument, int page,
                                            int extra) {
  ServiceFrame frame{};
  frame[svc::kCode] = code;
  for (size_t i = 0; i < info::kTypeCodeSize; ++i) {
    frame[svc::kTypeCode + i] = rd8(fd::kFixtureInfo + info::kTypeCode + i);
  }
  frame[svc::kFunction] = static_cast<uint8_t>(function);
  sys::putBE16(frame, svc::kValue, static_cast<uint16_t>(value));
  frame[svc::kPage] = static_cast<uint8_t>(page);
  frame[svc::kArgument] = static_cast<uint8_t>(argument);
  sys::putBE16(frame, svc::kExtra, static_cast<uint16_t>(extra));
  return frame;
}

bool TZemFixture::sendFrame(const ServiceFrame& frame) {
  return Device != nullptr && Device->SendMP2Command(std::span<const uint8_t>(frame.data(), frame.size()));
}

bool TZemFixture::SendServiceCommand(int function, int value, int argument) {
  checkByte(function, "service function");
  checkWord(value, "service value");
  checkByte(argument, "service argument");
  ServiceFrame frame = buildServiceFrame(svc::kCodeService, function, value, 0,
                                         checkByte(GetServiceCommandPage(), "service page"), 0);
  if (Device == nullptr) return false;
  if (!sendFrame(frame)) return false;
  frame[svc::kArgument] = static_cast<uint8_t>(argument);
  sendFrame(frame);  // the command stands with the first frame; the closing frame's result is not used
  return true;
}

bool TZemFixture::SendServiceCommandOnce(int function, int value, int argument) {
  checkByte(function, "service function");
  checkWord(value, "service value");
  checkByte(argument, "service argument");
  const ServiceFrame frame = buildServiceFrame(svc::kCodeService, function, value, argument,
                                               checkByte(GetServiceCommandPage(), "service page"), 0);
  if (Device == nullptr) return false;
  return sendFrame(frame);
}

bool TZemFixture::SendServiceCommand237(int function, int value, int argument, int extra) {
  checkByte(function, "service function");
  checkWord(value, "service value");
  checkByte(argument, "service argument");
  checkWord(extra, "service extra value");
  const ServiceFrame frame = buildServiceFrame(svc::kCodeExtended, function, value, argument,
                                               checkByte(GetServiceCommandPage(), "service page"), extra);
  if (Device == nullptr) return false;
  return sendFrame(frame);
}

bool TZemFixture::SendServiceCommand5() {
  return SendServiceCommandOnce(5, 1, svc::kArgumentDone);
}

void TZemFixture::sendEnter(int enterFunction) {
  // Sent whatever the answer: a failed send has shown its own error box.
  if (enterFunction >= 0) (void)SendServiceCommand(enterFunction, 0, 0);
}

void TZemFixture::sendPair(int function, int value) {
  checkByte(function, "service function");
  checkWord(value, "service value");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(function, value, 0);
  (void)SendServiceCommand(function, value, svc::kArgumentDone);
}

bool TZemFixture::sendScene(int enterFunction, int function, int value) {
  if (enterFunction >= 0) checkByte(enterFunction, "service function");
  checkByte(function, "service function");
  checkWord(value, "service value");
  sendEnter(enterFunction);
  sendPair(function, value);
  return ReadStandAloneProgram();
}

bool TZemFixture::sendLive(int enterFunction, int function, int value) {
  // Checked before the enter prefix so that a refused value leaves the fixture untouched.
  if (enterFunction >= 0) checkByte(enterFunction, "service function");
  checkByte(function, "service function");
  checkWord(value, "live value");
  sendEnter(enterFunction);
  sendPair(function, value);
  return true;
}

bool TZemFixture::sendIdle(int function) {
  checkByte(function, "service function");
  IdleFlagScope idle;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommandOnce(function, 0, 0);
  return true;
}

// ---------------------------------------------------------------------------
// Identity and versions

const TStringList& TZemFixture::GetErrorList() {
  // The generic model cannot parse flags; one line, not a growing list.
  TStringList& list = clearedErrorList();
  list.push_back("Generic fixture - NO Errorparsing");
  return list;
}

int TZemFixture::GetDmxChannelCount() {
  return 1;
}

std::string TZemFixture::GetFixtureName() {
  return "Generic ZEM Fixture";
}

std::string TZemFixture::GetFixtureSubTypeName() {
  return "Generic ZEM Fixture";
}

std::string TZemFixture::GetVersionText() {
  const size_t i = fd::kFixtureInfo;
  std::string text =
      rd8(i + info::kMainBuild) != 0
          ? FormatText("Main CPU: Version %d.%d build %d", rd8(i + info::kMainMajor),
                       rd8(i + info::kMainMinor), rd8(i + info::kMainBuild))
          : FormatText("Main CPU: Version %d.%d", rd8(i + info::kMainMajor), rd8(i + info::kMainMinor));
  if (hasDisplay_) {
    text += ",  ";
    text += rd8(i + info::kDisplayBuild) != 0
                ? FormatText("Display: Version %d.%d build %d", rd8(i + info::kDisplayMajor),
                             rd8(i + info::kDisplayMinor), rd8(i + info::kDisplayBuild))
                : FormatText("Display: Version %d.%d", rd8(i + info::kDisplayMajor),
                             rd8(i + info::kDisplayMinor));
  }
  return text;
}

std::string TZemFixture::GetSerialNumberText() {
  size_t end = 0;
  while (end < fd::kFixtureInfo - fd::kSerial && rd8(fd::kSerial + end) != 0) ++end;
  size_t begin = 0;
  while (begin < end && rd8(fd::kSerial + begin) == ' ') ++begin;
  std::string text;
  for (size_t k = begin; k < end; ++k) {
    const uint8_t c = rd8(fd::kSerial + k);
    if (c >= 32 && c <= 127) {
      text += static_cast<char>(c);
    } else {
      text += FormatText("(%d)", c);
    }
  }
  return text;
}

std::string TZemFixture::GetTypeCode() {
  std::string code;
  for (size_t k = 0; k < info::kTypeCodeSize; ++k) {
    const uint8_t c = rd8(fd::kFixtureInfo + info::kTypeCode + k);
    if (c == 0) break;
    code += static_cast<char>(c);
  }
  return code;
}

int TZemFixture::GetSubType() {
  return rd8(fd::kFixtureInfo + info::kSubType);
}

uint32_t TZemFixture::GetFirmwareVersion() {
  const size_t i = fd::kFixtureInfo;
  return packVersion(rd8(i + info::kMainMajor), rd8(i + info::kMainMinor), rd8(i + info::kMainBuild));
}

namespace {
std::string versionText(uint32_t major, uint32_t minor, uint32_t build) {
  return build != 0 ? FormatText("%u.%u build %u", major, minor, build) : FormatText("%u.%u", major, minor);
}
}  // namespace

std::string TZemFixture::GetFirmwareVersionText() {
  const size_t i = fd::kFixtureInfo;
  return versionText(rd8(i + info::kMainMajor), rd8(i + info::kMainMinor), rd8(i + info::kMainBuild));
}

std::string TZemFixture::GetRequiredFirmwareVersionText() {
  const auto v = static_cast<uint32_t>(requiredFirmwareVersion_);
  return versionText((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

uint32_t TZemFixture::GetRequiredZemVersion() {
  return packVersion(rd8(fd::kZemVersion), rd8(fd::kZemVersion + 1), rd8(fd::kZemVersion + 2));
}

std::string TZemFixture::GetZemVersionText() {
  return versionText(rd8(fd::kZemVersion), rd8(fd::kZemVersion + 1), rd8(fd::kZemVersion + 2));
}

bool TZemFixture::IsZemVersionSupported() {
  return kZemProgramVersion >= GetRequiredZemVersion();
}

bool TZemFixture::IsFirmwareSupported() {
  // Unsigned: the generic model's -1 is met by no firmware.
  return GetFirmwareVersion() >= static_cast<uint32_t>(requiredFirmwareVersion_);
}

// ---------------------------------------------------------------------------
// Record reads and writes

bool TZemFixture::noteRead(bool ok, const std::string& what) {
  if (!ok) readFailure_ = what;
  return ok;
}

bool TZemFixture::ReadSerialNumber() {
  return noteRead(Device != nullptr && Device->GetSerialNumber(), "serial number");
}
bool TZemFixture::ReadFixtureInfo() {
  return noteRead(Device != nullptr && Device->GetFixtureInfo(), "fixture information");
}
bool TZemFixture::ReadZemVersion() {
  return noteRead(Device != nullptr && Device->GetFixtureZemVersion(), "required program version");
}
bool TZemFixture::ReadErrorStatus() {
  return noteRead(Device != nullptr && Device->GetDuplexErrorStatus(), "error status");
}
bool TZemFixture::ReadTemperatures() {
  return noteRead(Device != nullptr && Device->GetDuplexTempValues(), "temperatures");
}
bool TZemFixture::ReadLampStatus() {
  return noteRead(Device != nullptr && Device->GetLampStatus(), "lamp status and counters");
}
bool TZemFixture::WriteLampStatus() {
  return Device != nullptr && Device->SetLampStatus();
}
bool TZemFixture::ReadClock() {
  return noteRead(Device != nullptr && Device->GetSystemCalibration(), "real-time clock");
}
bool TZemFixture::WriteClock() {
  return Device != nullptr && Device->SetSystemCalibration();
}
bool TZemFixture::ReadPersonality() {
  return noteRead(Device != nullptr && Device->GetPersonalities(), "DMX and other settings");
}
bool TZemFixture::WritePersonality() {
  return Device != nullptr && Device->SetPersonalities(personalityWritePause_);
}
bool TZemFixture::ReadEffectCalibration() {
  return noteRead(Device != nullptr && Device->GetEffectCalibration(0), "effect calibration");
}
bool TZemFixture::WriteEffectCalibration() {
  return Device != nullptr && Device->SetEffectCalibration(0);
}
bool TZemFixture::ReadStandAloneSettings() {
  return noteRead(Device != nullptr && Device->GetStandAloneSettings(), "stand-alone settings");
}
bool TZemFixture::WriteStandAloneSettings() {
  return Device != nullptr && Device->SetStandAloneSettings();
}
bool TZemFixture::ReadTimerSettings() {
  return noteRead(Device != nullptr && Device->GetTimerSettings(), "timer settings");
}
bool TZemFixture::WriteTimerSettings() {
  return Device != nullptr && Device->SetTimerSettings();
}
bool TZemFixture::ReadSensorTrigger() {
  return noteRead(Device != nullptr && Device->GetSensorTriggerSettings(), "light-sensor settings");
}
bool TZemFixture::WriteSensorTrigger(int trigger) {
  checkByte(trigger, "sensor trigger");
  return Device != nullptr && Device->SetSensorTriggerSettings(trigger);
}
bool TZemFixture::ReadStandAloneProgram() {
  return noteRead(Device != nullptr && Device->GetStandAlone(standAloneRequestCode_), "stand-alone program");
}
bool TZemFixture::ReadPcbSerialNumber() {
  return noteRead(Device != nullptr && Device->GetPCBSerialNumber(), "board serial number");
}
bool TZemFixture::ReadLedDescription(int led) {
  return noteRead(Device != nullptr && Device->GetLEDDescription(led),
                  FormatText("LED %d description", led + 1));
}
bool TZemFixture::ReadLedDescription2(int led) {
  return noteRead(Device != nullptr && Device->GetLEDDescriptionData(led),
                  FormatText("LED %d description data", led + 1));
}

bool TZemFixture::ReadNextMonitorPage() {
  monitorPage_ = (monitorPage_ + 1) % static_cast<int>(fd::kHardwareMonitorPages);
  return noteRead(Device != nullptr && Device->GetHardwareMonitorValues(monitorPage_),
                  "hardware monitor values");
}

// ---------------------------------------------------------------------------
// Settings that the virtual operations carry

bool TZemFixture::ReadAllFixtureData(const TProgressCallback& /*progress*/) {
  return false;
}

bool TZemFixture::ReadBasicFixtureData() {
  return false;
}

bool TZemFixture::SetDMXReset(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags6, 1, flag);
}
bool TZemFixture::SetDmxProtocol(int value) {
  return setAreaByte(Area::Personality, pers::kDmxProtocol, value);
}
bool TZemFixture::SetColorGamut(int value) {
  return setAreaByte(Area::Personality, pers::kColorGamut, value);
}
bool TZemFixture::SetQZLLampOff(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags6, 5, flag);
}
bool TZemFixture::SetStandAloneMode(int value) {
  return setAreaByte(Area::StandAlone, sa::kMode, value);
}
bool TZemFixture::SetAutoProgramOn(int value) {
  return setAreaByte(Area::StandAlone, sa::kAutoProgram, value);
}
bool TZemFixture::SetMasterSlaveSetting(int value) {
  return setAreaByte(Area::StandAlone, sa::kMasterSlave, value);
}
bool TZemFixture::SetTimerMode(int value) {
  return setAreaByte(Area::Timer, tmr::kMode, value);
}
bool TZemFixture::SetTimer1StartHour(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer1StartHour, value);
}
bool TZemFixture::SetTimer1StartMinute(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer1StartMinute, value);
}
bool TZemFixture::SetTimer1StopHour(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer1StopHour, value);
}
bool TZemFixture::SetTimer1StopMinute(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer1StopMinute, value);
}
bool TZemFixture::SetTimer2StartHour(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer2StartHour, value);
}
bool TZemFixture::SetTimer2StartMinute(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer2StartMinute, value);
}
bool TZemFixture::SetTimer2StopHour(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer2StopHour, value);
}
bool TZemFixture::SetTimer2StopMinute(int value) {
  return setAreaByte(Area::Timer, tmr::kTimer2StopMinute, value);
}
bool TZemFixture::SetSensorTriggerLevel(int value) {
  return setAreaByte(Area::SensorTrigger, sensor::kLevel, value);
}
bool TZemFixture::SetSensorTriggerWord(int value) {
  return setAreaWord(Area::SensorTrigger, sensor::kWord, value);
}

int TZemFixture::GetDMXReset() {
  return (rd8(fd::kPersonality + pers::kFlags6) >> 1) & 1;
}
int TZemFixture::GetDmxProtocol() {
  return rd8(fd::kPersonality + pers::kDmxProtocol);
}
int TZemFixture::GetColorGamut() {
  return rd8(fd::kPersonality + pers::kColorGamut);
}
int TZemFixture::GetQZLLampOff() {
  return (rd8(fd::kPersonality + pers::kFlags6) >> 5) & 1;
}
int TZemFixture::GetDisplayEnable() {
  return (rd8(fd::kPersonality + pers::kFlags4) >> 7) & 1;
}
int TZemFixture::GetInvertDisplay() {
  return (rd8(fd::kPersonality + pers::kFlags4) >> 6) & 1;
}
int TZemFixture::GetStandAloneMode() {
  return rd8(fd::kStandAloneSettings + sa::kMode);
}
int TZemFixture::GetAutoProgramOn() {
  return rd8(fd::kStandAloneSettings + sa::kAutoProgram);
}
int TZemFixture::GetMasterSlaveSetting() {
  return rd8(fd::kStandAloneSettings + sa::kMasterSlave);
}
int TZemFixture::GetTimerMode() {
  return rd8(fd::kTimerSettings + tmr::kMode);
}
int TZemFixture::GetTimer1StartHour() {
  return rd8(fd::kTimerSettings + tmr::kTimer1StartHour);
}
int TZemFixture::GetTimer1StartMinute() {
  return rd8(fd::kTimerSettings + tmr::kTimer1StartMinute);
}
int TZemFixture::GetTimer1StopHour() {
  return rd8(fd::kTimerSettings + tmr::kTimer1StopHour);
}
int TZemFixture::GetTimer1StopMinute() {
  return rd8(fd::kTimerSettings + tmr::kTimer1StopMinute);
}
int TZemFixture::GetTimer2StartHour() {
  return rd8(fd::kTimerSettings + tmr::kTimer2StartHour);
}
int TZemFixture::GetTimer2StartMinute() {
  return rd8(fd::kTimerSettings + tmr::kTimer2StartMinute);
}
int TZemFixture::GetTimer2StopHour() {
  return rd8(fd::kTimerSettings + tmr::kTimer2StopHour);
}
int TZemFixture::GetTimer2StopMinute() {
  return rd8(fd::kTimerSettings + tmr::kTimer2StopMinute);
}
int TZemFixture::GetSensorTriggerLevel() {
  return rd8(fd::kSensorTrigger + sensor::kLevel);
}
int TZemFixture::GetSensorTriggerWord() {
  return rd16(fd::kSensorTrigger + sensor::kWord);
}

bool TZemFixture::RearmSensorTrigger() {
  if (Device == nullptr) return false;
  if (!Device->SetSensorTriggerSettings(sensor::kRearm)) return false;
  return ReadSensorTrigger();
}

std::string TZemFixture::GetLampStateText() {
  const uint8_t state = rd8(fd::kLampStatus + lamp::kState);
  switch (state) {
    case 0:
      return "Lamp is OFF";
    case 1:
      return "Lamp is ON";
    case 2:
      return "Lamp is OFF";
    default:
      // Shown on every refresh of the window: a text, not an exception.
      return FormatText("Lamp state unknown (%d)", state);
  }
}

int TZemFixture::GetServiceCommandPage() {
  ui::messageBox({ui::MessageKind::Information, "Zem", "N/A", ui::MessageButtons::Ok});
  return 0;
}

// ---------------------------------------------------------------------------
// Operations the generic model does not send

bool TZemFixture::PreviousScene() {
  return true;
}
bool TZemFixture::NextScene() {
  return true;
}
bool TZemFixture::StoreScene() {
  return true;
}
bool TZemFixture::DeleteAllScenes() {
  return true;
}
bool TZemFixture::AddScene() {
  return true;
}
bool TZemFixture::DeleteScene() {
  return true;
}
bool TZemFixture::InsertScene() {
  return true;
}
bool TZemFixture::SetServiceSwitch(bool /*on*/) {
  return true;
}
bool TZemFixture::IdlePoll(bool /*monitorPageShowing*/) {
  return true;
}

int TZemFixture::StepValueToIndex(int value) {
  if (value >= 0 && value <= 10) return value;
  if (value >= 15 && value <= 120 && value % 5 == 0) return 11 + (value - 15) / 5;
  return -1;
}

int TZemFixture::SecondsToIndex(int seconds) {
  static constexpr int kLong[] = {90,   120,  180,  300,  600,   900,   1200,  1800, 2400,
                                  3000, 3600, 5400, 7200, 10800, 14400, 21600, 43200};
  if (seconds >= 0 && seconds <= 20) return seconds;
  if (seconds >= 25 && seconds <= 60 && seconds % 5 == 0) return 21 + (seconds - 25) / 5;
  for (size_t k = 0; k < std::size(kLong); ++k) {
    if (kLong[k] == seconds) return 29 + static_cast<int>(k);
  }
  return -1;
}

bool TZemFixture::SetLiveIntensity(int) {
  return true;
}
bool TZemFixture::SetLiveCyan(int) {
  return true;
}
bool TZemFixture::SetLiveMagenta(int) {
  return true;
}
bool TZemFixture::SetLiveYellow(int) {
  return true;
}
bool TZemFixture::SetWaitTimeIndex(int) {
  return true;
}
bool TZemFixture::SetFadeTimeIndex(int) {
  return true;
}
bool TZemFixture::SetWaitTimeSeconds(int) {
  return true;
}
bool TZemFixture::SetFadeTimeSeconds(int) {
  return true;
}
bool TZemFixture::SetLiveRandomColor(int) {
  return true;
}
bool TZemFixture::SetLiveZoom(int) {
  return false;
}
bool TZemFixture::SetLiveColor(int) {
  return false;
}
bool TZemFixture::SetLiveFrost(int) {
  return false;
}
bool TZemFixture::SetLiveFocus(int) {
  return false;
}
bool TZemFixture::SetControlValue78(int, int) {
  return false;
}
bool TZemFixture::SetControlValue79(int, int) {
  return false;
}
bool TZemFixture::SetControlValue80(int, int) {
  return false;
}
bool TZemFixture::SetLivePanTilt(int, int) {
  return false;
}
bool TZemFixture::SetLiveRed(int) {
  return true;
}
bool TZemFixture::SetLiveGreen(int) {
  return true;
}
bool TZemFixture::SetLiveBlue(int) {
  return true;
}
bool TZemFixture::SetLiveAmber(int) {
  return true;
}
bool TZemFixture::SetLiveWhite(int) {
  return true;
}

// ---------------------------------------------------------------------------
// EEPROM

int TZemFixture::ReadEepromChunk(int address) {
  return readEepromWords(address, 1);
}

bool TZemFixture::WriteEeprom(int address, int value) {
  checkWord(address, "EEPROM address");
  checkWord(value, "EEPROM word");
  return Device != nullptr && Device->WriteEEPromWord(address, value);
}

int TZemFixture::WriteEepromBlock(int address, int count, int pauseMs) {
  checkWord(address, "EEPROM address");
  if (count < 1) throw ERangeError(FormatText("EEPROM word count out of range: %d", count));
  if (pauseMs < 0) throw ERangeError(FormatText("EEPROM settle time out of range: %d", pauseMs));
  if (Device == nullptr) return 0;
  const int n = eepromWriteChunk_ >= count ? count : eepromWriteChunk_;
  return Device->WriteEEPromWords(address, n, pauseMs) ? n : 0;
}

int TZemFixture::GetMaxMemoryAddress() {
  return -1;
}

// The generic model has no memory image: every list is explicitly empty, so an upload writes nothing
// whatever the caller's list held before.
void TZemFixture::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
}
void TZemFixture::GetSettingsAddressList(TAddressList& list) {
  list.clear();
}
void TZemFixture::GetMemoryAddressList(TAddressList& list) {
  list.clear();
}

void TZemFixture::ServiceAction94(int) {}

std::string TZemFixture::DecodeLogText() {
  return "Unknown";
}

void TZemFixture::ResetFixture() {}
void TZemFixture::LampOff() {}
void TZemFixture::LampOn() {}
void TZemFixture::AdjustFocusNear() {}
void TZemFixture::AdjustFocusFar() {}
void TZemFixture::AdjustFocusSensor() {}
void TZemFixture::AdjustZoomNear() {}
void TZemFixture::AdjustZoomFar() {}
void TZemFixture::AdjustZoomSensor() {}
void TZemFixture::AdjustGobo(int) {}
void TZemFixture::AdjustGoboRotation(int) {}
void TZemFixture::AdjustAnimPosition(int) {}
void TZemFixture::AdjustAnimRotation(int) {}

int TZemFixture::GetWaitTimeSeconds() {
  return 0;
}
int TZemFixture::GetFadeTimeSeconds() {
  return 0;
}
int TZemFixture::GetResetOKDelay() {
  return 0;
}
int TZemFixture::GetEepromSettleTime() {
  return 150;
}

bool TZemFixture::SetSubDevice(int index, bool reread) {
  checkByte(index, "sub-device");
  // The end of a chain is found by a selection that fails, so this names the last one tried.
  return noteRead(Device != nullptr && Device->SetSubdevice(index, reread),
                  index == 0 ? std::string("main unit") : FormatText("sub-device %d", index));
}
int TZemFixture::GetCurrentSegment() {
  return rd8(fd::kSubdevice);
}
int TZemFixture::GetSegmentCount() {
  return rd8(fd::kSubdeviceCount);
}
bool TZemFixture::LedOperation116(int, int, int) {
  return false;
}
bool TZemFixture::SendLedData(int, int, int, int, int) {
  return false;
}
bool TZemFixture::LedOperation118(int, int) {
  return false;
}

// ---------------------------------------------------------------------------
// System log

bool TZemFixture::ReadLogEntry(int index) {
  checkWord(index, "log entry");
  return Device != nullptr && Device->GetSystemLogEntry(index);
}

bool TZemFixture::ReadLogEntryLong(int index) {
  checkWord(index, "log entry");
  return Device != nullptr && Device->GetSystemLogEntryLong(index);
}

bool TZemFixture::ReadLogCount() {
  if (ReadLogEntry(0)) return true;
  if (!ReadLogEntryLong(0)) return noteRead(false, "system log");
  wr8(fd::kSystemLogEntry + logentry::kCount, LogBlock.at(longlog::kCount));
  wr8(fd::kSystemLogEntry + logentry::kCount + 1, LogBlock.at(longlog::kCount + 1));
  return true;
}

bool TZemFixture::ClearSystemLog() {
  return Device != nullptr && Device->ClearSystemLog();
}

bool TZemFixture::FormatLogEntry(int index, std::string& text) {
  std::array<uint8_t, 4> ts{};
  bool valid = false;
  if (!longLog_) {
    if (!ReadLogEntry(index)) return false;
    for (size_t k = 0; k < ts.size(); ++k) ts[k] = rd8(fd::kSystemLogEntry + logentry::kTimeStamp + k);
    valid = rd8(fd::kSystemLogEntry + logentry::kValid) == kLogValid;
  } else {
    if (!ReadLogEntryLong(index)) return false;
    for (size_t k = 0; k < ts.size(); ++k) ts[k] = LogBlock.at(longlog::kTimeStamp + k);
    valid = LogBlock.at(longlog::kValid) == kLogValid;
  }
  std::string line = FormatText("%d/%d-%d:%02d - ", ts[1], ts[0], ts[2], ts[3]);
  if (!longLog_) {
    line += DecodeLogText();
  } else {
    const unsigned type = sys::getLE16(LogBlock, longlog::kType);
    const char* edge = (type & 0x800) != 0 ? "START - " : "STOP - ";
    switch (type & 0xF000) {
      case 0x0000:
        line += "DEBUG.";
        line += edge;
        break;
      case 0xD000:
        line += "INFO - ";
        break;
      case 0xE000:
        line += "WARNING - ";
        break;
      case 0xF000:
        line += "ERROR.";
        line += edge;
        break;
      default:
        break;
    }
    for (size_t k = 0; k < longlog::kTextMax; ++k) {
      const uint8_t c = LogBlock.at(longlog::kText + k);
      if (c == 0) break;
      line += static_cast<char>(c);
    }
  }
  text = std::move(line);
  return valid;
}

// ---------------------------------------------------------------------------
// Settings accessors over the personality

namespace {
int bitOf(size_t offset, int bit) {
  return (rd8(offset) >> bit) & 1;
}
}  // namespace

int TZemFixture::GetEffectSpeed() {
  return bitOf(fd::kPersonality + pers::kMode, 1);
}
bool TZemFixture::SetEffectSpeed(int flag) {
  return setAreaFlag(Area::Personality, pers::kMode, 1, flag);
}
int TZemFixture::GetEffectShortcut() {
  return bitOf(fd::kPersonality + pers::kMode, 4);
}
bool TZemFixture::SetEffectShortcut(int flag) {
  return setAreaFlag(Area::Personality, pers::kMode, 4, flag);
}
int TZemFixture::GetAutoShutter() {
  return bitOf(fd::kPersonality + pers::kMode, 5);
}
bool TZemFixture::SetAutoShutter(int flag) {
  return setAreaFlag(Area::Personality, pers::kMode, 5, flag);
}
int TZemFixture::GetDisplayErrors() {
  return bitOf(fd::kPersonality + pers::kFlags4, 5);
}
bool TZemFixture::SetDisplayErrors(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags4, 5, flag);
}
bool TZemFixture::SetInvertDisplay(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags4, 6, flag);
}
bool TZemFixture::SetDisplayEnable(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags4, 7, flag);
}
int TZemFixture::GetEffectFeedback() {
  return bitOf(fd::kPersonality + pers::kFlags5, 1);
}
bool TZemFixture::SetEffectFeedback(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags5, 1, flag);
}
int TZemFixture::GetDMXLampOff() {
  return bitOf(fd::kPersonality + pers::kFlags6, 0);
}
bool TZemFixture::SetDMXLampOff(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags6, 0, flag);
}
int TZemFixture::GetAutoLampOn() {
  return bitOf(fd::kPersonality + pers::kFlags6, 4);
}
bool TZemFixture::SetAutoLampOn(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags6, 4, flag);
}
int TZemFixture::GetPanTiltSwap() {
  return bitOf(fd::kPersonality + pers::kFlags8, 0);
}
bool TZemFixture::SetPanTiltSwap(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags8, 0, flag);
}
int TZemFixture::GetPanInvert() {
  return bitOf(fd::kPersonality + pers::kFlags8, 1);
}
bool TZemFixture::SetPanInvert(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags8, 1, flag);
}
int TZemFixture::GetTiltInvert() {
  return bitOf(fd::kPersonality + pers::kFlags8, 2);
}
bool TZemFixture::SetTiltInvert(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags8, 2, flag);
}
int TZemFixture::GetLampFanReg() {
  return bitOf(fd::kPersonality + pers::kFlags9, 0);
}
bool TZemFixture::SetLampFanReg(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags9, 0, flag);
}
int TZemFixture::GetGoboFanReg() {
  return bitOf(fd::kPersonality + pers::kFlags9, 1);
}
bool TZemFixture::SetGoboFanReg(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags9, 1, flag);
}
int TZemFixture::GetLampErrorTest() {
  return bitOf(fd::kPersonality + pers::kFlags9, 3);
}
bool TZemFixture::SetLampErrorTest(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags9, 3, flag);
}
int TZemFixture::GetSegmentAutoConfigure() {
  return bitOf(fd::kPersonality + pers::kFlags9, 4);
}
// Read, compare, write like every other setter: a stale record must not decide what is written.
bool TZemFixture::EnableSegmentAutoConfigure() {
  return setAreaFlag(Area::Personality, pers::kFlags9, 4, 1);
}
bool TZemFixture::DisableSegmentAutoConfigure() {
  return setAreaFlag(Area::Personality, pers::kFlags9, 4, 0);
}
int TZemFixture::GetLampWarningOn() {
  return bitOf(fd::kPersonality + pers::kFlags9, 7);
}
bool TZemFixture::SetLampWarningOn(int flag) {
  return setAreaFlag(Area::Personality, pers::kFlags9, 7, flag);
}

int TZemFixture::GetDmxAddress() {
  return rd16(fd::kPersonality + pers::kDmxAddress);
}
bool TZemFixture::SetDmxAddress(int value) {
  return setAreaWord(Area::Personality, pers::kDmxAddress, value);
}
int TZemFixture::GetWarningLevel() {
  return rd16(fd::kPersonality + pers::kWarningLevel);
}
bool TZemFixture::SetWarningLevel(int value) {
  return setAreaWord(Area::Personality, pers::kWarningLevel, value);
}
void TZemFixture::SetDmxPixels(int value) {
  setAreaByte(Area::Personality, pers::kDmxPixels, value);
}

// ---------------------------------------------------------------------------
// Clock, calibration, stand-alone sequence

int TZemFixture::GetClockYear() {
  return rd8(fd::kSystemCalibration + clk::kYear);
}
int TZemFixture::GetClockMonth() {
  return rd8(fd::kSystemCalibration + clk::kMonth);
}
int TZemFixture::GetClockDate() {
  return rd8(fd::kSystemCalibration + clk::kDate);
}
int TZemFixture::GetClockHour() {
  return rd8(fd::kSystemCalibration + clk::kHour);
}
int TZemFixture::GetClockMinute() {
  return rd8(fd::kSystemCalibration + clk::kMinute);
}
bool TZemFixture::SetClockYear(int value) {
  return setAreaByte(Area::Clock, clk::kYear, value);
}
bool TZemFixture::SetClockMonth(int value) {
  return setAreaByte(Area::Clock, clk::kMonth, value);
}
bool TZemFixture::SetClockDate(int value) {
  return setAreaByte(Area::Clock, clk::kDate, value);
}
bool TZemFixture::SetClockHour(int value) {
  return setAreaByte(Area::Clock, clk::kHour, value);
}
bool TZemFixture::SetClockMinute(int value) {
  checkByte(value, "clock minute");
  const bool read = ReadClock();
  if (!read) return read;
  if (GetClockMinute() == value) return read;
  wr8(fd::kSystemCalibration + clk::kMinute, static_cast<uint8_t>(value));
  wr8(fd::kSystemCalibration + clk::kSeconds, 0);  // a new minute starts at its beginning
  return WriteClock();
}

int TZemFixture::GetCyanCalibration() {
  return rd8(fd::kEffectCalibration + cal::kCyan);
}
int TZemFixture::GetYellowCalibration() {
  return rd8(fd::kEffectCalibration + cal::kYellow);
}
int TZemFixture::GetMagentaCalibration() {
  return rd8(fd::kEffectCalibration + cal::kMagenta);
}
int TZemFixture::GetDimmerCalibration() {
  return rd8(fd::kEffectCalibration + cal::kDimmer);
}
bool TZemFixture::SetCyanCalibration(int value) {
  return setAreaByte(Area::EffectCalibration, cal::kCyan, value);
}
bool TZemFixture::SetYellowCalibration(int value) {
  return setAreaByte(Area::EffectCalibration, cal::kYellow, value);
}
bool TZemFixture::SetMagentaCalibration(int value) {
  return setAreaByte(Area::EffectCalibration, cal::kMagenta, value);
}
bool TZemFixture::SetDimmerCalibration(int value) {
  return setAreaByte(Area::EffectCalibration, cal::kDimmer, value);
}

int TZemFixture::GetStandAloneSequence() {
  return rd8(fd::kStandAloneSettings + sa::kSequence);
}
bool TZemFixture::SetStandAloneSequence(int value) {
  return setAreaByte(Area::StandAlone, sa::kSequence, value);
}

// ---------------------------------------------------------------------------
// Lamp counters

int TZemFixture::GetTotalPowerOnHours() {
  return rd16(fd::kLampStatus + lamp::kTotalPowerOnHours);
}
int TZemFixture::GetTotalLampOnHours() {
  return rd16(fd::kLampStatus + lamp::kTotalLampOnHours);
}
int TZemFixture::GetTotalLampStrikes() {
  return rd16(fd::kLampStatus + lamp::kTotalLampStrikes);
}
int TZemFixture::GetResettablePowerOnHours() {
  return rd16(fd::kLampStatus + lamp::kResettablePowerOnHours);
}
int TZemFixture::GetResettableLampOnHours() {
  return rd16(fd::kLampStatus + lamp::kResettableLampOnHours);
}
int TZemFixture::GetResettableLampStrikes() {
  return rd16(fd::kLampStatus + lamp::kResettableLampStrikes);
}
int TZemFixture::GetLightSensorValue() {
  return rd16(fd::kLampStatus + lamp::kLightSensor);
}
bool TZemFixture::ResetResettablePowerOnHours() {
  return setAreaWord(Area::LampStatus, lamp::kResettablePowerOnHours, 0);
}
bool TZemFixture::ResetResettableLampOnHours() {
  return setAreaWord(Area::LampStatus, lamp::kResettableLampOnHours, 0);
}
bool TZemFixture::ResetResettableLampStrikes() {
  return setAreaWord(Area::LampStatus, lamp::kResettableLampStrikes, 0);
}

// ---------------------------------------------------------------------------
// Hardware monitor

namespace {
uint16_t monitorRaw(int page, int channel) {
  if (channel < 1 || channel > static_cast<int>(monitor::kChannels)) {
    throw ERangeError("monitor channel out of range: " + std::to_string(channel) + " (1..7)");
  }
  const size_t at = fd::kHardwareMonitor + fd::kHardwareMonitorPageSize * static_cast<size_t>(page) +
                    static_cast<size_t>(2 * channel - 1);
  return rd16(at);
}
}  // namespace

int TZemFixture::GetMonitorWordA(int channel) {
  return monitorRaw(0, channel);
}
double TZemFixture::GetMonitorValueB(int channel) {
  return monitorRaw(1, channel) / 100.0;
}
double TZemFixture::GetMonitorValueC(int channel) {
  return static_cast<int16_t>(monitorRaw(2, channel)) / 100.0;
}
int TZemFixture::GetMonitorWordD(int channel) {
  return monitorRaw(3, channel);
}
