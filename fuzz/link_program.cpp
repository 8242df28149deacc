#include "fuzz/link_program.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "zem/link/LinkReport.h"
#include "zem/link/USByolb1.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace fuzzlink {

namespace {

// The link's reports go nowhere: the fuzzed box makes it show errors all the time.
class QuietSink : public TLinkReportSink {
 public:
  void ShowError(const std::string&) override {}
  std::function<void()> PauseWriteBack() override {
    return [] {};
  }
};

struct Region {
  size_t offset;
  size_t size;
};

constexpr Region kNothing{0, 0};

using FixtureRecord = std::array<uint8_t, kFixtureDataSize>;

struct Operation {
  const char* name;
  std::function<bool(TZemDeviceClass&, const Op&)> run;
  std::function<Region(const Op&)> group;  // the record bytes a success may change
  bool changesSerial = false;              // may change the serial (record and request)
};

Region fixed(size_t offset, size_t size) {
  return {offset, size};
}

const std::vector<Operation>& operations() {
  using D = TZemDeviceClass;
  auto word = [](const Op& op) { return op.a | (op.b << 8); };
  static const std::vector<Operation> list = {
      {"GetSerialNumber", [](D& d, const Op&) { return d.GetSerialNumber(); },
       [](const Op&) { return fixed(fd::kSerial, fd::kSerialSize); }, true},
      {"RereadSerialNumber", [](D& d, const Op&) { return d.RereadSerialNumber(); },
       [](const Op&) { return fixed(fd::kSerial, fd::kSerialSize); }, true},
      {"GetFixtureInfo", [](D& d, const Op&) { return d.GetFixtureInfo(); },
       [](const Op&) { return fixed(fd::kFixtureInfo, fd::kFixtureInfoSize); }},
      {"GetFixtureZemVersion", [](D& d, const Op&) { return d.GetFixtureZemVersion(); },
       [](const Op&) { return fixed(fd::kZemVersion, fd::kZemVersionSize); }},
      {"GetDuplexErrorStatus", [](D& d, const Op&) { return d.GetDuplexErrorStatus(); },
       [](const Op&) { return fixed(fd::kErrorStatus, fd::kErrorStatusSize); }},
      {"GetDuplexTempValues", [](D& d, const Op&) { return d.GetDuplexTempValues(); },
       [](const Op&) { return fixed(fd::kTempValues, fd::kTempValuesSize); }},
      {"GetLampStatus", [](D& d, const Op&) { return d.GetLampStatus(); },
       [](const Op&) { return fixed(fd::kLampStatus, fd::kLampStatusSize); }},
      {"SetLampStatus", [](D& d, const Op&) { return d.SetLampStatus(); },
       [](const Op&) { return fixed(fd::kLampStatus, fd::kLampStatusSize); }},
      {"GetSystemCalibration", [](D& d, const Op&) { return d.GetSystemCalibration(); },
       [](const Op&) { return fixed(fd::kSystemCalibration, fd::kSystemCalibrationSize); }},
      {"SetSystemCalibration", [](D& d, const Op&) { return d.SetSystemCalibration(); },
       [](const Op&) { return fixed(fd::kSystemCalibration, fd::kSystemCalibrationSize); }},
      {"GetEffectCalibration", [](D& d, const Op& op) { return d.GetEffectCalibration(op.a); },
       [](const Op&) { return fixed(fd::kEffectCalibration, fd::kEffectCalibrationSize); }},
      {"SetEffectCalibration", [](D& d, const Op& op) { return d.SetEffectCalibration(op.a); },
       [](const Op&) { return fixed(fd::kEffectCalibration, fd::kEffectCalibrationSize); }},
      {"GetPersonalities", [](D& d, const Op&) { return d.GetPersonalities(); },
       [](const Op&) { return fixed(fd::kPersonality, fd::kPersonalitySize); }},
      {"SetPersonalities", [](D& d, const Op& op) { return d.SetPersonalities(op.a % 4 * 50); },
       [](const Op&) { return fixed(fd::kPersonality, fd::kPersonalitySize); }},
      {"GetStandAloneSettings", [](D& d, const Op&) { return d.GetStandAloneSettings(); },
       [](const Op&) { return fixed(fd::kStandAloneSettings, fd::kStandAloneSettingsSize); }},
      {"SetStandAloneSettings", [](D& d, const Op&) { return d.SetStandAloneSettings(); },
       [](const Op&) { return fixed(fd::kStandAloneSettings, fd::kStandAloneSettingsSize); }},
      {"GetTimerSettings", [](D& d, const Op&) { return d.GetTimerSettings(); },
       [](const Op&) { return fixed(fd::kTimerSettings, fd::kTimerSettingsSize); }},
      {"SetTimerSettings", [](D& d, const Op&) { return d.SetTimerSettings(); },
       [](const Op&) { return fixed(fd::kTimerSettings, fd::kTimerSettingsSize); }},
      {"GetSensorTriggerSettings", [](D& d, const Op&) { return d.GetSensorTriggerSettings(); },
       [](const Op&) { return fixed(fd::kSensorTrigger, fd::kSensorTriggerSize); }},
      {"SetSensorTriggerSettings", [](D& d, const Op& op) { return d.SetSensorTriggerSettings(op.a); },
       [](const Op&) { return fixed(fd::kSensorTrigger, fd::kSensorTriggerSize); }},
      {"GetSystemLogEntry", [word](D& d, const Op& op) { return d.GetSystemLogEntry(word(op)); },
       [](const Op&) { return fixed(fd::kSystemLogEntry, fd::kSystemLogEntrySize); }},
      {"GetSystemLogEntryLong", [word](D& d, const Op& op) { return d.GetSystemLogEntryLong(word(op)); },
       [](const Op&) { return kNothing; }},
      {"ClearSystemLog", [](D& d, const Op&) { return d.ClearSystemLog(); },
       [](const Op&) { return kNothing; }},
      // Size codes above 28 and pages above 3 are refused without a send.
      {"GetStandAlone", [](D& d, const Op& op) { return d.GetStandAlone(op.a % 32); },
       [](const Op&) { return fixed(fd::kStandAloneProgram, fd::kStandAloneProgramSize); }},
      {"GetHardwareMonitorValues", [](D& d, const Op& op) { return d.GetHardwareMonitorValues(op.a % 6); },
       [](const Op& op) {
         return fixed(fd::kHardwareMonitor + fd::kHardwareMonitorPageSize * (op.a % 6),
                      fd::kHardwareMonitorPageSize);
       }},
      {"SendMP2Command",
       [](D& d, const Op& op) {
         std::array<uint8_t, frame::kWireLength> service{};
         service.fill(op.a);
         service[0] = svc::kCodeService;
         return d.SendMP2Command(std::span<const uint8_t>(service).first(op.b % 2 ? 37 : 20));
       },
       [](const Op&) { return kNothing; }},
      {"ReadEEProm", [word](D& d, const Op& op) { return d.ReadEEProm(word(op), op.a % 5); },
       [](const Op&) { return fixed(fd::kEEPromWords, fd::kEEPromWordsSize); }},
      {"WriteEEPromWord", [word](D& d, const Op& op) { return d.WriteEEPromWord(word(op), op.b * 257); },
       [](const Op&) { return kNothing; }},
      {"WriteEEPromWords", [word](D& d, const Op& op) { return d.WriteEEPromWords(word(op), op.a % 6, 5); },
       [](const Op&) { return kNothing; }},
      {"SetSubdevice", [](D& d, const Op& op) { return d.SetSubdevice(op.a, op.b & 1); },
       [](const Op&) { return fixed(fd::kSubdevice, 1); }, true},
      {"SetPwmData", [word](D& d, const Op& op) { return d.SetPwmData(word(op), op.a, op.b); },
       [](const Op&) { return kNothing; }},
      {"LatchPwmData", [](D& d, const Op& op) { return d.LatchPwmData(op.a, op.b); },
       [](const Op&) { return kNothing; }},
      {"SendLedData", [](D& d, const Op&) { return d.SendLedData(); }, [](const Op&) { return kNothing; }},
      {"GetPCBSerialNumber", [](D& d, const Op&) { return d.GetPCBSerialNumber(); },
       [](const Op&) { return fixed(fd::kPCBSerial, fd::kPCBSerialSize); }},
      {"GetLEDDescription", [](D& d, const Op& op) { return d.GetLEDDescription(op.a % 7); },
       [](const Op& op) {
         return op.a % 7 < 5 ? fixed(fd::kLedDescription + fd::kLedDescriptionSize * (op.a % 7),
                                     fd::kLedDescriptionSize)
                             : kNothing;
       }},
      {"GetLEDDescriptionData", [](D& d, const Op& op) { return d.GetLEDDescriptionData(op.a % 7); },
       [](const Op& op) {
         return op.a % 7 < 5 ? fixed(fd::kLedDescriptionData + fd::kLedDescriptionDataSize * (op.a % 7),
                                     fd::kLedDescriptionDataSize)
                             : kNothing;
       }},
      {"Reopen",
       [](D& d, const Op&) {
         try {
           d.Close();
           d.Open();
         } catch (const EZEMDeviceError&) {
           return false;
         }
         return true;
       },
       [](const Op&) { return kNothing; }},
  };
  return list;
}

bool outside(size_t i, Region r) {
  return i < r.offset || i >= r.offset + r.size;
}

// Box commands that carry a frame (duplex 0xAA, send 0xA0) give its length in their second byte; the frame
// follows in the next write and may not be longer than the box takes.
void checkFraming(const std::vector<std::vector<uint8_t>>& writes, size_t from) {
  for (size_t k = from; k < writes.size(); ++k) {
    const auto& w = writes[k];
    if (w.size() != 2 || (w[0] != 0xAA && w[0] != 0xA0)) continue;
    FUZZ_CHECK(w[1] <= kYolbMaxFrame, "a frame longer than the box takes went out");
    if (k + 1 < writes.size())
      FUZZ_CHECK(writes[k + 1].size() == w[1], "a frame of the announced length follows");
  }
}

void runOne(const Operation& op, const Op& args, WritesFn writes) {
  const FixtureRecord before = FixtureData;
  const auto logBefore = LogBlock;
  const RequestFrame requestBefore = DuplexRequest;
  const size_t writesBefore = writes ? writes().size() : 0;

  TZemDeviceClass* device = Device;
  const bool ok = device != nullptr && op.run(*device, args);
  const std::string name = op.name;

  FUZZ_CHECK(Device != nullptr, name + ": a device is always there after an operation");
  const Region group = op.group(args);
  for (size_t i = 0; i < FixtureData.size(); ++i) {
    if (name == "GetSerialNumber") {
      // The record starts again from zero; only the serial can come back.
      FUZZ_CHECK(!outside(i, group) || FixtureData[i] == 0, name + " leaves the record zero but the serial");
      continue;
    }
    if (FixtureData[i] == before[i]) continue;
    FUZZ_CHECK(ok, name + " failed but changed record byte " + std::to_string(i));
    const bool serialByte = op.changesSerial && i < fd::kSerialSize;
    FUZZ_CHECK(!outside(i, group) || serialByte, name + " changed record byte " + std::to_string(i));
  }
  if (name != "GetSystemLogEntryLong")
    FUZZ_CHECK(LogBlock == logBefore, name + " changed the long log reply");
  if (!op.changesSerial) FUZZ_CHECK(DuplexRequest == requestBefore, name + " changed the request template");
  if (writes) checkFraming(writes(), writesBefore);
}

}  // namespace

std::vector<Op> ReadProgram(fuzz::ByteStream& in) {
  std::vector<Op> ops(in.byte() % (kMaxOps + 1));
  for (Op& op : ops) {
    op.code = in.byte();
    op.a = in.byte();
    op.b = in.byte();
  }
  return ops;
}

std::vector<uint8_t> EncodeProgram(const std::vector<Op>& ops) {
  std::vector<uint8_t> out = {static_cast<uint8_t>(ops.size())};
  for (const Op& op : ops) out.insert(out.end(), {op.code, op.a, op.b});
  return out;
}

std::vector<Op> EveryOperation() {
  std::vector<Op> ops;
  for (size_t k = 0; k < operations().size(); ++k)
    ops.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k % 4 + 1), 1});
  return ops;
}

void RunProgram(const std::vector<Op>& ops, WritesFn writes) {
  static QuietSink sink;
  SetLinkReportSink(&sink);
  FreeDevice();
  InitZemData();
  if (CreateDevice(Device)) {
    try {
      Device->Open();
    } catch (const EZEMDeviceError&) {
      // The box did not open: the operations then fail without sending.
    }
  }
  const auto& list = operations();
  for (const Op& op : ops) runOne(list[op.code % list.size()], op, writes);
  FreeDevice();
  InitZemData();
  SetLinkReportSink(nullptr);
}

}  // namespace fuzzlink
