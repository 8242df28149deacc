#include "zem/model/KandrelModel.h"

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/model_support.h"

using modelsupport::ReadStep;

namespace {

// Personality area.
inline constexpr size_t kMode = fdarea::pers::kMode;
inline constexpr size_t kAutoAddress = 4;   // one-shot: address the sub-devices one after another
inline constexpr size_t kResetAddress = 5;  // one-shot: reset every DMX address to 1
inline constexpr int kProtocolWithWhite = 3;

// Stand-alone settings area.
inline constexpr size_t kDynamicWait = fdarea::sa::kDynamicWait;
inline constexpr size_t kDynamicFade = fdarea::sa::kDynamicFade;

inline constexpr int kTotalSteps = 12;

void clearOneShots() {
  FixtureData.at(fd::kPersonality + kAutoAddress) = 0;
  FixtureData.at(fd::kPersonality + kResetAddress) = 0;
}

}  // namespace

TZemFixtureKandrel::TZemFixtureKandrel() {
  requiredFirmwareVersion_ = 0;
  personalityWritePause_ = 50;
}

const TStringList& TZemFixtureKandrel::GetErrorList() {
  static constexpr const char* kNames[] = {
      "LEDBOARD_TEMP_ERROR",   "MAINBOARD_TEMP_ERROR",     "MAINBOARD_E2PROM_ERROR",
      "LEDBOARD_E2PROM_ERROR", "MAINBOARD_OVERHEAT_ERROR", "LEDBOARD_OVERHEAT_ERROR",
      "POWER48V_SUPPLY_ERROR", "POWER5V_SUPPLY_ERROR",
  };
  TStringList& list = clearedErrorList();
  if (recordByte(fd::kErrorStatus) == 0) {
    list.push_back("Fixture reports no errors");
    return list;
  }
  const uint8_t flags = recordByte(fd::kErrorStatus + 1);
  for (int bit = 0; bit < 8; ++bit) {
    const unsigned value = 1u << bit;
    if (flags & value) list.push_back(FormatText("(0x%.4X) %s", value, kNames[bit]));
  }
  uint32_t all = 0;
  for (size_t k = 0; k < 4; ++k)
    all |= static_cast<uint32_t>(recordByte(fd::kErrorStatus + 1 + k)) << (8 * k);
  list.insert(list.begin(), FormatText("Fixture errors\rError Flags 0x%.8X", static_cast<unsigned>(all)));
  return list;
}

int TZemFixtureKandrel::GetDmxChannelCount() {
  const int perGroup = GetDmxProtocol() == kProtocolWithWhite ? 4 : 3;
  switch (GetSubType()) {
    case 0:
      return perGroup;
    case 1: {
      const int mode = GetModeSettings();
      const int groups = (mode == 2 || mode == 4) ? mode : 1;
      return groups * perGroup;
    }
    default:
      return 3;
  }
}

std::string TZemFixtureKandrel::GetFixtureName() {
  return "Quodra";
}

std::string TZemFixtureKandrel::GetFixtureSubTypeName() {
  switch (GetSubType()) {
    case 0:
      return "Quodra 300";
    case 1:
      return "Quodra 1200";
    default:
      return "Quodra ?";
  }
}

bool TZemFixtureKandrel::ReadPersonality() {
  const bool read = TZemFixture::ReadPersonality();
  if (read) clearOneShots();
  return read;
}

bool TZemFixtureKandrel::ReadAllFixtureData(const TProgressCallback& progress) {
  using modelsupport::operator+;
  const std::vector<ReadStep> steps =
      modelsupport::chainReadSteps(*this) +
      std::vector<ReadStep>{[this] { return ReadStandAloneSettings(); }, nullptr, nullptr, nullptr};
  if (!modelsupport::readAllSteps(*this, steps, kTotalSteps, 0, progress)) return false;
  workBuffer_.fill(0);
  int count = 0;
  if (!modelsupport::scanSubDevices(*this, nullptr, count)) return false;
  modelsupport::reportProgress(progress, kTotalSteps, kTotalSteps);
  return true;
}

bool TZemFixtureKandrel::ReadBasicFixtureData() {
  if (Device == nullptr) return false;
  return ReadFixtureInfo() && ReadZemVersion() && ReadLampStatus() && ReadErrorStatus() &&
         ReadPersonality() && ReadStandAloneSettings();
}

bool TZemFixtureKandrel::IdlePoll(bool monitorPageShowing) {
  // A failed read keeps the values shown until the next tick reads again.
  if (monitorPageShowing) (void)ReadNextMonitorPage();
  return true;
}

bool TZemFixtureKandrel::SendLedData(int red, int green, int blue, int amber, int white) {
  const int bytes[] = {checkByte(red, "red"), checkByte(green, "green"), checkByte(blue, "blue"),
                       checkByte(amber, "amber"), checkByte(white, "white")};
  for (size_t k = 0; k < std::size(bytes); ++k)
    setRecordByte(fd::kLedData + k, static_cast<uint8_t>(bytes[k]));
  return Device != nullptr && Device->SendLedData();
}

int TZemFixtureKandrel::GetModeSettings() {
  return recordByte(fd::kPersonality + kMode);
}

bool TZemFixtureKandrel::WritePersonality() {
  const bool written = TZemFixture::WritePersonality();
  // The write's read-back brings the command bytes back into the record; they must not go out again.
  clearOneShots();
  return written;
}

bool TZemFixtureKandrel::SetModeSettings(int mode) {
  checkByte(mode, "mode settings");
  if (!ReadPersonality()) return false;
  if (GetModeSettings() == mode) return true;
  setRecordByte(fd::kPersonality + kMode, static_cast<uint8_t>(mode));
  clearOneShots();
  return WritePersonality();
}

bool TZemFixtureKandrel::sendOneShot(uint8_t autoAddress, uint8_t resetAddress) {
  if (!ReadPersonality()) return false;
  setRecordByte(fd::kPersonality + kAutoAddress, autoAddress);
  setRecordByte(fd::kPersonality + kResetAddress, resetAddress);
  return WritePersonality();
}

bool TZemFixtureKandrel::ResetDMXAddressTo1() {
  return sendOneShot(0, 1);
}

bool TZemFixtureKandrel::AutoAddressSequentially() {
  return sendOneShot(1, 0);
}

int TZemFixtureKandrel::GetDynamicWaitTimeIndex() {
  return recordByte(fd::kStandAloneSettings + kDynamicWait);
}
int TZemFixtureKandrel::GetDynamicFadeTimeIndex() {
  return recordByte(fd::kStandAloneSettings + kDynamicFade);
}

bool TZemFixtureKandrel::setStandAloneIndex(size_t index, int value) {
  checkByte(value, "dynamic time index");
  if (!ReadStandAloneSettings()) return false;
  if (recordByte(fd::kStandAloneSettings + index) == value) return true;
  setRecordByte(fd::kStandAloneSettings + index, static_cast<uint8_t>(value));
  return WriteStandAloneSettings();
}

bool TZemFixtureKandrel::SetDynamicWaitTimeIndex(int index) {
  return setStandAloneIndex(kDynamicWait, index);
}
bool TZemFixtureKandrel::SetDynamicFadeTimeIndex(int index) {
  return setStandAloneIndex(kDynamicFade, index);
}
