#include "zem/model/LedModels.h"

#include <span>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/model/model_support.h"

namespace {

inline constexpr int kPage = 100;
inline constexpr int kReset = 10;
inline constexpr int kServiceSwitch = 37;
inline constexpr int kTimePrefix = 48;
inline constexpr int kIdle = 48;
inline constexpr int kLivePrefix = 111;
inline constexpr int kLiveRed = 100;
inline constexpr int kLiveGreen = 101;
inline constexpr int kLiveBlue = 102;
inline constexpr int kLiveAmber = 103;
inline constexpr int kLiveWhite = 104;
inline constexpr int kFadeTime = 130;
inline constexpr int kWaitTime = 133;

inline constexpr int kScenePrevious = 113;
inline constexpr int kSceneNext = 112;
inline constexpr int kSceneStore = 108;
inline constexpr int kSceneDeleteAll = 114;
inline constexpr int kSceneAdd = 107;
inline constexpr int kSceneDelete = 110;
inline constexpr int kSceneInsert = 109;

// Scene being edited.
inline constexpr size_t kFadeSeconds = 10;  // 16-bit
inline constexpr size_t kWaitSeconds = 12;  // 16-bit

inline constexpr int kLastAddress = 2047;
inline constexpr int kResetOkDelayMs = 10000;
inline constexpr int kSettleMs = 5;

inline constexpr int kLedCount = static_cast<int>(fd::kLedCount);

// Idle ticks off the monitor page, shared by every object of the family for the program's lifetime.
int idleTicks = 0;
inline constexpr int kIdleTicksPerFrame = 4;

}  // namespace

// ---------------------------------------------------------------------------
// Brevidor 200 LED

TZemFixtureBV20L::TZemFixtureBV20L() {
  requiredFirmwareVersion_ = 0x000700;
}

const TStringList& TZemFixtureBV20L::GetErrorList() {
  TStringList& list = clearedErrorList();
  list = modelsupport::ledErrorLines(
      std::span<const uint8_t>(FixtureData.data() + fd::kErrorStatus, fd::kErrorStatusSize));
  return list;
}

int TZemFixtureBV20L::GetDmxChannelCount() {
  switch (GetDmxProtocol()) {
    case 0:
      return 5;
    case 1:
    case 2:
      return 3;
    case 3:
      return 4;
    default:
      return 1;
  }
}

std::string TZemFixtureBV20L::GetFixtureName() {
  return "Brevidor 200 LED";
}

bool TZemFixtureBV20L::ReadAllFixtureData(const TProgressCallback& progress) {
  return modelsupport::readAllSteps(*this, modelsupport::standardReadSteps(*this), 10, 10, progress);
}

int TZemFixtureBV20L::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureBV20L::sendLedScene(int function) {
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(function, 0, svc::kArgumentDone);
  return ReadStandAloneProgram();
}

bool TZemFixtureBV20L::PreviousScene() {
  return sendLedScene(kScenePrevious);
}
bool TZemFixtureBV20L::NextScene() {
  return sendLedScene(kSceneNext);
}
bool TZemFixtureBV20L::StoreScene() {
  return sendLedScene(kSceneStore);
}
bool TZemFixtureBV20L::DeleteAllScenes() {
  return sendLedScene(kSceneDeleteAll);
}
bool TZemFixtureBV20L::AddScene() {
  return sendLedScene(kSceneAdd);
}
bool TZemFixtureBV20L::DeleteScene() {
  return sendLedScene(kSceneDelete);
}
bool TZemFixtureBV20L::InsertScene() {
  return sendLedScene(kSceneInsert);
}

bool TZemFixtureBV20L::SetServiceSwitch(bool on) {
  if (on) {
    // Sent whatever the answer: a failed send has shown its own error box.
    (void)SendServiceCommand(kServiceSwitch, 1, 0);
  } else {
    (void)SendServiceCommand(kServiceSwitch, 0, svc::kArgumentDone);
  }
  return true;
}

bool TZemFixtureBV20L::IdlePoll(bool monitorPageShowing) {
  if (monitorPageShowing) {
    // A failed read keeps the values shown until the next tick reads again.
    (void)ReadNextMonitorPage();
    return true;
  }
  if (++idleTicks >= kIdleTicksPerFrame) idleTicks = 0;
  // Sent whatever the answer: a failed send has shown its own error box.
  if (idleTicks == 0) (void)SendServiceCommandOnce(kIdle, 0, 0);
  return true;
}

bool TZemFixtureBV20L::sendLedTime(int function, int seconds) {
  checkWord(seconds, "time in seconds");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kTimePrefix, 0, 0);
  sendPair(function, seconds);
  return true;
}

bool TZemFixtureBV20L::SetWaitTimeSeconds(int seconds) {
  return sendLedTime(kWaitTime, seconds);
}
bool TZemFixtureBV20L::SetFadeTimeSeconds(int seconds) {
  return sendLedTime(kFadeTime, seconds);
}

bool TZemFixtureBV20L::sendLedLevel(int function, int level) {
  checkWord(level, "LED level");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kLivePrefix, 0, 0);
  (void)SendServiceCommand(function, level, 0);
  return true;
}

bool TZemFixtureBV20L::SetLiveRed(int value) {
  return sendLedLevel(kLiveRed, value);
}
bool TZemFixtureBV20L::SetLiveGreen(int value) {
  return sendLedLevel(kLiveGreen, value);
}
bool TZemFixtureBV20L::SetLiveBlue(int value) {
  return sendLedLevel(kLiveBlue, value);
}
bool TZemFixtureBV20L::SetLiveAmber(int value) {
  return sendLedLevel(kLiveAmber, value);
}
bool TZemFixtureBV20L::SetLiveWhite(int value) {
  return sendLedLevel(kLiveWhite, value);
}

int TZemFixtureBV20L::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureBV20L::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureBV20L::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, 256, 1535);
}

void TZemFixtureBV20L::GetSettingsAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, 0, 3);
}

void TZemFixtureBV20L::ResetFixture() {
  sendPair(kReset, 0);
}

int TZemFixtureBV20L::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kWaitSeconds);
}
int TZemFixtureBV20L::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kFadeSeconds);
}
int TZemFixtureBV20L::GetResetOKDelay() {
  return kResetOkDelayMs;
}
int TZemFixtureBV20L::GetEepromSettleTime() {
  return kSettleMs;
}

// ---------------------------------------------------------------------------
// Brevidor 400 LED Series

TZemFixtureBV40L::TZemFixtureBV40L() {
  requiredFirmwareVersion_ = 0x000203;
  personalityWritePause_ = 50;
}

int TZemFixtureBV40L::GetDmxChannelCount() {
  return 5;
}

std::string TZemFixtureBV40L::GetFixtureName() {
  static constexpr const char* kName = "Brevidor 400 LED Series";
  // Shown as the fixture sent it; the window makes it safe where it becomes a folder name.
  const std::string serial = modelsupport::printableRecordText(fd::kPCBSerial, fd::kPCBSerialSize);
  if (serial.empty()) return kName;
  return std::string(kName) + " (" + serial + ")";
}

bool TZemFixtureBV40L::ReadAllFixtureData(const TProgressCallback& progress) {
  constexpr int kTotal = 15;
  if (!modelsupport::readAllSteps(*this, modelsupport::standardReadSteps(*this), kTotal, 10, progress)) {
    return false;
  }
  if (!ReadPcbSerialNumber()) return false;
  // Every LED is read even after one failed, so the window shows all that could be read.
  bool allRead = true;
  for (int led = 0; led < kLedCount; ++led) {
    modelsupport::reportProgress(progress, 11 + led, kTotal);
    const bool read = ReadLedDescription(led) && ReadLedDescription2(led);
    allRead = allRead && read;
  }
  if (allRead) modelsupport::reportProgress(progress, kTotal, kTotal);
  return allRead;
}
