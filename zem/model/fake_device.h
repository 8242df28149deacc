// A scripted fixture device for the model's unit tests: reads copy from a
// "remote" record into FixtureData, writes copy the other way, and every call
// is logged so tests can see what the model asked of the fixture.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace zemtest {

class FakeDevice : public TZemDeviceClass {
 public:
  std::array<uint8_t, kFixtureDataSize> remote{};  // what the fixture holds, laid out like FixtureData
  std::vector<std::string> calls;                  // every operation, with its arguments
  std::set<std::string> failing;                   // operation names that answer false
  std::vector<std::vector<uint8_t>> frames;        // service frames received
  std::vector<bool> frameMP2Idle;                  // MP2Idle while each frame was sent
  int sendFailuresLeft = 0;                        // the next n SendMP2Command calls fail
  std::map<int, std::array<uint8_t, kFixtureDataSize>> logEntries;  // short log entries by index
  std::map<int, std::array<uint8_t, kLogBlockSize>> longEntries;    // long log replies by index
  std::map<int, uint16_t> eeprom;

  int count(const std::string& prefix) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
  }
  bool writes() const {
    return std::any_of(calls.begin(), calls.end(),
                       [](const std::string& c) { return c.rfind("Set", 0) == 0; });
  }

  void Open() override {}
  void Close() override {}
  std::string GetInterfaceName() override { return "fake"; }
  bool GetSerialNumber() override { return read("GetSerialNumber", fd::kSerial, 15); }
  bool RereadSerialNumber() override { return read("RereadSerialNumber", fd::kSerial, 15); }
  bool GetFixtureInfo() override { return read("GetFixtureInfo", fd::kFixtureInfo, 15); }
  bool GetFixtureZemVersion() override { return read("GetFixtureZemVersion", fd::kZemVersion, 4); }
  bool GetDuplexErrorStatus() override { return read("GetDuplexErrorStatus", fd::kErrorStatus, 15); }
  bool GetDuplexTempValues() override { return read("GetDuplexTempValues", fd::kTempValues, 8); }
  bool GetLampStatus() override { return read("GetLampStatus", fd::kLampStatus, 15); }
  bool SetLampStatus() override { return write("SetLampStatus", fd::kLampStatus, 15) && GetLampStatus(); }
  bool GetSystemCalibration() override { return read("GetSystemCalibration", fd::kSystemCalibration, 8); }
  bool SetSystemCalibration() override {
    return write("SetSystemCalibration", fd::kSystemCalibration, 8) && GetSystemCalibration();
  }
  bool GetEffectCalibration(int effect) override {
    return read("GetEffectCalibration(" + std::to_string(effect) + ")", fd::kEffectCalibration, 15);
  }
  bool SetEffectCalibration(int effect) override {
    return write("SetEffectCalibration(" + std::to_string(effect) + ")", fd::kEffectCalibration, 15) &&
           GetEffectCalibration(effect);
  }
  bool GetPersonalities() override { return read("GetPersonalities", fd::kPersonality, 14); }
  bool SetPersonalities(int pauseMs) override {
    return write("SetPersonalities(" + std::to_string(pauseMs) + ")", fd::kPersonality, 14) &&
           GetPersonalities();
  }
  bool GetStandAloneSettings() override { return read("GetStandAloneSettings", fd::kStandAloneSettings, 6); }
  bool SetStandAloneSettings() override { return write("SetStandAloneSettings", fd::kStandAloneSettings, 6); }
  bool GetTimerSettings() override { return read("GetTimerSettings", fd::kTimerSettings, 10); }
  bool SetTimerSettings() override { return write("SetTimerSettings", fd::kTimerSettings, 10); }
  bool GetSensorTriggerSettings() override { return read("GetSensorTriggerSettings", fd::kSensorTrigger, 4); }
  bool SetSensorTriggerSettings(int trigger) override {
    const std::string name = "SetSensorTriggerSettings(" + std::to_string(trigger) + ")";
    if (trigger != 0) return log(name);
    return write(name, fd::kSensorTrigger, 4);
  }
  bool GetSystemLogEntry(int entry) override {
    if (!log("GetSystemLogEntry(" + std::to_string(entry) + ")")) return false;
    auto it = logEntries.find(entry);
    if (it == logEntries.end()) return false;
    std::copy_n(it->second.begin() + fd::kSystemLogEntry, 15, FixtureData.begin() + fd::kSystemLogEntry);
    return true;
  }
  bool GetSystemLogEntryLong(int entry) override {
    if (!log("GetSystemLogEntryLong(" + std::to_string(entry) + ")")) return false;
    auto it = longEntries.find(entry);
    if (it == longEntries.end()) return false;
    LogBlock = it->second;
    return true;
  }
  bool ClearSystemLog() override { return log("ClearSystemLog"); }
  bool GetStandAlone(int sizeCode) override {
    return read("GetStandAlone(" + std::to_string(sizeCode) + ")", fd::kStandAloneProgram, 30);
  }
  bool GetHardwareMonitorValues(int page) override {
    return read("GetHardwareMonitorValues(" + std::to_string(page) + ")", fd::kHardwareMonitor + 15 * page,
                15);
  }
  bool SendMP2Command(std::span<const uint8_t> frame) override {
    calls.push_back("SendMP2Command");
    if (sendFailuresLeft > 0) {
      --sendFailuresLeft;
      return false;
    }
    frames.emplace_back(frame.begin(), frame.end());
    frameMP2Idle.push_back(MP2Idle);
    return true;
  }
  bool ReadEEProm(int address, int count) override {
    if (!log("ReadEEProm(" + std::to_string(address) + "," + std::to_string(count) + ")")) return false;
    for (int k = 0; k < 4; ++k) {
      const uint16_t w = eeprom.count(address + k) ? eeprom[address + k] : 0;
      FixtureData[fd::kEEPromWords + 2 * k] = static_cast<uint8_t>(w & 0xFF);
      FixtureData[fd::kEEPromWords + 2 * k + 1] = static_cast<uint8_t>(w >> 8);
    }
    return true;
  }
  bool WriteEEPromWord(int address, int value) override {
    return log("WriteEEPromWord(" + std::to_string(address) + "," + std::to_string(value) + ")");
  }
  bool WriteEEPromWords(int address, int count, int pauseMs) override {
    return log("WriteEEPromWords(" + std::to_string(address) + "," + std::to_string(count) + "," +
               std::to_string(pauseMs) + ")");
  }
  bool SetSubdevice(int index, bool reread) override {
    return log("SetSubdevice(" + std::to_string(index) + "," + (reread ? "1" : "0") + ")");
  }
  bool SetPwmData(int, int, int) override { return log("SetPwmData"); }
  bool LatchPwmData(int, int) override { return log("LatchPwmData"); }
  bool SendLedData() override { return log("SendLedData"); }
  bool GetPCBSerialNumber() override { return read("GetPCBSerialNumber", fd::kPCBSerial, 15); }
  bool GetLEDDescription(int led) override { return log("GetLEDDescription(" + std::to_string(led) + ")"); }
  bool GetLEDDescriptionData(int led) override {
    return log("GetLEDDescriptionData(" + std::to_string(led) + ")");
  }

 private:
  static std::string baseName(const std::string& call) { return call.substr(0, call.find('(')); }
  bool log(const std::string& call) {
    calls.push_back(call);
    return failing.count(baseName(call)) == 0;
  }
  bool read(const std::string& call, size_t offset, size_t size) {
    if (!log(call)) return false;
    std::copy_n(remote.begin() + offset, size, FixtureData.begin() + offset);
    return true;
  }
  bool write(const std::string& call, size_t offset, size_t size) {
    if (!log(call)) return false;
    std::copy_n(FixtureData.begin() + offset, size, remote.begin() + offset);
    return true;
  }
};

}  // namespace zemtest
