// The fixture device: the abstract operations through which the rest of the
// program reaches a fixture, the real device behind the interface box, the
// demonstration device and the factory that chooses between them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "zem/link/ZEMData.h"

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

// Reply buffer of one exchange (layout in ZemLayout.h).
using ReplyBuffer = std::array<uint8_t, kReplyBufferSize>;
inline constexpr uint32_t kFirstByteTimeoutMs = 200;

// The fixture behind the interface box. Every operation is a duplex exchange through InterfaceBox.
class TZemDeviceUSBYOLB : public TZemDeviceClass {
 public:
  ~TZemDeviceUSBYOLB() override;

  void Open() override;
  void Close() override;
  std::string GetInterfaceName() override;
  bool GetSerialNumber() override;
  bool RereadSerialNumber() override;
  bool GetFixtureInfo() override;
  bool GetFixtureZemVersion() override;
  bool GetDuplexErrorStatus() override;
  bool GetDuplexTempValues() override;
  bool GetLampStatus() override;
  bool SetLampStatus() override;
  bool GetSystemCalibration() override;
  bool SetSystemCalibration() override;
  bool GetEffectCalibration(int effect) override;
  bool SetEffectCalibration(int effect) override;
  bool GetPersonalities() override;
  bool SetPersonalities(int pauseMs) override;
  bool GetStandAloneSettings() override;
  bool SetStandAloneSettings() override;
  bool GetTimerSettings() override;
  bool SetTimerSettings() override;
  bool GetSensorTriggerSettings() override;
  bool SetSensorTriggerSettings(int trigger) override;
  bool GetSystemLogEntry(int entry) override;
  bool GetSystemLogEntryLong(int entry) override;
  bool ClearSystemLog() override;
  bool GetStandAlone(int sizeCode) override;
  bool GetHardwareMonitorValues(int page) override;
  bool SendMP2Command(std::span<const uint8_t> frame) override;
  bool ReadEEProm(int address, int count) override;
  bool WriteEEPromWord(int address, int value) override;
  bool WriteEEPromWords(int address, int count, int pauseMs) override;
  bool SetSubdevice(int index, bool reread) override;
  bool SetPwmData(int a, int b, int c) override;
  bool LatchPwmData(int a, int b) override;
  bool SendLedData() override;
  bool GetPCBSerialNumber() override;
  bool GetLEDDescription(int led) override;
  bool GetLEDDescriptionData(int led) override;

  // Forgets that the interface is open, so that this object never touches a box again
  // (used when the object is replaced while one of its operations still runs).
  void Detach() { Opened = false; }

  bool Opened = false;
  uint8_t BoxVersionMajor = 0;
  uint8_t BoxVersionMinor = 0;
};

// Demonstration device: no hardware, constant answers, nothing sent.
class TZEMDeviceNone : public TZemDeviceClass {
 public:
  void Open() override {}
  void Close() override {}
  std::string GetInterfaceName() override { return "No hardware"; }
  bool IsDemo() override { return true; }
  bool GetSerialNumber() override { return false; }
  bool RereadSerialNumber() override { return false; }
  bool GetFixtureInfo() override { return false; }
  bool GetFixtureZemVersion() override { return false; }
  bool GetDuplexErrorStatus() override { return true; }
  bool GetDuplexTempValues() override { return true; }
  bool GetLampStatus() override { return true; }
  bool SetLampStatus() override { return true; }
  bool GetSystemCalibration() override { return true; }
  bool SetSystemCalibration() override { return true; }
  bool GetEffectCalibration(int) override { return true; }
  bool SetEffectCalibration(int) override { return true; }
  bool GetPersonalities() override { return true; }
  bool SetPersonalities(int) override { return true; }
  bool GetStandAloneSettings() override { return true; }
  bool SetStandAloneSettings() override { return true; }
  bool GetTimerSettings() override { return true; }
  bool SetTimerSettings() override { return true; }
  bool GetSensorTriggerSettings() override { return true; }
  bool SetSensorTriggerSettings(int) override { return true; }
  bool GetSystemLogEntry(int) override { return true; }
  bool GetSystemLogEntryLong(int) override { return true; }
  bool ClearSystemLog() override { return true; }
  bool GetStandAlone(int) override { return true; }
  bool GetHardwareMonitorValues(int) override { return true; }
  bool SendMP2Command(std::span<const uint8_t>) override { return true; }
  bool ReadEEProm(int, int) override { return true; }
  bool WriteEEPromWord(int, int) override { return true; }
  bool WriteEEPromWords(int, int, int) override { return true; }
  bool SetSubdevice(int index, bool) override { return index == 0; }
  bool SetPwmData(int, int, int) override { return false; }
  bool LatchPwmData(int, int) override { return false; }
  bool SendLedData() override { return false; }
  bool GetPCBSerialNumber() override { return false; }
  bool GetLEDDescription(int) override { return false; }
  bool GetLEDDescriptionData(int) override { return false; }
};

// Makes the real device (and a new InterfaceBox) when the driver reports a device, else the
// demonstration device. Opens nothing. True when the new device is not the demonstration device.
bool CreateDevice(TZemDeviceClass*& device);

// Reply checks (length byte, start byte, tag, serial when the request names one, command echo).
// A failed check reconnects and answers false.
bool CheckReply(std::span<const uint8_t> request, std::span<const uint8_t> reply);
bool CheckReplySize(std::span<const uint8_t> request, std::span<const uint8_t> reply, int expectedLength);

// Replaces Device and InterfaceBox by freshly created and opened ones; shows an error box when the new
// device cannot be opened and never raises. The replaced objects stay alive until no device operation is
// running any more, and they never touch the new box.
void ReconnectDevice();

// Frees Device (closing the interface) and then InterfaceBox, setting both to nil. Use this rather than
// deleting them: an object whose operation is still running is released when that operation returns.
void FreeDevice();
