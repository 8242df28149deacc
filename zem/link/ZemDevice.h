// The fixture device: the abstract operations through which the rest of the
// program reaches a fixture, the real device behind the interface box, the
// demonstration device and the factory that chooses between them.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// Connection failure of the interface (opening or closing the box).
class EZEMDeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every operation but Open/Close reports failure through its result only.
// Arguments are plain ints so that out-of-range values can be refused before anything is sent.
class TZemDeviceClass {
 public:
  virtual ~TZemDeviceClass() = default;

  virtual void Open() = 0;   // raises EZEMDeviceError
  virtual void Close() = 0;  // raises EZEMDeviceError
  virtual std::string GetInterfaceName() = 0;
  virtual bool IsDemo() { return false; }
  virtual bool GetSerialNumber() = 0;
  virtual bool RereadSerialNumber() = 0;
  virtual bool GetFixtureInfo() = 0;
  virtual bool GetFixtureZemVersion() = 0;
  virtual bool GetDuplexErrorStatus() = 0;
  virtual bool GetDuplexTempValues() = 0;
  virtual bool GetLampStatus() = 0;
  virtual bool SetLampStatus() = 0;
  virtual bool GetSystemCalibration() = 0;
  virtual bool SetSystemCalibration() = 0;
  virtual bool GetEffectCalibration(int effect) = 0;
  virtual bool SetEffectCalibration(int effect) = 0;
  virtual bool GetPersonalities() = 0;
  virtual bool SetPersonalities(int pauseMs) = 0;
  virtual bool GetStandAloneSettings() = 0;
  virtual bool SetStandAloneSettings() = 0;
  virtual bool GetTimerSettings() = 0;
  virtual bool SetTimerSettings() = 0;
  virtual bool GetSensorTriggerSettings() = 0;
  virtual bool SetSensorTriggerSettings(int trigger) = 0;
  virtual bool GetSystemLogEntry(int entry) = 0;
  virtual bool GetSystemLogEntryLong(int entry) = 0;
  virtual bool ClearSystemLog() = 0;
  virtual bool GetStandAlone(int sizeCode) = 0;
  virtual bool GetHardwareMonitorValues(int page) = 0;
  // frame: a complete 37-byte service frame (shorter spans fail without sending).
  virtual bool SendMP2Command(std::span<const uint8_t> frame) = 0;
  virtual bool ReadEEProm(int address, int count) = 0;
  virtual bool WriteEEPromWord(int address, int value) = 0;
  virtual bool WriteEEPromWords(int address, int count, int pauseMs) = 0;
  virtual bool SetSubdevice(int index, bool reread) = 0;
  virtual bool SetPwmData(int a, int b, int c) = 0;
  virtual bool LatchPwmData(int a, int b) = 0;
  virtual bool SendLedData() = 0;
  virtual bool GetPCBSerialNumber() = 0;
  virtual bool GetLEDDescription(int led) = 0;
  virtual bool GetLEDDescriptionData(int led) = 0;
};
