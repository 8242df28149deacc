#include "zem/model/model_support.h"

#include <algorithm>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/ZemUtils.h"

namespace modelsupport {

namespace {

// Sub-device area of FixtureData.
inline constexpr size_t kCurrentSubDevice = fd::kSubdevice;
inline constexpr size_t kSubDeviceCount = fd::kSubdeviceCount;
// Index range the chain's selection byte can address beside the main unit.
inline constexpr int kFirstSegment = 1;
inline constexpr int kSegmentLimit = 254;  // exclusive

// Named flags of the LED error list.
struct LedFlag {
  int bit;
  const char* line;
};
struct LedErrorByte {
  std::vector<LedFlag> named;
  uint8_t unnamedMask;
};

const std::array<LedErrorByte, 13>& ledErrorTable() {
  static const std::array<LedErrorByte, 13> table = {{
      {{{2, "(%d) Memory Error (on-board EEPROM)"},
        {3, "(%d) Ambient Temperature Error (InfoLEDBoard)"},
        {4, "(%d) Main Board Temperature Error"},
        {5, "(%d) Overheat Regulation(Power Reduction)"}},
       0xC3},
      {{}, 0xFF},
      {{}, 0xFF},
      {{{1, "(%d) Overheat shutdown (LEDs switched off))"}}, 0xFD},
      {{}, 0xFF},
      {{}, 0xFF},
      {{{1, "(%d) Light Sensor Error"}, {7, "(%d) Fan1 Over/Under Speed"}}, 0x7D},
      {{{0, "(%d) Fan2 Over/Under Speed"}}, 0xFE},
      {{{2, "(%d) One Or More LED Drivers Shorted Or No Load"},
        {4, "(%d) RTC Error"},
        {6, "(%d) LED Board Temperature Error"},
        {7, "(%d) PSU Voltages Out Of Range"}},
       0x2B},
      {{{1, "(%d) External Temperature Error"}}, 0xFD},
      {{}, 0xFF},
      {{}, 0xFF},
      {{}, 0xFF},
  }};
  return table;
}

std::string numbered(const char* line, size_t number) {
  std::string text = line;
  const size_t pos = text.find("%d");
  if (pos != std::string::npos) text.replace(pos, 2, std::to_string(number));
  return text;
}

}  // namespace

std::vector<ReadStep> operator+(std::vector<ReadStep> first, const std::vector<ReadStep>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

std::vector<ReadStep> basicReadSteps(TZemFixture& f) {
  return {
      [&f] { return f.ReadZemVersion(); },  [&f] { return f.ReadLampStatus(); },
      [&f] { return f.ReadClock(); },       [&f] { return f.ReadErrorStatus(); },
      [&f] { return f.ReadPersonality(); },
  };
}

std::vector<ReadStep> chainReadSteps(TZemFixture& f) {
  return {
      [&f] {
        (void)f.SetSubDevice(0, false);  // whatever the chain answers, the main unit's records follow
        return true;
      },
      [&f] { return f.ReadZemVersion(); },
      [&f] { return f.ReadLampStatus(); },
      nullptr,
      [&f] { return f.ReadErrorStatus(); },
      [&f] { return f.ReadPersonality(); },
  };
}

std::vector<ReadStep> standardReadSteps(TZemFixture& f) {
  return basicReadSteps(f) + std::vector<ReadStep>{
                                 [&f] { return f.ReadStandAloneSettings(); },
                                 [&f] { return f.ReadTimerSettings(); },
                                 [&f] { return f.ReadSensorTrigger(); },
                                 [&f] { return f.ReadStandAloneProgram(); },
                             };
}

void reportProgress(const TProgressCallback& progress, int position, int maximum) {
  if (!progress) return;
  progress(std::clamp(position, 0, std::max(maximum, 0)), maximum);
}

bool runReadSteps(const std::vector<ReadStep>& steps, int total, int endPosition,
                  const TProgressCallback& progress) {
  int position = 0;
  for (const ReadStep& step : steps) {
    reportProgress(progress, ++position, total);
    if (step && !step()) return false;
  }
  if (endPosition > 0) reportProgress(progress, endPosition, total);
  return true;
}

bool readAllSteps(TZemFixture& fixture, const std::vector<ReadStep>& steps, int total, int endPosition,
                  const TProgressCallback& progress) {
  if (Device == nullptr) return false;
  if (!fixture.ReadFixtureInfo()) return false;
  return runReadSteps(steps, total, endPosition, progress);
}

int byteToBandIndex(int value) {
  TZemFixture::checkByte(value, "value");
  if (value < 15) return 0;
  return std::min(12, (value - 15) / 20 + 1);
}

TStringList ledErrorLines(std::span<const uint8_t> errorStatus) {
  auto at = [&](size_t k) -> uint8_t { return k < errorStatus.size() ? errorStatus[k] : 0; };
  TStringList list;
  if (at(0) == 0) {
    list.push_back("Fixture reports no errors");
    return list;
  }
  const auto& table = ledErrorTable();
  for (size_t field = 0; field < table.size(); ++field) {
    const uint8_t flags = at(field + 1);
    for (const LedFlag& named : table[field].named) {
      if (flags & (1u << named.bit)) list.push_back(numbered(named.line, list.size() + 1));
    }
    const unsigned unnamed = flags & table[field].unnamedMask;
    if (unnamed != 0) {
      list.push_back(FormatText("(%d) Undefined errors: code 0x%2X error field %d",
                                static_cast<int>(list.size() + 1), unnamed, static_cast<int>(field)));
    }
  }
  const std::string summary = list.size() == 1
                                  ? std::string("Fixture reports 1 error")
                                  : FormatText("Fixture reports %d errors", static_cast<int>(list.size()));
  list.insert(list.begin(), summary);
  return list;
}

bool scanSubDevices(TZemFixture& fixture, const SegmentVisit& visit, int& count) {
  count = 0;
  for (int i = kFirstSegment; i < kSegmentLimit; ++i) {
    if (!fixture.SetSubDevice(i, true)) break;
    count = i;
    if (visit) visit(i);
  }
  const bool mainSelected = fixture.SetSubDevice(0, true);
  FixtureData.at(kSubDeviceCount) = static_cast<uint8_t>(count);
  // Without the main unit selected, every later request would reach the last segment.
  if (!mainSelected) return false;
  const bool mainRead = fixture.ReadPersonality();
  FixtureData.at(kCurrentSubDevice) = 0;
  return mainRead;
}

std::string recordText(size_t offset, size_t size) {
  std::string text;
  for (size_t k = 0; k < size; ++k) {
    const uint8_t c = FixtureData.at(offset + k);
    if (c == 0) break;
    text += static_cast<char>(c);
  }
  return text;
}

std::string printableRecordText(size_t offset, size_t size) {
  std::string text = recordText(offset, size);
  std::erase_if(
      text, [](char c) { return static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126; });
  return text;
}

}  // namespace modelsupport
