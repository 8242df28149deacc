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
  [[nodiscard]] virtual bool IsDemo() { return false; }
  [[nodiscard]] virtual bool GetSerialNumber() = 0;
  [[nodiscard]] virtual bool RereadSerialNumber() = 0;
  [[nodiscard]] virtual bool GetFixtureInfo() = 0;
  [[nodiscard]] virtual bool GetFixtureZemVersion() = 0;
  [[nodiscard]] virtual bool GetDuplexErrorStatus() = 0;
  [[nodiscard]] virtual bool GetDuplexTempValues() = 0;
  [[nodiscard]] virtual bool GetLampStatus() = 0;
  [[nodiscard]] virtual bool SetLampStatus() = 0;
  [[nodiscard]] virtual bool GetSystemCalibration() = 0;
  [[nodiscard]] virtual bool SetSystemCalibration() = 0;
  [[nodiscard]] virtual bool GetEffectCalibration(int effect) = 0;
  [[nodiscard]] virtual bool SetEffectCalibration(int effect) = 0;
  [[nodiscard]] virtual bool GetPersonalities() = 0;
  [[nodiscard]] virtual bool SetPersonalities(int pauseMs) = 0;
  [[nodiscard]] virtual bool GetStandAloneSettings() = 0;
  [[nodiscard]] virtual bool SetStandAloneSettings() = 0;
  [[nodiscard]] virtual bool GetTimerSettings() = 0;
  [[nodiscard]] virtual bool SetTimerSettings() = 0;
  [[nodiscard]] virtual bool GetSensorTriggerSettings() = 0;
  [[nodiscard]] virtual bool SetSensorTriggerSettings(int trigger) = 0;
  [[nodiscard]] virtual bool GetSystemLogEntry(int entry) = 0;
  [[nodiscard]] virtual bool GetSystemLogEntryLong(int entry) = 0;
  [[nodiscard]] virtual bool ClearSystemLog() = 0;
  [[nodiscard]] virtual bool GetStandAlone(int sizeCode) = 0;
  [[nodiscard]] virtual bool GetHardwareMonitorValues(int page) = 0;
  // frame: a complete 37-byte service frame (shorter spans fail without sending).
  [[nodiscard]] virtual bool SendMP2Command(std::span<const uint8_t> frame) = 0;
  [[nodiscard]] virtual bool ReadEEProm(int address, int count) = 0;
  [[nodiscard]] virtual bool WriteEEPromWord(int address, int value) = 0;
  [[nodiscard]] virtual bool WriteEEPromWords(int address, int count, int pauseMs) = 0;
  [[nodiscard]] virtual bool SetSubdevice(int index, bool reread) = 0;
  [[nodiscard]] virtual bool SetPwmData(int a, int b, int c) = 0;
  [[nodiscard]] virtual bool LatchPwmData(int a, int b) = 0;
  [[nodiscard]] virtual bool SendLedData() = 0;
  [[nodiscard]] virtual bool GetPCBSerialNumber() = 0;
  [[nodiscard]] virtual bool GetLEDDescription(int led) = 0;
  [[nodiscard]] virtual bool GetLEDDescriptionData(int led) = 0;
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
  [[nodiscard]] bool GetSerialNumber() override;
  [[nodiscard]] bool RereadSerialNumber() override;
  [[nodiscard]] bool GetFixtureInfo() override;
  [[nodiscard]] bool GetFixtureZemVersion() override;
  [[nodiscard]] bool GetDuplexErrorStatus() override;
  [[nodiscard]] bool GetDuplexTempValues() override;
  [[nodiscard]] bool GetLampStatus() override;
  [[nodiscard]] bool SetLampStatus() override;
  [[nodiscard]] bool GetSystemCalibration() override;
  [[nodiscard]] bool SetSystemCalibration() override;
  [[nodiscard]] bool GetEffectCalibration(int effect) override;
  [[nodiscard]] bool SetEffectCalibration(int effect) override;
  [[nodiscard]] bool GetPersonalities() override;
  [[nodiscard]] bool SetPersonalities(int pauseMs) override;
  [[nodiscard]] bool GetStandAloneSettings() override;
  [[nodiscard]] bool SetStandAloneSettings() override;
  [[nodiscard]] bool GetTimerSettings() override;
  [[nodiscard]] bool SetTimerSettings() override;
  [[nodiscard]] bool GetSensorTriggerSettings() override;
  [[nodiscard]] bool SetSensorTriggerSettings(int trigger) override;
  [[nodiscard]] bool GetSystemLogEntry(int entry) override;
  [[nodiscard]] bool GetSystemLogEntryLong(int entry) override;
  [[nodiscard]] bool ClearSystemLog() override;
  [[nodiscard]] bool GetStandAlone(int sizeCode) override;
  [[nodiscard]] bool GetHardwareMonitorValues(int page) override;
  [[nodiscard]] bool SendMP2Command(std::span<const uint8_t> frame) override;
  [[nodiscard]] bool ReadEEProm(int address, int count) override;
  [[nodiscard]] bool WriteEEPromWord(int address, int value) override;
  [[nodiscard]] bool WriteEEPromWords(int address, int count, int pauseMs) override;
  [[nodiscard]] bool SetSubdevice(int index, bool reread) override;
  [[nodiscard]] bool SetPwmData(int a, int b, int c) override;
  [[nodiscard]] bool LatchPwmData(int a, int b) override;
  [[nodiscard]] bool SendLedData() override;
  [[nodiscard]] bool GetPCBSerialNumber() override;
  [[nodiscard]] bool GetLEDDescription(int led) override;
  [[nodiscard]] bool GetLEDDescriptionData(int led) override;

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
  [[nodiscard]] bool IsDemo() override { return true; }
  [[nodiscard]] bool GetSerialNumber() override { return false; }
  [[nodiscard]] bool RereadSerialNumber() override { return false; }
  [[nodiscard]] bool GetFixtureInfo() override { return false; }
  [[nodiscard]] bool GetFixtureZemVersion() override { return false; }
  [[nodiscard]] bool GetDuplexErrorStatus() override { return true; }
  [[nodiscard]] bool GetDuplexTempValues() override { return true; }
  [[nodiscard]] bool GetLampStatus() override { return true; }
  [[nodiscard]] bool SetLampStatus() override { return true; }
  [[nodiscard]] bool GetSystemCalibration() override { return true; }
  [[nodiscard]] bool SetSystemCalibration() override { return true; }
  [[nodiscard]] bool GetEffectCalibration(int) override { return true; }
  [[nodiscard]] bool SetEffectCalibration(int) override { return true; }
  [[nodiscard]] bool GetPersonalities() override { return true; }
  [[nodiscard]] bool SetPersonalities(int) override { return true; }
  [[nodiscard]] bool GetStandAloneSettings() override { return true; }
  [[nodiscard]] bool SetStandAloneSettings() override { return true; }
  [[nodiscard]] bool GetTimerSettings() override { return true; }
  [[nodiscard]] bool SetTimerSettings() override { return true; }
  [[nodiscard]] bool GetSensorTriggerSettings() override { return true; }
  [[nodiscard]] bool SetSensorTriggerSettings(int) override { return true; }
  [[nodiscard]] bool GetSystemLogEntry(int) override { return true; }
  [[nodiscard]] bool GetSystemLogEntryLong(int) override { return true; }
  [[nodiscard]] bool ClearSystemLog() override { return true; }
  [[nodiscard]] bool GetStandAlone(int) override { return true; }
  [[nodiscard]] bool GetHardwareMonitorValues(int) override { return true; }
  [[nodiscard]] bool SendMP2Command(std::span<const uint8_t>) override { return true; }
  [[nodiscard]] bool ReadEEProm(int, int) override { return true; }
  [[nodiscard]] bool WriteEEPromWord(int, int) override { return true; }
  [[nodiscard]] bool WriteEEPromWords(int, int, int) override { return true; }
  [[nodiscard]] bool SetSubdevice(int index, bool) override { return index == 0; }
  [[nodiscard]] bool SetPwmData(int, int, int) override { return false; }
  [[nodiscard]] bool LatchPwmData(int, int) override { return false; }
  [[nodiscard]] bool SendLedData() override { return false; }
  [[nodiscard]] bool GetPCBSerialNumber() override { return false; }
  [[nodiscard]] bool GetLEDDescription(int) override { return false; }
  [[nodiscard]] bool GetLEDDescriptionData(int) override { return false; }
};

// Makes the real device (and a new InterfaceBox) when the driver reports a device, else the
// demonstration device. Opens nothing. True when the new device is not the demonstration device.
[[nodiscard]] bool CreateDevice(TZemDeviceClass*& device);

// Reply checks (length byte, start byte, tag, serial when the request names one, command echo).
// A failed check reconnects and answers false.
[[nodiscard]] bool CheckReply(std::span<const uint8_t> request, std::span<const uint8_t> reply);
[[nodiscard]] bool CheckReplySize(std::span<const uint8_t> request, std::span<const uint8_t> reply,
                                  int expectedLength);

// Replaces Device and InterfaceBox by freshly created and opened ones; shows an error box when the new
// device cannot be opened and never raises. The replaced objects stay alive until no device operation is
// running any more, and they never touch the new box.
void ReconnectDevice();

// Frees Device (closing the interface) and then InterfaceBox, setting both to nil. Use this rather than
// deleting them: an object whose operation is still running is released when that operation returns.
void FreeDevice();
