#include "zem/model/GrobelModels.h"

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/model_support.h"

using modelsupport::SceneFunctions;

namespace {

inline constexpr int kPage = 100;
inline constexpr int kEnter = 48;
inline constexpr int kIdle = 48;
inline constexpr int kFadeHours = 18;
inline constexpr int kFadeMinutes = 19;
inline constexpr int kFadeSecondsFn = 20;
inline constexpr int kWaitHours = 22;
inline constexpr int kWaitMinutes = 23;
inline constexpr int kWaitSecondsFn = 24;
inline constexpr int kServiceSwitch = 32;
inline constexpr int kReset = 33;
inline constexpr int kLampOn = 34;
inline constexpr int kLampOff = 35;
inline constexpr int kLiveIntensity = 64;
inline constexpr int kLiveCyan = 65;
inline constexpr int kLiveMagenta = 66;
inline constexpr int kLiveYellow = 67;
inline constexpr int kLiveColor = 68;
inline constexpr int kAdjustAll = 72;
inline constexpr int kAdjustDimmer = 73;
inline constexpr int kAdjustCyan = 74;
inline constexpr int kAdjustMagenta = 75;
inline constexpr int kAdjustYellow = 76;
inline constexpr int kAdjustColor = 77;

constexpr SceneFunctions kScenes = {
    {27, 0}, {26, 0}, {28, 0}, {31, 1}, {25, 0}, {30, 0}, {29, 0},
};

// Monitor values exist from this firmware on.
inline constexpr uint32_t kMonitorFirmware = 9;
// The hour field of a scene time counts 0..17.
inline constexpr int kHoursWrap = 18;

// Scene being edited.
inline constexpr size_t kFadeSeconds = 2;  // 16-bit
inline constexpr size_t kWaitSeconds = 4;  // 16-bit

// Log-entry area.
inline constexpr size_t kLogCount = fdarea::logentry::kCount;  // 16-bit
inline constexpr size_t kLogEventCode = 9;                     // 16-bit
inline constexpr size_t kLogWord1 = 11;                        // 16-bit; bytes 11-14 also form a 32-bit value
inline constexpr size_t kLogWord2 = 13;                        // 16-bit

// Read steps before the log: the standard nine, then the log entries from position 11.
inline constexpr int kStepsBeforeLog = 11;

inline constexpr int kLastAddress = 1051;

}  // namespace

TZemFixtureGrobel200CMYI::TZemFixtureGrobel200CMYI() {
  requiredFirmwareVersion_ = 8;
  eepromWriteChunk_ = 4;
}

const TStringList& TZemFixtureGrobel200CMYI::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 4, "(%d) bTER - Base temperature-sense circuit error"},
      {7, 0, "(%d) RAME - RAM Error"},
      {7, 7, "(%d) F1ER - Fan 1 Feedback error"},
      {9, 2, "(%d) DRER - Driver current error"},
      {9, 4, "(%d) rCER - Real Time Clock error (not running)"},
      {9, 7, "(%d) PSER - Power supply error"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureGrobel200CMYI::GetDmxChannelCount() {
  return 6;
}

std::string TZemFixtureGrobel200CMYI::GetFixtureName() {
  return "Grobel 200 CMYI";
}

bool TZemFixtureGrobel200CMYI::ReadAllFixtureData(const TProgressCallback& progress) {
  if (Device == nullptr) return false;
  logText_.clear();
  if (!ReadFixtureInfo() || !ReadLogCount()) return false;
  // The count only sizes the progress range; the loop below ends on the fixture's answers.
  const int total = recordWord(fd::kSystemLogEntry + kLogCount) + kStepsBeforeLog;
  if (!modelsupport::runReadSteps(modelsupport::standardReadSteps(*this), total, 10, progress)) return false;
  std::string text;
  for (int i = 0; i < kMaxLogEntries; ++i) {
    if (!FormatLogEntry(i, text)) break;
    modelsupport::reportProgress(progress, kStepsBeforeLog + i, total);
    logText_.push_back(text);
  }
  modelsupport::reportProgress(progress, kStepsBeforeLog, kStepsBeforeLog);
  return true;
}

int TZemFixtureGrobel200CMYI::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureGrobel200CMYI::PreviousScene() {
  return sendScene(kEnter, kScenes.previous.function, kScenes.previous.value);
}
bool TZemFixtureGrobel200CMYI::NextScene() {
  return sendScene(kEnter, kScenes.next.function, kScenes.next.value);
}
bool TZemFixtureGrobel200CMYI::StoreScene() {
  return sendScene(kEnter, kScenes.store.function, kScenes.store.value);
}
bool TZemFixtureGrobel200CMYI::DeleteAllScenes() {
  return sendScene(kEnter, kScenes.deleteAll.function, kScenes.deleteAll.value);
}
bool TZemFixtureGrobel200CMYI::AddScene() {
  return sendScene(kEnter, kScenes.add.function, kScenes.add.value);
}
bool TZemFixtureGrobel200CMYI::DeleteScene() {
  return sendScene(kEnter, kScenes.remove.function, kScenes.remove.value);
}
bool TZemFixtureGrobel200CMYI::InsertScene() {
  return sendScene(kEnter, kScenes.insert.function, kScenes.insert.value);
}

bool TZemFixtureGrobel200CMYI::SetServiceSwitch(bool on) {
  const int value = on ? 1 : 0;
  const int argument = on ? 0 : svc::kArgumentDone;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kServiceSwitch, value, argument);
  (void)SendServiceCommand(kServiceSwitch, value, argument);
  return true;
}

bool TZemFixtureGrobel200CMYI::IdlePoll(bool monitorPageShowing) {
  // A failed read keeps the values shown until the next tick reads again.
  if (monitorPageShowing && GetFirmwareVersion() >= kMonitorFirmware) (void)ReadNextMonitorPage();
  return sendIdle(kIdle);
}

bool TZemFixtureGrobel200CMYI::SetLiveIntensity(int value) {
  return sendLive(kEnter, kLiveIntensity, value);
}
bool TZemFixtureGrobel200CMYI::SetLiveCyan(int value) {
  return sendLive(kEnter, kLiveCyan, value);
}
bool TZemFixtureGrobel200CMYI::SetLiveMagenta(int value) {
  return sendLive(kEnter, kLiveMagenta, value);
}
bool TZemFixtureGrobel200CMYI::SetLiveYellow(int value) {
  return sendLive(kEnter, kLiveYellow, value);
}

void TZemFixtureGrobel200CMYI::sendEnteredPair(int function, int value) {
  sendLive(kEnter, function, value);
}

void TZemFixtureGrobel200CMYI::sendTime(int seconds, int hourFunction, int minuteFunction,
                                        int secondFunction) {
  checkWord(seconds, "time in seconds");
  sendEnteredPair(hourFunction, (seconds / 3600) % kHoursWrap);
  sendEnteredPair(minuteFunction, (seconds / 60) % 60);
  sendEnteredPair(secondFunction, seconds % 60);
}

bool TZemFixtureGrobel200CMYI::SetWaitTimeSeconds(int seconds) {
  sendTime(seconds, kWaitHours, kWaitMinutes, kWaitSecondsFn);
  return true;
}
bool TZemFixtureGrobel200CMYI::SetFadeTimeSeconds(int seconds) {
  sendTime(seconds, kFadeHours, kFadeMinutes, kFadeSecondsFn);
  return true;
}

int TZemFixtureGrobel200CMYI::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureGrobel200CMYI::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureGrobel200CMYI::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, 62, 63);
  appendAddressRange(list, 128, 447);
}
void TZemFixtureGrobel200CMYI::GetSettingsAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{32, 51}, {62, 71}, {128, 447}, {1025, 1030}});
}
void TZemFixtureGrobel200CMYI::GetMemoryAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{32, 51}, {64, 71}, {1025, 1030}});
}

std::string TZemFixtureGrobel200CMYI::DecodeLogText() {
  const size_t at = fd::kSystemLogEntry;
  const unsigned code = recordWord(at + kLogEventCode);
  const unsigned w1 = recordWord(at + kLogWord1);
  const unsigned w2 = recordWord(at + kLogWord2);
  const uint32_t data = static_cast<uint32_t>(w1) | (static_cast<uint32_t>(w2) << 16);
  const int n = static_cast<int>(code & 0x7FF);
  const char* edge = (code & 0x800) != 0 ? "START - " : "STOP - ";
  // Fans and temperatures may report a supply voltage in their second word.
  auto voltageEnding = [w2] {
    return w2 != 0 ? FormatText(", Voltage1 %0.1f V.", w2 / 100.0) : std::string(".");
  };

  std::string text;
  switch (code & 0xF000) {
    case 0x0000:
      text = std::string("DEBUG.") + edge;
      if (n == 0) {
        text += "Timer/LS " + std::to_string(recordByte(at + kLogWord1)) + ".";
      } else if (n == 1) {
        text += FormatText("PCB Temp %0.2f DegC, Sensor1 Temp %0.2f DegC", w1 / 100.0, w2 / 100.0);
      }
      break;
    case 0xD000:
      text = "INFO - ";
      if (n == 0) {
        text += FormatText("Software V.%u.%u.%u.", w1 / 100, (w1 / 10) % 10, w1 % 10);
      } else if (n == 1) {
        text += FormatText("Bootloader V.%u.%u.%u.", w1 / 100, (w1 / 10) % 10, w1 % 10);
      } else if (n == 2) {
        text += "Factory default restored.";
      }
      break;
    case 0xE000:
      text = "WARNING - ";
      break;
    case 0xF000: {
      text = std::string("ERROR.") + edge;
      static constexpr const char* kFaults[] = {
          "Illegal word access: ", "Protection fault: ", "Program memory access: ", "Undefined opcode: ",
          "Software break: ",      "Stack underflow: ",  "Stack overflow: ",        "NMI: ",
      };
      if (n <= 127) {
        text += FormatText("Motor %d.", n + 1);
      } else if (n <= 143) {
        text += FormatText("Voltage%d %0.1f V.", n - 127, w1 / 100.0);
      } else if (n <= 159) {
        text += FormatText("Fan%d %u RPM", n - 143, w1) + voltageEnding();
      } else if (n <= 175) {
        text += FormatText("Temperature%d %0.2f DegC", n - 159, w1 / 100.0) + voltageEnding();
      } else if (n <= 191) {
        text += FormatText("LightSensor%d %u Lux.", n - 175, static_cast<unsigned>(data));
      } else if (n == 256) {
        text += "Real Time Clock.";
      } else if (n == 257) {
        text += "Eeprom.";
      } else if (n == 258) {
        text += "Ram.";
      } else if (n >= 513 && n <= 520) {
        text += kFaults[n - 513] + FormatText("%08X", static_cast<unsigned>(data));
      }
      break;
    }
    default:
      break;
  }
  return text;
}

void TZemFixtureGrobel200CMYI::ResetFixture() {
  sendPair(kReset, 0);
}
void TZemFixtureGrobel200CMYI::LampOff() {
  sendPair(kLampOff, 0);
}
void TZemFixtureGrobel200CMYI::LampOn() {
  sendPair(kLampOn, 0);
}

int TZemFixtureGrobel200CMYI::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kWaitSeconds);
}
int TZemFixtureGrobel200CMYI::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kFadeSeconds);
}

void TZemFixtureGrobel200CMYI::AdjustAllOpen() {
  sendPair(kAdjustAll, 0);
}
void TZemFixtureGrobel200CMYI::AdjustAllClosed() {
  sendPair(kAdjustAll, 1);
}
void TZemFixtureGrobel200CMYI::AdjustDimmerOpen() {
  sendPair(kAdjustDimmer, 0);
}
void TZemFixtureGrobel200CMYI::AdjustDimmerClosed() {
  sendPair(kAdjustDimmer, 1);
}
void TZemFixtureGrobel200CMYI::GrobelAdjust73_2() {
  sendPair(kAdjustDimmer, 2);
}
void TZemFixtureGrobel200CMYI::AdjustCyanOpen() {
  sendPair(kAdjustCyan, 0);
}
void TZemFixtureGrobel200CMYI::AdjustCyanClosed() {
  sendPair(kAdjustCyan, 1);
}
void TZemFixtureGrobel200CMYI::GrobelAdjust74_2() {
  sendPair(kAdjustCyan, 2);
}
void TZemFixtureGrobel200CMYI::AdjustMagentaOpen() {
  sendPair(kAdjustMagenta, 0);
}
void TZemFixtureGrobel200CMYI::AdjustMagentaClosed() {
  sendPair(kAdjustMagenta, 1);
}
void TZemFixtureGrobel200CMYI::GrobelAdjust75_2() {
  sendPair(kAdjustMagenta, 2);
}
void TZemFixtureGrobel200CMYI::AdjustYellowOpen() {
  sendPair(kAdjustYellow, 0);
}
void TZemFixtureGrobel200CMYI::AdjustYellowClosed() {
  sendPair(kAdjustYellow, 1);
}
void TZemFixtureGrobel200CMYI::GrobelAdjust76_2() {
  sendPair(kAdjustYellow, 2);
}
void TZemFixtureGrobel200CMYI::AdjustColor(int position) {
  sendPair(kAdjustColor, checkByte(position, "colour position"));
}

// ---------------------------------------------------------------------------
// Grobel 200 CI

TZemFixtureGrobel200CI::TZemFixtureGrobel200CI() {
  requiredFirmwareVersion_ = 8;
}

int TZemFixtureGrobel200CI::GetDmxChannelCount() {
  return 4;
}

std::string TZemFixtureGrobel200CI::GetFixtureName() {
  return "Grobel 200 CI";
}

bool TZemFixtureGrobel200CI::SetLiveColor(int position) {
  return sendLive(kEnter, kLiveColor, checkByte(position, "colour position"));
}

// ---------------------------------------------------------------------------
// Quintel CMYI

TZemFixtureQuintelCMYI::TZemFixtureQuintelCMYI() {
  requiredFirmwareVersion_ = 1;
  longLog_ = true;
}

const TStringList& TZemFixtureQuintelCMYI::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 3, "(%d) hTER - Head temperature-sense circuit error"},
      {1, 4, "(%d) bTER - Base temperature-sense circuit error"},
      {7, 0, "(%d) RAME - RAM Error"},
      {9, 2, "(%d) DRER - Driver current error"},
      {9, 4, "(%d) rCER - Real Time Clock error (not running)"},
      {9, 7, "(%d) PSER - Power supply error"},
  };
  return fillErrorList(kTable);
}

std::string TZemFixtureQuintelCMYI::GetFixtureName() {
  return "Quintel CMYI";
}
