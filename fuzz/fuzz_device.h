// A fixture device whose fixture answers what the fuzz input says: the models run on it as on the real
// link, and every record byte they decode comes from the input.
//
// Each operation takes one answer from the stream: a byte (0: the operation fails) and, when it succeeds,
// the bytes of the record group it fills (as the real device copies a reply's payload). Operations the
// real device refuses for their arguments fail here too without an answer. Past the stream's end every
// operation fails.
//
// Recording: every operation goes on to another device (the real link over the simulated fixture) and
// what it answered becomes the same stream.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace fuzz {

class FuzzDevice : public TZemDeviceClass {
 public:
  // One EEPROM write the fixture received: the first address and its words.
  struct EepromWrite {
    int address;
    std::vector<uint16_t> words;
    bool ok = false;  // the fixture took it
  };

  void replay(ByteStream* answers) {
    answers_ = answers;
    inner_ = nullptr;
    sent = 0;
    eepromWrites.clear();
    frames.clear();
  }
  void record(TZemDeviceClass* inner, std::vector<uint8_t>* out) {
    inner_ = inner;
    recorded_ = out;
    answers_ = nullptr;
  }

  int sent = 0;  // operations that sent something meant to change the fixture
  std::vector<EepromWrite> eepromWrites;
  std::vector<std::vector<uint8_t>> frames;  // service frames

  void Open() override {}
  void Close() override {}
  std::string GetInterfaceName() override { return "fuzzed fixture"; }
  bool GetSerialNumber() override {
    return read([&] { return inner_->GetSerialNumber(); }, fd::kSerial, fd::kSerialSize);
  }
  bool RereadSerialNumber() override {
    return read([&] { return inner_->RereadSerialNumber(); }, fd::kSerial, fd::kSerialSize);
  }
  bool GetFixtureInfo() override {
    return read([&] { return inner_->GetFixtureInfo(); }, fd::kFixtureInfo, fd::kFixtureInfoSize);
  }
  bool GetFixtureZemVersion() override {
    return read([&] { return inner_->GetFixtureZemVersion(); }, fd::kZemVersion, fd::kZemVersionSize);
  }
  bool GetDuplexErrorStatus() override {
    return read([&] { return inner_->GetDuplexErrorStatus(); }, fd::kErrorStatus, fd::kErrorStatusSize);
  }
  bool GetDuplexTempValues() override {
    return read([&] { return inner_->GetDuplexTempValues(); }, fd::kTempValues, fd::kTempValuesSize);
  }
  bool GetLampStatus() override {
    return read([&] { return inner_->GetLampStatus(); }, fd::kLampStatus, fd::kLampStatusSize);
  }
  bool SetLampStatus() override {
    return write([&] { return inner_->SetLampStatus(); }, fd::kLampStatus, fd::kLampStatusSize);
  }
  bool GetSystemCalibration() override {
    return read([&] { return inner_->GetSystemCalibration(); }, fd::kSystemCalibration,
                fd::kSystemCalibrationSize);
  }
  bool SetSystemCalibration() override {
    return write([&] { return inner_->SetSystemCalibration(); }, fd::kSystemCalibration,
                 fd::kSystemCalibrationSize);
  }
  bool GetEffectCalibration(int effect) override {
    if (effect < 0 || effect > 255) return false;
    return read([&] { return inner_->GetEffectCalibration(effect); }, fd::kEffectCalibration,
                fd::kEffectCalibrationSize);
  }
  bool SetEffectCalibration(int effect) override {
    if (effect < 0 || effect > 255) return false;
    return write([&] { return inner_->SetEffectCalibration(effect); }, fd::kEffectCalibration,
                 fd::kEffectCalibrationSize);
  }
  bool GetPersonalities() override {
    return read([&] { return inner_->GetPersonalities(); }, fd::kPersonality, fd::kPersonalitySize);
  }
  bool SetPersonalities(int pauseMs) override {
    return write([&] { return inner_->SetPersonalities(pauseMs); }, fd::kPersonality, fd::kPersonalitySize);
  }
  bool GetStandAloneSettings() override {
    return read([&] { return inner_->GetStandAloneSettings(); }, fd::kStandAloneSettings,
                fd::kStandAloneSettingsSize);
  }
  bool SetStandAloneSettings() override {
    return write([&] { return inner_->SetStandAloneSettings(); }, fd::kStandAloneSettings,
                 fd::kStandAloneSettingsSize);
  }
  bool GetTimerSettings() override {
    return read([&] { return inner_->GetTimerSettings(); }, fd::kTimerSettings, fd::kTimerSettingsSize);
  }
  bool SetTimerSettings() override {
    return write([&] { return inner_->SetTimerSettings(); }, fd::kTimerSettings, fd::kTimerSettingsSize);
  }
  bool GetSensorTriggerSettings() override {
    return read([&] { return inner_->GetSensorTriggerSettings(); }, fd::kSensorTrigger,
                fd::kSensorTriggerSize);
  }
  bool SetSensorTriggerSettings(int trigger) override {
    if (trigger < 0 || trigger > 255) return false;
    return write([&] { return inner_->SetSensorTriggerSettings(trigger); }, fd::kSensorTrigger,
                 fd::kSensorTriggerSize);
  }
  bool GetSystemLogEntry(int entry) override {
    if (entry < 0 || entry > 65535) return false;
    return read([&] { return inner_->GetSystemLogEntry(entry); }, fd::kSystemLogEntry,
                fd::kSystemLogEntrySize);
  }
  bool GetSystemLogEntryLong(int entry) override {
    if (entry < 0 || entry > 65535) return false;
    return answer([&] { return inner_->GetSystemLogEntryLong(entry); }, LogBlock);
  }
  bool ClearSystemLog() override {
    return write([&] { return inner_->ClearSystemLog(); }, 0, 0);
  }
  bool GetStandAlone(int sizeCode) override {
    if (sizeCode < 0 || sizeCode > 28) return false;
    return read([&] { return inner_->GetStandAlone(sizeCode); }, fd::kStandAloneProgram,
                fd::kStandAloneProgramSize);
  }
  bool GetHardwareMonitorValues(int page) override {
    if (page < 0 || page >= static_cast<int>(fd::kHardwareMonitorPages)) return false;
    return read([&] { return inner_->GetHardwareMonitorValues(page); },
                fd::kHardwareMonitor + fd::kHardwareMonitorPageSize * static_cast<size_t>(page),
                fd::kHardwareMonitorPageSize);
  }
  bool SendMP2Command(std::span<const uint8_t> serviceFrame) override {
    if (serviceFrame.size() < frame::kWireLength) return false;
    frames.emplace_back(serviceFrame.begin(), serviceFrame.begin() + frame::kWireLength);
    return write([&] { return inner_->SendMP2Command(serviceFrame); }, 0, 0);
  }
  bool ReadEEProm(int address, int count) override {
    if (address < 0 || address > 65535 || count < 0 || count > 255) return false;
    return read([&] { return inner_->ReadEEProm(address, count); }, fd::kEEPromWords, fd::kEEPromWordsSize);
  }
  bool WriteEEPromWord(int address, int value) override {
    if (address < 0 || address > 65535 || value < 0 || value > 65535) return false;
    eepromWrites.push_back({address, {static_cast<uint16_t>(value)}});
    eepromWrites.back().ok = write([&] { return inner_->WriteEEPromWord(address, value); }, 0, 0);
    return eepromWrites.back().ok;
  }
  bool WriteEEPromWords(int address, int count, int pauseMs) override {
    if (address < 0 || address > 65535 || count < 1 || count > 4) return false;
    EepromWrite w{address, {}, false};
    for (int k = 0; k < count; ++k) {
      const size_t at = fd::kEEPromWords + 2 * static_cast<size_t>(k);
      w.words.push_back(static_cast<uint16_t>(FixtureData[at] | (FixtureData[at + 1] << 8)));
    }
    eepromWrites.push_back(w);
    eepromWrites.back().ok = write([&] { return inner_->WriteEEPromWords(address, count, pauseMs); }, 0, 0);
    return eepromWrites.back().ok;
  }
  bool SetSubdevice(int index, bool reread) override {
    if (index < 0 || index > 255) return false;
    if (!write([&] { return inner_->SetSubdevice(index, false); }, 0, 0)) return false;
    FixtureData[fd::kSubdevice] = static_cast<uint8_t>(index);
    if (reread) (void)RereadSerialNumber();  // the selection stands whatever the serial read gives
    return true;
  }
  bool SetPwmData(int a, int b, int c) override {
    return write([&] { return inner_->SetPwmData(a, b, c); }, 0, 0);
  }
  bool LatchPwmData(int a, int b) override {
    return write([&] { return inner_->LatchPwmData(a, b); }, 0, 0);
  }
  bool SendLedData() override {
    return write([&] { return inner_->SendLedData(); }, 0, 0);
  }
  bool GetPCBSerialNumber() override {
    return read([&] { return inner_->GetPCBSerialNumber(); }, fd::kPCBSerial, fd::kPCBSerialSize);
  }
  bool GetLEDDescription(int led) override {
    if (led < 0 || led >= static_cast<int>(fd::kLedCount)) return false;
    return read([&] { return inner_->GetLEDDescription(led); },
                fd::kLedDescription + fd::kLedDescriptionSize * static_cast<size_t>(led),
                fd::kLedDescriptionSize);
  }
  bool GetLEDDescriptionData(int led) override {
    if (led < 0 || led >= static_cast<int>(fd::kLedCount)) return false;
    return read([&] { return inner_->GetLEDDescriptionData(led); },
                fd::kLedDescriptionData + fd::kLedDescriptionDataSize * static_cast<size_t>(led),
                fd::kLedDescriptionDataSize);
  }

 private:
  template <typename Op>
  bool answer(Op&& op, std::span<uint8_t> into) {
    if (inner_ != nullptr) {
      const bool ok = op();
      recorded_->push_back(ok ? 1 : 0);
      if (ok) recorded_->insert(recorded_->end(), into.begin(), into.end());
      return ok;
    }
    if (answers_ == nullptr || answers_->byte() == 0) return false;
    const auto bytes = answers_->take(into.size());
    std::copy(bytes.begin(), bytes.end(), into.begin());
    return true;
  }
  template <typename Op>
  bool read(Op&& op, size_t offset, size_t size) {
    return answer(std::forward<Op>(op), std::span<uint8_t>(FixtureData).subspan(offset, size));
  }
  // A write sends, then reads its group back (an empty group: the fixture only says whether it took it).
  template <typename Op>
  bool write(Op&& op, size_t offset, size_t size) {
    ++sent;
    return read(std::forward<Op>(op), offset, size);
  }

  ByteStream* answers_ = nullptr;
  TZemDeviceClass* inner_ = nullptr;
  std::vector<uint8_t>* recorded_ = nullptr;
};

}  // namespace fuzz
