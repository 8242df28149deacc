#include "zem/model/Brv200Models.h"

#include "zem/link/ZEMData.h"
#include "zem/model/model_support.h"

using modelsupport::SceneFunctions;

namespace {

inline constexpr uint32_t kRequiredFirmware = 0x020000;
// Above these versions the fixture takes four-word EEPROM writes and stores DMX reset plainly.
inline constexpr uint32_t kBrv200NewFirmware = 0x020300;
inline constexpr uint32_t kLunavexNewFirmware = 0x020200;

inline constexpr int kPage = 100;
inline constexpr int kEnter = 111;
inline constexpr int kIdle = 111;
inline constexpr int kServiceSwitch = 37;
inline constexpr int kReset = 81;
inline constexpr int kLampOn = 82;
inline constexpr int kLampOff = 83;
inline constexpr int kAdjustAll = 84;
inline constexpr int kAdjustDimmer = 85;
inline constexpr int kAdjustCyan = 86;
inline constexpr int kAdjustMagenta = 87;
inline constexpr int kAdjustYellow = 88;
inline constexpr int kLiveIntensity = 100;
inline constexpr int kLiveCyan = 101;
inline constexpr int kLiveMagenta = 102;
inline constexpr int kLiveYellow = 103;
inline constexpr int kLiveRandomColor = 104;
inline constexpr int kFadeTimeIndex = 105;
inline constexpr int kWaitTimeIndex = 106;

constexpr SceneFunctions kScenes = {
    {113, 0}, {112, 0}, {108, 0}, {114, 1}, {107, 0}, {110, 0}, {109, 0},
};

// Scene being edited.
inline constexpr size_t kFadeSeconds = 7;  // 16-bit
inline constexpr size_t kWaitSeconds = 9;  // 16-bit

inline constexpr int kLastAddress = 1023;

}  // namespace

// ---------------------------------------------------------------------------
// Brevidor 200

TZemFixtureBrv200_20::TZemFixtureBrv200_20() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  eepromWriteChunk_ = GetFirmwareVersion() > kBrv200NewFirmware ? 4 : 1;
  longLog_ = true;
}

const TStringList& TZemFixtureBrv200_20::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 3, "(%d) HTER - Head temperature-sense circuit error"},
      {1, 4, "(%d) bTER - Base temperature-sense circuit error"},
      {7, 0, "(%d) RAME - RAM Error"},
      {7, 1, "(%d) L1ER -  Light sensor 1 error"},
      {9, 4, "(%d) rCER -  Real Time Clock error (not running)"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureBrv200_20::GetDmxChannelCount() {
  return 7;
}

std::string TZemFixtureBrv200_20::GetFixtureName() {
  return "Brevidor 200";
}

bool TZemFixtureBrv200_20::dmxResetInverted() {
  return GetFirmwareVersion() <= kBrv200NewFirmware;
}

bool TZemFixtureBrv200_20::SetDMXReset(int flag) {
  checkFlag(flag, "DMX reset");
  return TZemFixture::SetDMXReset(dmxResetInverted() ? flag ^ 1 : flag);
}

int TZemFixtureBrv200_20::GetDMXReset() {
  const int bit = TZemFixture::GetDMXReset();
  return dmxResetInverted() ? bit ^ 1 : bit;
}

bool TZemFixtureBrv200_20::ReadAllFixtureData(const TProgressCallback& progress) {
  return modelsupport::readAllSteps(*this, modelsupport::standardReadSteps(*this), 10, 10, progress);
}

int TZemFixtureBrv200_20::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureBrv200_20::PreviousScene() {
  return sendScene(kEnter, kScenes.previous.function, kScenes.previous.value);
}
bool TZemFixtureBrv200_20::NextScene() {
  return sendScene(kEnter, kScenes.next.function, kScenes.next.value);
}
bool TZemFixtureBrv200_20::StoreScene() {
  return sendScene(kEnter, kScenes.store.function, kScenes.store.value);
}
bool TZemFixtureBrv200_20::DeleteAllScenes() {
  return sendScene(kEnter, kScenes.deleteAll.function, kScenes.deleteAll.value);
}
bool TZemFixtureBrv200_20::AddScene() {
  return sendScene(kEnter, kScenes.add.function, kScenes.add.value);
}
bool TZemFixtureBrv200_20::DeleteScene() {
  return sendScene(kEnter, kScenes.remove.function, kScenes.remove.value);
}
bool TZemFixtureBrv200_20::InsertScene() {
  return sendScene(kEnter, kScenes.insert.function, kScenes.insert.value);
}

bool TZemFixtureBrv200_20::SetServiceSwitch(bool on) {
  const int value = on ? 1 : 0;
  const int argument = on ? 0 : svc::kArgumentDone;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(kServiceSwitch, value, argument);
  (void)SendServiceCommand(kServiceSwitch, value, argument);
  return true;
}

bool TZemFixtureBrv200_20::IdlePoll(bool /*monitorPageShowing*/) {
  return sendIdle(kIdle);
}

bool TZemFixtureBrv200_20::SetLiveIntensity(int value) {
  return sendLive(kEnter, kLiveIntensity, value);
}
bool TZemFixtureBrv200_20::SetLiveCyan(int value) {
  return sendLive(kEnter, kLiveCyan, value);
}
bool TZemFixtureBrv200_20::SetLiveMagenta(int value) {
  return sendLive(kEnter, kLiveMagenta, value);
}
bool TZemFixtureBrv200_20::SetLiveYellow(int value) {
  return sendLive(kEnter, kLiveYellow, value);
}
bool TZemFixtureBrv200_20::SetWaitTimeIndex(int index) {
  return sendLive(kEnter, kWaitTimeIndex, checkByte(index, "wait time index"));
}
bool TZemFixtureBrv200_20::SetFadeTimeIndex(int index) {
  return sendLive(kEnter, kFadeTimeIndex, checkByte(index, "fade time index"));
}
bool TZemFixtureBrv200_20::SetLiveRandomColor(int value) {
  return sendLive(kEnter, kLiveRandomColor, checkByte(value, "random colour"));
}

int TZemFixtureBrv200_20::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureBrv200_20::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureBrv200_20::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, 300, 545);
}
void TZemFixtureBrv200_20::GetSettingsAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{2, 11}, {25, 39}, {300, 545}});
}
void TZemFixtureBrv200_20::GetMemoryAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{2, 11}, {25, 39}});
}

void TZemFixtureBrv200_20::ResetFixture() {
  sendPair(kReset, 0);
}
void TZemFixtureBrv200_20::LampOff() {
  sendPair(kLampOff, 0);
}
void TZemFixtureBrv200_20::LampOn() {
  sendPair(kLampOn, 0);
}

int TZemFixtureBrv200_20::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kWaitSeconds);
}
int TZemFixtureBrv200_20::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + kFadeSeconds);
}

void TZemFixtureBrv200_20::AdjustAllOpen() {
  sendPair(kAdjustAll, 0);
}
void TZemFixtureBrv200_20::AdjustAllClosed() {
  sendPair(kAdjustAll, 1);
}
void TZemFixtureBrv200_20::AdjustDimmerOpen() {
  sendPair(kAdjustDimmer, 0);
}
void TZemFixtureBrv200_20::AdjustDimmerClosed() {
  sendPair(kAdjustDimmer, 1);
}
void TZemFixtureBrv200_20::AdjustCyanOpen() {
  sendPair(kAdjustCyan, 0);
}
void TZemFixtureBrv200_20::AdjustCyanClosed() {
  sendPair(kAdjustCyan, 1);
}
void TZemFixtureBrv200_20::AdjustMagentaOpen() {
  sendPair(kAdjustMagenta, 0);
}
void TZemFixtureBrv200_20::AdjustMagentaClosed() {
  sendPair(kAdjustMagenta, 1);
}
void TZemFixtureBrv200_20::AdjustYellowOpen() {
  sendPair(kAdjustYellow, 0);
}
void TZemFixtureBrv200_20::AdjustYellowClosed() {
  sendPair(kAdjustYellow, 1);
}

int TZemFixtureBrv200_20::Brv200ValueToIndex(int value) {
  return modelsupport::byteToBandIndex(value);
}

// ---------------------------------------------------------------------------
// Lunavex CMY 150

TZemFixtureLunavexCMY150_20::TZemFixtureLunavexCMY150_20() {
  requiredFirmwareVersion_ = kRequiredFirmware;
  eepromWriteChunk_ = GetFirmwareVersion() > kLunavexNewFirmware ? 4 : 1;
}

std::string TZemFixtureLunavexCMY150_20::GetFixtureName() {
  return "Lunavex CMY 150";
}

// The Lunavex stores the bit inverted only up to 2.2 build 0; between that and the Brevidor 200's
// boundary the flag is inverted once more here so that the parent's inversion cancels out.
bool TZemFixtureLunavexCMY150_20::SetDMXReset(int flag) {
  checkFlag(flag, "DMX reset");
  const uint32_t fw = GetFirmwareVersion();
  const bool between = fw > kLunavexNewFirmware && fw <= kBrv200NewFirmware;
  return TZemFixtureBrv200_20::SetDMXReset(between ? flag ^ 1 : flag);
}

int TZemFixtureLunavexCMY150_20::GetDMXReset() {
  const int bit = TZemFixture::GetDMXReset();
  return GetFirmwareVersion() > kLunavexNewFirmware ? bit : bit ^ 1;
}
