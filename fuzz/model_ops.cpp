#include "fuzz/model_ops.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/model/uZemModels.h"

namespace fuzzmodel {

namespace {

using fuzz::FuzzDevice;

std::string prefix(const std::string& model) {
  return "[" + model + "] ";
}

void checkText(const std::string& text, size_t most, const std::string& what) {
  FUZZ_CHECK(text.size() <= most, what + " is at most " + std::to_string(most) + " characters: " + text);
  FUZZ_CHECK(text.find('\0') == std::string::npos, what + " holds no NUL");
}

void checkErrorList(TZemFixture& f, bool numbered, const std::string& model) {
  const TStringList& list = f.GetErrorList();
  FUZZ_CHECK(!list.empty(), prefix(model) + "the error list has its summary");
  if (!numbered) return;
  FUZZ_CHECK(list[0].rfind("Fixture reports ", 0) == 0, prefix(model) + "summary first: " + list[0]);
  for (size_t k = 1; k < list.size(); ++k) {
    std::string number = "(";
    number.append(std::to_string(k)).append(")");
    FUZZ_CHECK(list[k].rfind(number, 0) == 0, prefix(model) + "numbered line: " + list[k]);
  }
}

void checkFolderName(const std::string& name, const std::string& model) {
  const std::string folder = SafeFolderName(name);
  FUZZ_CHECK(!folder.empty() && folder != "." && folder != "..", prefix(model) + "a folder name of its own");
  FUZZ_CHECK(folder.find('/') == std::string::npos && folder.find('\\') == std::string::npos &&
                 folder.find("..") == std::string::npos,
             prefix(model) + "the folder stays where it is put: " + folder);
}

void checkList(TZemFixture& f, int kind, const std::string& model) {
  TAddressList list = {-7};  // models that have no such list leave the caller's list alone
  AddressList(f, kind, list);
  if (list.size() == 1 && list[0] == -7) return;
  const int last = f.GetMaxMemoryAddress();
  for (size_t i = 0; i < list.size(); ++i) {
    FUZZ_CHECK(list[i] >= 0 && list[i] <= last, prefix(model) + "a listed address lies in the memory");
    FUZZ_CHECK(i == 0 || list[i] > list[i - 1], prefix(model) + "a list ascends");
  }
}

// A range error is allowed only where the model promises one; it comes before anything is sent.
template <typename Op>
void guarded(FuzzDevice& device, bool allowed, bool beforeSending, const std::string& what, Op&& op) {
  const int sentBefore = device.sent;
  try {
    op();
  } catch (const ERangeError& e) {
    FUZZ_CHECK(allowed, what + " raised a range error: " + e.what());
    if (beforeSending) FUZZ_CHECK(device.sent == sentBefore, what + ": the range error came after a send");
  }
}

using Setter = std::function<bool(TZemFixture&, int)>;

const std::vector<Setter>& setters() {
  static const std::vector<Setter> list = {
      [](TZemFixture& f, int v) { return f.SetDMXReset(v); },
      [](TZemFixture& f, int v) { return f.SetDmxProtocol(v); },
      [](TZemFixture& f, int v) { return f.SetColorGamut(v); },
      [](TZemFixture& f, int v) { return f.SetQZLLampOff(v); },
      [](TZemFixture& f, int v) { return f.SetStandAloneMode(v); },
      [](TZemFixture& f, int v) { return f.SetAutoProgramOn(v); },
      [](TZemFixture& f, int v) { return f.SetMasterSlaveSetting(v); },
      [](TZemFixture& f, int v) { return f.SetTimerMode(v); },
      [](TZemFixture& f, int v) { return f.SetTimer1StartHour(v); },
      [](TZemFixture& f, int v) { return f.SetTimer2StopMinute(v); },
      [](TZemFixture& f, int v) { return f.SetSensorTriggerLevel(v); },
      [](TZemFixture& f, int v) { return f.SetSensorTriggerWord(v); },
      [](TZemFixture& f, int v) { return f.SetEffectSpeed(v); },
      [](TZemFixture& f, int v) { return f.SetDisplayEnable(v); },
      [](TZemFixture& f, int v) { return f.SetPanTiltSwap(v); },
      [](TZemFixture& f, int) { return f.EnableSegmentAutoConfigure(); },
      [](TZemFixture& f, int v) { return f.SetLampWarningOn(v); },
      [](TZemFixture& f, int v) { return f.SetDmxAddress(v); },
      [](TZemFixture& f, int v) { return f.SetWarningLevel(v); },
      [](TZemFixture& f, int v) { return f.SetClockYear(v); },
      [](TZemFixture& f, int v) { return f.SetClockMinute(v); },
      [](TZemFixture& f, int v) { return f.SetCyanCalibration(v); },
      [](TZemFixture& f, int v) { return f.SetDimmerCalibration(v); },
      [](TZemFixture& f, int v) { return f.SetStandAloneSequence(v); },
      [](TZemFixture& f, int) { return f.ResetResettableLampStrikes(); },
      [](TZemFixture& f, int) { return f.RearmSensorTrigger(); },
  };
  return list;
}

using Action = std::function<bool(TZemFixture&, int)>;

// Service operations: scene functions, live values, adjustments; values may be out of range.
const std::vector<Action>& services() {
  static const std::vector<Action> list = {
      [](TZemFixture& f, int) { return f.PreviousScene(); },
      [](TZemFixture& f, int) { return f.NextScene(); },
      [](TZemFixture& f, int) { return f.StoreScene(); },
      [](TZemFixture& f, int) { return f.AddScene(); },
      [](TZemFixture& f, int) { return f.DeleteScene(); },
      [](TZemFixture& f, int) { return f.InsertScene(); },
      [](TZemFixture& f, int) { return f.DeleteAllScenes(); },
      [](TZemFixture& f, int v) { return f.SetServiceSwitch(v & 1); },
      [](TZemFixture& f, int v) { return f.SetLiveIntensity(v); },
      [](TZemFixture& f, int v) { return f.SetLiveCyan(v); },
      [](TZemFixture& f, int v) { return f.SetWaitTimeIndex(v); },
      [](TZemFixture& f, int v) { return f.SetFadeTimeSeconds(v); },
      [](TZemFixture& f, int v) { return f.SetLiveZoom(v); },
      [](TZemFixture& f, int v) { return f.SetLiveColor(v); },
      [](TZemFixture& f, int v) { return f.SetLivePanTilt(v, v >> 4); },
      [](TZemFixture& f, int v) { return f.SetLiveRed(v); },
      [](TZemFixture& f, int v) { return f.SetLiveWhite(v); },
      [](TZemFixture& f, int v) { return f.SetControlValue80(v & 0xFF, v >> 8); },
      [](TZemFixture& f, int v) {
        f.ServiceAction94(v);
        return true;
      },
      [](TZemFixture& f, int) {
        f.ResetFixture();
        f.LampOn();
        f.LampOff();
        return true;
      },
      [](TZemFixture& f, int v) {
        f.AdjustFocusNear();
        f.AdjustZoomSensor();
        f.AdjustGobo(v);
        f.AdjustAnimRotation(v);
        return true;
      },
      [](TZemFixture& f, int v) { return f.SendLedData(v & 0xFF, v >> 8, 1, 2, 3); },
      [](TZemFixture& f, int v) { return f.LedOperation116(v, 1, 2) && f.LedOperation118(v, 3); },
      [](TZemFixture& f, int) { return f.SendServiceCommand5(); },
  };
  return list;
}

void readAll(TZemFixture& f, const std::string& model) {
  const bool ok = f.ReadAllFixtureData([&](int position, int maximum) {
    FUZZ_CHECK(position >= 0 && position <= maximum, prefix(model) + "progress stays in its range");
  });
  // The chains scan their sub-devices: the selection byte addresses at most 253 beside the main unit.
  if (ok && (model == "BRALB" || model == "KANDT"))
    FUZZ_CHECK(f.GetSegmentCount() <= 253, prefix(model) + "a chain has at most 253 sub-devices");
}

void runOp(TZemFixture& f, FuzzDevice& device, uint8_t code, uint8_t a, uint8_t b, const std::string& model,
           bool numberedErrors) {
  const int wide = a | (b << 8);
  switch (code % kOperations) {
    case 0:
      checkErrorList(f, numberedErrors, model);
      break;
    case 1:
      (void)f.GetVersionText();
      (void)f.GetFirmwareVersionText();
      (void)f.GetRequiredFirmwareVersionText();
      (void)f.GetZemVersionText();
      (void)f.IsFirmwareSupported();
      (void)f.IsZemVersionSupported();
      break;
    case 2:
      // At most 15 characters, each at most "(255)".
      checkText(f.GetSerialNumberText(), 5 * fd::kSerialSize, prefix(model) + "the serial");
      checkText(f.GetTypeCode(), 5, prefix(model) + "the type code");
      (void)f.GetSubType();
      break;
    case 3:
      checkFolderName(f.GetFixtureName(), model);
      checkFolderName(f.GetFixtureSubTypeName(), model);
      break;
    case 4: {
      const bool inRange = FixtureData[fd::kLampStatus] <= 2;
      guarded(device, !inRange, true, prefix(model) + "lamp text", [&] { (void)f.GetLampStateText(); });
      break;
    }
    case 5: {
      std::string text = "unchanged";
      (void)f.FormatLogEntry(wide, text);
      if (f.LongLog() && text != "unchanged") checkText(text, 64, prefix(model) + "a long log line");
      (void)f.ReadLogCount();
      break;
    }
    case 6:
      readAll(f, model);
      break;
    case 7:
      (void)f.ReadBasicFixtureData();
      (void)f.ReadErrorStatus();
      (void)f.ReadTemperatures();
      break;
    case 8: {
      const int channel = a % 9;
      (void)f.ReadNextMonitorPage();
      const bool valid = channel >= 1 && channel <= 7;
      guarded(device, !valid, true, prefix(model) + "monitor channel", [&] {
        (void)f.GetMonitorWordA(channel);
        (void)f.GetMonitorValueB(channel);
        (void)f.GetMonitorValueC(channel);
        (void)f.GetMonitorWordD(channel);
      });
      break;
    }
    case 9:
      (void)f.GetDmxAddress();
      (void)f.GetWarningLevel();
      (void)f.GetClockYear();
      (void)f.GetClockMinute();
      (void)f.GetTotalLampStrikes();
      (void)f.GetLightSensorValue();
      (void)f.GetCyanCalibration();
      (void)f.GetSensorTriggerWord();
      (void)f.GetTimer2StopMinute();
      (void)f.GetStandAloneSequence();
      (void)f.GetWaitTimeSeconds();
      (void)f.GetFadeTimeSeconds();
      (void)f.GetDmxChannelCount();
      (void)f.GetSegmentAutoConfigure();
      break;
    case 10: {
      const auto& list = setters();
      const Setter& set = list[a % list.size()];
      const int value = (b & 0x80) ? wide - 0x8000 : b;  // bytes, and now and then anything
      guarded(device, true, true, prefix(model) + "setter", [&] { (void)set(f, value); });
      break;
    }
    case 11: {
      const auto& list = services();
      const Action& act = list[a % list.size()];
      const int value = (b & 0x80) ? wide * 3 - 0x10000 : b;
      guarded(device, true, false, prefix(model) + "service operation", [&] { (void)act(f, value); });
      break;
    }
    case 12:
      (void)f.IdlePoll(a & 1);
      (void)f.IdlePoll(b & 1);
      break;
    case 13:
      checkList(f, a % 3, model);
      break;
    case 14: {
      const int words = f.ReadEepromChunk(wide);
      FUZZ_CHECK(words >= 0 && words <= 4, prefix(model) + "a chunk is at most the four words of the area");
      break;
    }
    case 15: {
      const int count = 1 + a % 4;
      const size_t before = device.eepromWrites.size();
      const int written = f.WriteEepromBlock(wide & 0x7FF, count, 0);
      FUZZ_CHECK(written >= 0 && written <= count, prefix(model) + "a block writes at most its words");
      for (size_t k = before; k < device.eepromWrites.size(); ++k)
        FUZZ_CHECK(device.eepromWrites[k].address == (wide & 0x7FF) &&
                       device.eepromWrites[k].words.size() <= static_cast<size_t>(count),
                   prefix(model) + "a block goes to its address");
      break;
    }
    case 16:
      (void)f.SetSubDevice(a, b & 1);
      (void)f.GetCurrentSegment();
      break;
    case 17: {
      const int step = f.StepValueToIndex(wide);
      const int index = f.SecondsToIndex(wide);
      FUZZ_CHECK(step >= -1 && index >= -1, prefix(model) + "an index or -1");
      break;
    }
    case 18:
      (void)f.DecodeLogText();
      (void)f.ClearSystemLog();
      break;
    case 19: {
      std::unique_ptr<TZemFixture> again(CreateFixtureForType(f.GetTypeCode(), f.GetSubType()));
      if (again) (void)again->GetFixtureName();
      break;
    }
  }
}

}  // namespace

void AddressList(TZemFixture& f, int kind, TAddressList& list) {
  if (kind == 0) f.GetStandAloneAddressList(list);
  if (kind == 1) f.GetSettingsAddressList(list);
  if (kind == 2) f.GetMemoryAddressList(list);
}

void RunOps(TZemFixture& f, FuzzDevice& device, std::span<const uint8_t> program, const std::string& model) {
  // The generic model and the strip have error lists of their own form.
  const bool numbered = model != kGenericModel && model != "KANDT";
  for (size_t k = 0; k + 2 < program.size(); k += 3)
    runOp(f, device, program[k], program[k + 1], program[k + 2], model, numbered);
}

std::vector<uint8_t> EveryOperation() {
  std::vector<uint8_t> program;
  for (uint8_t code = 0; code < kOperations; ++code)
    program.insert(program.end(), {code, static_cast<uint8_t>(code + 1), 2});
  return program;
}

}  // namespace fuzzmodel
