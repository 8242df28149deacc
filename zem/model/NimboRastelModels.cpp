#include "zem/model/NimboRastelModels.h"

#include "zem/link/ZEMData.h"
#include "zem/model/model_support.h"

using modelsupport::ReadStep;
using modelsupport::SceneFunctions;

namespace {

// The dialect both models speak.
inline constexpr int kPage = 100;
inline constexpr int kEnter = 41;
inline constexpr int kLiveIntensity = 42;
inline constexpr int kReset = 62;
inline constexpr int kLampOn = 63;
inline constexpr int kLampOff = 64;
inline constexpr int kIdle = 254;

// Nimbo O2.
namespace nimbo {
inline constexpr uint32_t kRequiredFirmware = 0x020003;
inline constexpr int kLiveCyan = 43;
inline constexpr int kLiveMagenta = 44;
inline constexpr int kLiveYellow = 45;
inline constexpr int kLiveRandomColor = 46;
inline constexpr int kFadeTimeIndex = 47;
inline constexpr int kWaitTimeIndex = 48;
inline constexpr int kServiceSwitch = 56;
inline constexpr int kAdjustAll = 65;
inline constexpr int kAdjustDimmer = 66;
inline constexpr int kAdjustCyan = 67;
inline constexpr int kAdjustMagenta = 68;
inline constexpr int kAdjustYellow = 69;
constexpr SceneFunctions kScenes = {
    {51, 0}, {50, 0}, {52, 0}, {55, 1}, {49, 0}, {54, 0}, {53, 0},
};
inline constexpr size_t kFadeSeconds = 7;  // stand-alone program, 16-bit
inline constexpr size_t kWaitSeconds = 9;
inline constexpr int kLastStandAlone = 545;
}  // namespace nimbo

// Rastel.
namespace rastel {
inline constexpr uint32_t kRequiredFirmware = 0x020006;
inline constexpr int kLiveFocus = 43;
inline constexpr int kGoboSelect = 44;
inline constexpr int kGoboRotateOffset = 4;  // rotate mode selects gobo + 4
inline constexpr int kPan = 46;
inline constexpr int kTilt = 47;
inline constexpr int kFadeTimeIndex = 50;
inline constexpr int kWaitTimeIndex = 51;
inline constexpr int kServiceSwitch = 59;
inline constexpr int kAdjustDimmer = 65;
inline constexpr int kAdjustFocus = 66;
inline constexpr int kAdjustGobo = 67;
inline constexpr int kAdjustGoboChoice = 68;
inline constexpr int kAdjustPanTiltChoice = 69;
inline constexpr int kGoboPosition = 144;
inline constexpr int kGoboSpeed = 147;
constexpr SceneFunctions kScenes = {
    {54, 0}, {53, 0}, {55, 0}, {58, 1}, {52, 0}, {57, 0}, {56, 0},
};
inline constexpr size_t kFadeSeconds = 10;  // stand-alone program, 16-bit
inline constexpr size_t kWaitSeconds = 12;
inline constexpr int kLastStandAlone = 585;
}  // namespace rastel

inline constexpr int kLastAddress = 1023;
inline constexpr int kFirstStandAlone = 300;

// Both models read the same records; neither reads timers, sensor trigger or log.
bool readAll21(TZemFixture& f, const TProgressCallback& progress) {
  using modelsupport::operator+;
  const std::vector<ReadStep> steps =
      modelsupport::basicReadSteps(f) + std::vector<ReadStep>{
                                            [&f] { return f.ReadStandAloneSettings(); },
                                            [&f] { return f.ReadStandAloneProgram(); },
                                        };
  return modelsupport::readAllSteps(f, steps, 8, 8, progress);
}

}  // namespace

// ---------------------------------------------------------------------------
// Nimbo O2

TZemFixtureNimboO2_21::TZemFixtureNimboO2_21() {
  requiredFirmwareVersion_ = nimbo::kRequiredFirmware;
  eepromWriteChunk_ = 4;
}

const TStringList& TZemFixtureNimboO2_21::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 0, "(%d) LERR - Lamp error (doesn't strike)"},
      {1, 1, "(%d) SHER - Short error (lamp strike without command)"},
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 3, "(%d) HTER - Head temperature-sense circuit error"},
      {1, 4, "(%d) bTER - Base temperature-sense circuit error"},
      {5, 7, "(%d) OPER - On board programming error"},
      {7, 0, "(%d) RAME - RAM Error"},
      {9, 2, "(%d) DRER - Driver current error"},
      {9, 4, "(%d) rCER - Real Time Clock error (not running)"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureNimboO2_21::GetDmxChannelCount() {
  return 7;
}

std::string TZemFixtureNimboO2_21::GetFixtureName() {
  return "Nimbo O2";
}

bool TZemFixtureNimboO2_21::ReadAllFixtureData(const TProgressCallback& progress) {
  return readAll21(*this, progress);
}

int TZemFixtureNimboO2_21::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureNimboO2_21::PreviousScene() {
  return sendScene(kEnter, nimbo::kScenes.previous.function, nimbo::kScenes.previous.value);
}
bool TZemFixtureNimboO2_21::NextScene() {
  return sendScene(kEnter, nimbo::kScenes.next.function, nimbo::kScenes.next.value);
}
bool TZemFixtureNimboO2_21::StoreScene() {
  return sendScene(kEnter, nimbo::kScenes.store.function, nimbo::kScenes.store.value);
}
bool TZemFixtureNimboO2_21::DeleteAllScenes() {
  return sendScene(kEnter, nimbo::kScenes.deleteAll.function, nimbo::kScenes.deleteAll.value);
}
bool TZemFixtureNimboO2_21::AddScene() {
  return sendScene(kEnter, nimbo::kScenes.add.function, nimbo::kScenes.add.value);
}
bool TZemFixtureNimboO2_21::DeleteScene() {
  return sendScene(kEnter, nimbo::kScenes.remove.function, nimbo::kScenes.remove.value);
}
bool TZemFixtureNimboO2_21::InsertScene() {
  return sendScene(kEnter, nimbo::kScenes.insert.function, nimbo::kScenes.insert.value);
}

bool TZemFixtureNimboO2_21::SetServiceSwitch(bool on) {
  const int value = on ? 1 : 0;
  const int argument = on ? 0 : svc::kArgumentDone;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(nimbo::kServiceSwitch, value, argument);
  (void)SendServiceCommand(nimbo::kServiceSwitch, value, argument);
  return true;
}

bool TZemFixtureNimboO2_21::IdlePoll(bool monitorPageShowing) {
  // A failed read keeps the values shown until the next tick reads again.
  if (monitorPageShowing) (void)ReadTemperatures();
  return sendIdle(kIdle);
}

bool TZemFixtureNimboO2_21::SetLiveIntensity(int value) {
  return sendLive(kEnter, kLiveIntensity, value);
}
bool TZemFixtureNimboO2_21::SetLiveCyan(int value) {
  return sendLive(kEnter, nimbo::kLiveCyan, value);
}
bool TZemFixtureNimboO2_21::SetLiveMagenta(int value) {
  return sendLive(kEnter, nimbo::kLiveMagenta, value);
}
bool TZemFixtureNimboO2_21::SetLiveYellow(int value) {
  return sendLive(kEnter, nimbo::kLiveYellow, value);
}
bool TZemFixtureNimboO2_21::SetWaitTimeIndex(int index) {
  return sendLive(kEnter, nimbo::kWaitTimeIndex, checkByte(index, "wait time index"));
}
bool TZemFixtureNimboO2_21::SetFadeTimeIndex(int index) {
  return sendLive(kEnter, nimbo::kFadeTimeIndex, checkByte(index, "fade time index"));
}
bool TZemFixtureNimboO2_21::SetLiveRandomColor(int value) {
  return sendLive(kEnter, nimbo::kLiveRandomColor, checkByte(value, "random colour"));
}

int TZemFixtureNimboO2_21::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureNimboO2_21::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureNimboO2_21::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, kFirstStandAlone, nimbo::kLastStandAlone);
}
void TZemFixtureNimboO2_21::GetSettingsAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {120, 134}, {kFirstStandAlone, nimbo::kLastStandAlone}});
}
void TZemFixtureNimboO2_21::GetMemoryAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {120, 134}});
}

void TZemFixtureNimboO2_21::ResetFixture() {
  sendPair(kReset, 0);
}
void TZemFixtureNimboO2_21::LampOff() {
  sendPair(kLampOff, 0);
}
void TZemFixtureNimboO2_21::LampOn() {
  sendPair(kLampOn, 0);
}

int TZemFixtureNimboO2_21::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + nimbo::kWaitSeconds);
}
int TZemFixtureNimboO2_21::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + nimbo::kFadeSeconds);
}

void TZemFixtureNimboO2_21::AdjustAllOpen() {
  sendPair(nimbo::kAdjustAll, 0);
}
void TZemFixtureNimboO2_21::AdjustAllClosed() {
  sendPair(nimbo::kAdjustAll, 1);
}
void TZemFixtureNimboO2_21::AdjustDimmerOpen() {
  sendPair(nimbo::kAdjustDimmer, 0);
}
void TZemFixtureNimboO2_21::AdjustDimmerClosed() {
  sendPair(nimbo::kAdjustDimmer, 1);
}
void TZemFixtureNimboO2_21::AdjustCyanOpen() {
  sendPair(nimbo::kAdjustCyan, 0);
}
void TZemFixtureNimboO2_21::AdjustCyanClosed() {
  sendPair(nimbo::kAdjustCyan, 1);
}
void TZemFixtureNimboO2_21::AdjustMagentaOpen() {
  sendPair(nimbo::kAdjustMagenta, 0);
}
void TZemFixtureNimboO2_21::AdjustMagentaClosed() {
  sendPair(nimbo::kAdjustMagenta, 1);
}
void TZemFixtureNimboO2_21::AdjustYellowOpen() {
  sendPair(nimbo::kAdjustYellow, 0);
}
void TZemFixtureNimboO2_21::AdjustYellowClosed() {
  sendPair(nimbo::kAdjustYellow, 1);
}

int TZemFixtureNimboO2_21::NimboValueToIndex(int value) {
  return modelsupport::byteToBandIndex(value);
}

// ---------------------------------------------------------------------------
// Rastel

TZemFixtureRastel_21::TZemFixtureRastel_21() {
  requiredFirmwareVersion_ = rastel::kRequiredFirmware;
  eepromWriteChunk_ = 4;
}

const TStringList& TZemFixtureRastel_21::GetErrorList() {
  static constexpr ErrorFlag kTable[] = {
      {1, 0, "(%d) LERR - Lamp error (doesn't strike)"},
      {1, 1, "(%d) SHER - Short error (lamp strike without command)"},
      {1, 2, "(%d) MERR - Memory Error (on-board EEPROM)"},
      {1, 3, "(%d) HTER - Head temperature-sense circuit error"},
      {4, 2, "(%d) GOER - Gobo error (can't find index)"},
      {4, 4, "(%d) RGER - Rot. gobo error (can't find index)"},
      {5, 3, "(%d) FOER - Focus error (can't find index)"},
      {5, 7, "(%d) OPER - On board programming error"},
      {7, 0, "(%d) RAME - RAM Error"},
      {9, 2, "(%d) DRER - Driver current error"},
      {9, 4, "(%d) RCER - Real Time Clock error (not running)"},
      {9, 6, "(%d) LTER - Lamp temperature-sense circuit error"},
  };
  return fillErrorList(kTable);
}

int TZemFixtureRastel_21::GetDmxChannelCount() {
  return GetDmxProtocol() == 0 ? 9 : 12;
}

std::string TZemFixtureRastel_21::GetFixtureName() {
  return "Rastel";
}

bool TZemFixtureRastel_21::ReadAllFixtureData(const TProgressCallback& progress) {
  return readAll21(*this, progress);
}

int TZemFixtureRastel_21::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureRastel_21::PreviousScene() {
  return sendScene(kEnter, rastel::kScenes.previous.function, rastel::kScenes.previous.value);
}
bool TZemFixtureRastel_21::NextScene() {
  return sendScene(kEnter, rastel::kScenes.next.function, rastel::kScenes.next.value);
}
bool TZemFixtureRastel_21::StoreScene() {
  return sendScene(kEnter, rastel::kScenes.store.function, rastel::kScenes.store.value);
}
bool TZemFixtureRastel_21::DeleteAllScenes() {
  return sendScene(kEnter, rastel::kScenes.deleteAll.function, rastel::kScenes.deleteAll.value);
}
bool TZemFixtureRastel_21::AddScene() {
  return sendScene(kEnter, rastel::kScenes.add.function, rastel::kScenes.add.value);
}
bool TZemFixtureRastel_21::DeleteScene() {
  return sendScene(kEnter, rastel::kScenes.remove.function, rastel::kScenes.remove.value);
}
bool TZemFixtureRastel_21::InsertScene() {
  return sendScene(kEnter, rastel::kScenes.insert.function, rastel::kScenes.insert.value);
}

bool TZemFixtureRastel_21::SetServiceSwitch(bool on) {
  const int value = on ? 1 : 0;
  const int argument = on ? 0 : svc::kArgumentDone;
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(rastel::kServiceSwitch, value, argument);
  (void)SendServiceCommand(rastel::kServiceSwitch, value, argument);
  return true;
}

bool TZemFixtureRastel_21::IdlePoll(bool monitorPageShowing) {
  // A failed read keeps the values shown until the next tick reads again.
  if (monitorPageShowing) (void)ReadTemperatures();
  return sendIdle(kIdle);
}

bool TZemFixtureRastel_21::SetLiveIntensity(int value) {
  return sendLive(kEnter, kLiveIntensity, value);
}
bool TZemFixtureRastel_21::SetWaitTimeIndex(int index) {
  return sendLive(kEnter, rastel::kWaitTimeIndex, checkByte(index, "wait time index"));
}
bool TZemFixtureRastel_21::SetFadeTimeIndex(int index) {
  return sendLive(kEnter, rastel::kFadeTimeIndex, checkByte(index, "fade time index"));
}
bool TZemFixtureRastel_21::SetLiveFocus(int value) {
  return sendLive(kEnter, rastel::kLiveFocus, value);
}

bool TZemFixtureRastel_21::SetControlValue78(int gobo, int value) {
  checkWord(gobo, "gobo");
  checkWord(value, "gobo position");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(rastel::kGoboSelect, gobo, svc::kArgumentDone);
  (void)SendServiceCommand(rastel::kGoboPosition, value, svc::kArgumentDone);
  return true;
}

bool TZemFixtureRastel_21::SetControlValue79(int gobo, int value) {
  checkWord(gobo, "gobo");
  const int selection = checkWord(gobo + rastel::kGoboRotateOffset, "gobo in rotate mode");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(rastel::kGoboSelect, selection, svc::kArgumentDone);
  (void)SendServiceCommand(rastel::kGoboSpeed, value & 0xFF, svc::kArgumentDone);
  return true;
}

bool TZemFixtureRastel_21::SetLivePanTilt(int pan, int tilt) {
  checkByte(pan, "pan");
  checkByte(tilt, "tilt");
  // Sent whatever the answer: a failed send has shown its own error box.
  (void)SendServiceCommand(rastel::kPan, pan, svc::kArgumentDone);
  (void)SendServiceCommand(rastel::kTilt, tilt, svc::kArgumentDone);
  return true;
}

int TZemFixtureRastel_21::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureRastel_21::GetMaxMemoryAddress() {
  return kLastAddress;
}

void TZemFixtureRastel_21::GetStandAloneAddressList(TAddressList& list) {
  list.clear();
  appendAddressRange(list, kFirstStandAlone, rastel::kLastStandAlone);
}
void TZemFixtureRastel_21::GetSettingsAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {120, 134}, {kFirstStandAlone, rastel::kLastStandAlone}});
}
void TZemFixtureRastel_21::GetMemoryAddressList(TAddressList& list) {
  fillAddressesExcept(list, kLastAddress, {{4, 11}, {120, 134}});
}

void TZemFixtureRastel_21::ResetFixture() {
  sendPair(kReset, 0);
}
void TZemFixtureRastel_21::LampOff() {
  sendPair(kLampOff, 0);
}
void TZemFixtureRastel_21::LampOn() {
  sendPair(kLampOn, 0);
}
void TZemFixtureRastel_21::AdjustFocusNear() {
  sendPair(rastel::kAdjustFocus, 0);
}
void TZemFixtureRastel_21::AdjustFocusFar() {
  sendPair(rastel::kAdjustFocus, 1);
}
void TZemFixtureRastel_21::AdjustGobo(int value) {
  sendPair(rastel::kAdjustGobo, value);
}

int TZemFixtureRastel_21::GetWaitTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + rastel::kWaitSeconds);
}
int TZemFixtureRastel_21::GetFadeTimeSeconds() {
  return recordWord(fd::kStandAloneProgram + rastel::kFadeSeconds);
}

void TZemFixtureRastel_21::AdjustDimmerOpen() {
  sendPair(rastel::kAdjustDimmer, 0);
}
void TZemFixtureRastel_21::AdjustDimmerClosed() {
  sendPair(rastel::kAdjustDimmer, 1);
}
void TZemFixtureRastel_21::AdjustGoboChoice(int index) {
  sendPair(rastel::kAdjustGoboChoice, index);
}
void TZemFixtureRastel_21::AdjustPanTiltChoice(int index) {
  sendPair(rastel::kAdjustPanTiltChoice, index);
}
