#include "zem/model/BralinModel.h"

#include <span>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/model/model_support.h"

using modelsupport::ReadStep;

namespace {

inline constexpr int kPage = 100;
inline constexpr int kRed = 100;
inline constexpr int kGreen = 101;
inline constexpr int kBlue = 102;
inline constexpr int kWhite = 104;
inline constexpr int kLastAddress = 2047;
inline constexpr int kTotalSteps = 12;

}  // namespace

TZemFixtureBralin::TZemFixtureBralin() {
  requiredFirmwareVersion_ = 0;
  personalityWritePause_ = 50;
}

const TStringList& TZemFixtureBralin::GetErrorList() {
  TStringList& list = clearedErrorList();
  list = modelsupport::ledErrorLines(
      std::span<const uint8_t>(FixtureData.data() + fd::kErrorStatus, fd::kErrorStatusSize));
  return list;
}

int TZemFixtureBralin::GetDmxChannelCount() {
  switch (GetDmxProtocol()) {
    case 0:
    case 3:
      return 4;
    case 1:
    case 2:
      return 3;
    default:
      return 1;
  }
}

std::string TZemFixtureBralin::GetFixtureName() {
  return "Bralin";
}

bool TZemFixtureBralin::ReadAllFixtureData(const TProgressCallback& progress) {
  using modelsupport::operator+;
  const std::vector<ReadStep> steps =
      modelsupport::chainReadSteps(*this) + std::vector<ReadStep>{nullptr, nullptr, nullptr, nullptr};
  if (!modelsupport::readAllSteps(*this, steps, kTotalSteps, 0, progress)) return false;

  workBuffer_.fill(0);
  workBuffer_[0] = 1;
  int count = 0;
  const bool scanned = modelsupport::scanSubDevices(
      *this,
      [this](int segment) {
        if (ReadPersonality())
          workBuffer_.at(static_cast<size_t>(segment)) = static_cast<uint8_t>(GetSegmentAutoConfigure());
      },
      count);
  if (!scanned) return false;
  modelsupport::reportProgress(progress, kTotalSteps, kTotalSteps);
  return true;
}

bool TZemFixtureBralin::ReadBasicFixtureData() {
  if (Device == nullptr) return false;
  return ReadFixtureInfo() && ReadZemVersion() && ReadLampStatus() && ReadErrorStatus() && ReadPersonality();
}

int TZemFixtureBralin::GetServiceCommandPage() {
  return kPage;
}

bool TZemFixtureBralin::IdlePoll(bool monitorPageShowing) {
  // A failed read keeps the values shown until the next tick reads again.
  if (monitorPageShowing) (void)ReadNextMonitorPage();
  return true;
}

int TZemFixtureBralin::ReadEepromChunk(int address) {
  return readEepromWords(address, 4);
}

int TZemFixtureBralin::GetMaxMemoryAddress() {
  return kLastAddress;
}

bool TZemFixtureBralin::LedOperation116(int a, int b, int c) {
  checkWord(a, "PWM value");
  checkWord(b, "PWM value");
  checkWord(c, "PWM value");
  return Device != nullptr && Device->SetPwmData(a, b, c);
}

bool TZemFixtureBralin::SendLedData(int red, int green, int blue, int amber, int white) {
  checkByte(red, "red");
  checkByte(green, "green");
  checkByte(blue, "blue");
  checkByte(amber, "amber");
  checkByte(white, "white");
  // Address 0 leaves no DMX channel to name.
  const int channel = checkWord(GetDmxAddress() - 1, "DMX address");
  if (!SendServiceCommand237(kRed, red, svc::kArgumentDone, channel)) return false;
  if (!SendServiceCommand237(kGreen, green, svc::kArgumentDone, channel)) return false;
  if (!SendServiceCommand237(kBlue, blue, svc::kArgumentDone, channel)) return false;
  return SendServiceCommand237(kWhite, white, svc::kArgumentDone, channel);
}

bool TZemFixtureBralin::LedOperation118(int a, int b) {
  checkWord(a, "PWM value");
  checkWord(b, "PWM value");
  return Device != nullptr && Device->LatchPwmData(a, b);
}
