// The fixture model: a view over FixtureData plus every operation the windows
// may ask of the connected fixture. TZemFixture is the generic model and the
// base of every model class; each reaches the fixture through the global Device.
//
// Model classes override the virtual operations (kept in one fixed order below)
// and set their constants in their constructors through the protected fields.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "zem/link/ZEMData.h"

// A value that does not fit the field it is meant for (a function above 255, a byte above 255,
// a 16-bit value of 65536 or more, a negative value). Raised before anything is sent.
class ERangeError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

using TStringList = std::vector<std::string>;
// EEPROM word addresses, ascending.
using TAddressList = std::vector<int>;
// Progress of ReadAllFixtureData: (position, maximum).
using TProgressCallback = std::function<void(int position, int maximum)>;

// The program's own memory-map version, 1.8 build 0, packed major << 16 | minor << 8 | build.
inline constexpr uint32_t kZemProgramVersion = 0x010800;

// A service frame as it goes out (layout in ZemLayout.h, namespace svc).
using ServiceFrame = std::array<uint8_t, frame::kWireLength>;

class TZemFixture {
 public:
  // Create: field defaults and the log-text list with its one line.
  TZemFixture();
  virtual ~TZemFixture();
  TZemFixture(const TZemFixture&) = delete;
  TZemFixture& operator=(const TZemFixture&) = delete;

  // ---- Virtual operations, in slot order (models keep this order) ----
  virtual const TStringList& GetErrorList();
  virtual int GetDmxChannelCount();
  virtual std::string GetFixtureName();
  virtual std::string GetFixtureSubTypeName();
  virtual std::string GetVersionText();
  virtual std::string GetSerialNumberText();
  virtual std::string GetTypeCode();
  virtual int GetSubType();
  [[nodiscard]] virtual bool ReadPersonality();
  [[nodiscard]] virtual bool SetDMXReset(int flag);
  [[nodiscard]] virtual bool SetDmxProtocol(int value);
  [[nodiscard]] virtual bool SetColorGamut(int value);
  [[nodiscard]] virtual bool SetQZLLampOff(int flag);
  [[nodiscard]] virtual bool SetStandAloneMode(int value);
  [[nodiscard]] virtual bool SetAutoProgramOn(int value);
  [[nodiscard]] virtual bool SetMasterSlaveSetting(int value);
  [[nodiscard]] virtual bool SetTimerMode(int value);
  [[nodiscard]] virtual bool SetTimer1StartHour(int value);
  [[nodiscard]] virtual bool SetTimer1StartMinute(int value);
  [[nodiscard]] virtual bool SetTimer1StopHour(int value);
  [[nodiscard]] virtual bool SetTimer1StopMinute(int value);
  [[nodiscard]] virtual bool SetTimer2StartHour(int value);
  [[nodiscard]] virtual bool SetTimer2StartMinute(int value);
  [[nodiscard]] virtual bool SetTimer2StopHour(int value);
  [[nodiscard]] virtual bool SetTimer2StopMinute(int value);
  [[nodiscard]] virtual bool SetSensorTriggerLevel(int value);
  [[nodiscard]] virtual bool SetSensorTriggerWord(int value);
  virtual int GetDMXReset();
  virtual int GetDmxProtocol();
  virtual int GetColorGamut();
  virtual int GetQZLLampOff();
  virtual int GetDisplayEnable();
  virtual int GetInvertDisplay();
  virtual int GetStandAloneMode();
  virtual int GetAutoProgramOn();
  virtual int GetMasterSlaveSetting();
  virtual int GetTimerMode();
  virtual int GetTimer1StartHour();
  virtual int GetTimer1StartMinute();
  virtual int GetTimer1StopHour();
  virtual int GetTimer1StopMinute();
  virtual int GetTimer2StartHour();
  virtual int GetTimer2StartMinute();
  virtual int GetTimer2StopHour();
  virtual int GetTimer2StopMinute();
  virtual int GetSensorTriggerLevel();
  virtual int GetSensorTriggerWord();
  [[nodiscard]] virtual bool RearmSensorTrigger();
  virtual std::string GetLampStateText();
  [[nodiscard]] virtual bool IsFirmwareSupported();
  // The generic model cannot be opened: it reads nothing and answers false.
  [[nodiscard]] virtual bool ReadAllFixtureData(const TProgressCallback& progress);
  [[nodiscard]] virtual bool ReadBasicFixtureData();
  virtual int GetServiceCommandPage();
  [[nodiscard]] virtual bool PreviousScene();
  [[nodiscard]] virtual bool NextScene();
  [[nodiscard]] virtual bool StoreScene();
  [[nodiscard]] virtual bool DeleteAllScenes();
  [[nodiscard]] virtual bool AddScene();
  [[nodiscard]] virtual bool DeleteScene();
  [[nodiscard]] virtual bool InsertScene();
  [[nodiscard]] virtual bool SetServiceSwitch(bool on);
  [[nodiscard]] virtual bool IdlePoll(bool monitorPageShowing);
  virtual int StepValueToIndex(int value);
  virtual int SecondsToIndex(int seconds);
  [[nodiscard]] virtual bool SetLiveIntensity(int value);
  [[nodiscard]] virtual bool SetLiveCyan(int value);
  [[nodiscard]] virtual bool SetLiveMagenta(int value);
  [[nodiscard]] virtual bool SetLiveYellow(int value);
  [[nodiscard]] virtual bool SetWaitTimeIndex(int index);
  [[nodiscard]] virtual bool SetFadeTimeIndex(int index);
  [[nodiscard]] virtual bool SetWaitTimeSeconds(int seconds);
  [[nodiscard]] virtual bool SetFadeTimeSeconds(int seconds);
  [[nodiscard]] virtual bool SetLiveRandomColor(int value);
  [[nodiscard]] virtual bool SetLiveZoom(int value);
  [[nodiscard]] virtual bool SetLiveColor(int position);
  [[nodiscard]] virtual bool SetLiveFrost(int value);
  [[nodiscard]] virtual bool SetLiveFocus(int value);
  [[nodiscard]] virtual bool SetControlValue78(int gobo, int value);
  [[nodiscard]] virtual bool SetControlValue79(int gobo, int value);
  [[nodiscard]] virtual bool SetControlValue80(int code, int value);
  [[nodiscard]] virtual bool SetLivePanTilt(int pan, int tilt);
  [[nodiscard]] virtual bool SetLiveRed(int value);
  [[nodiscard]] virtual bool SetLiveGreen(int value);
  [[nodiscard]] virtual bool SetLiveBlue(int value);
  [[nodiscard]] virtual bool SetLiveAmber(int value);
  [[nodiscard]] virtual bool SetLiveWhite(int value);
  // Words read into the EEPROM-words area, 0 on failure.
  virtual int ReadEepromChunk(int address);
  [[nodiscard]] virtual bool WriteEeprom(int address, int value);
  // Words written from the EEPROM-words area (at most the write chunk), 0 on failure.
  virtual int WriteEepromBlock(int address, int count, int pauseMs);
  virtual int GetMaxMemoryAddress();
  // Each clears the list and fills it; the generic model leaves it empty (nothing to upload).
  virtual void GetStandAloneAddressList(TAddressList& list);
  virtual void GetSettingsAddressList(TAddressList& list);
  virtual void GetMemoryAddressList(TAddressList& list);
  virtual void ServiceAction94(int value);
  virtual std::string DecodeLogText();
  virtual void ResetFixture();
  virtual void LampOff();
  virtual void LampOn();
  virtual void AdjustFocusNear();
  virtual void AdjustFocusFar();
  virtual void AdjustFocusSensor();
  virtual void AdjustZoomNear();
  virtual void AdjustZoomFar();
  virtual void AdjustZoomSensor();
  virtual void AdjustGobo(int value);
  virtual void AdjustGoboRotation(int value);
  virtual void AdjustAnimPosition(int value);
  virtual void AdjustAnimRotation(int value);
  virtual int GetWaitTimeSeconds();
  virtual int GetFadeTimeSeconds();
  virtual int GetResetOKDelay();
  virtual int GetEepromSettleTime();
  [[nodiscard]] virtual bool SetSubDevice(int index, bool reread);
  virtual int GetCurrentSegment();
  virtual int GetSegmentCount();
  [[nodiscard]] virtual bool LedOperation116(int a, int b, int c);
  [[nodiscard]] virtual bool SendLedData(int red, int green, int blue, int amber, int white);
  [[nodiscard]] virtual bool LedOperation118(int a, int b);

  // ---- Reads and writes of whole records (false without a device) ----
  [[nodiscard]] bool ReadSerialNumber();
  [[nodiscard]] bool ReadFixtureInfo();
  [[nodiscard]] bool ReadZemVersion();
  [[nodiscard]] bool ReadErrorStatus();
  [[nodiscard]] bool ReadTemperatures();
  [[nodiscard]] bool ReadLampStatus();
  [[nodiscard]] bool WriteLampStatus();
  [[nodiscard]] bool ReadClock();
  [[nodiscard]] bool WriteClock();
  // Virtual so a model can keep one-shot command bytes from going out twice.
  [[nodiscard]] virtual bool WritePersonality();
  [[nodiscard]] bool ReadEffectCalibration();
  [[nodiscard]] bool WriteEffectCalibration();
  [[nodiscard]] bool ReadStandAloneSettings();
  [[nodiscard]] bool WriteStandAloneSettings();
  [[nodiscard]] bool ReadTimerSettings();
  [[nodiscard]] bool WriteTimerSettings();
  [[nodiscard]] bool ReadSensorTrigger();
  [[nodiscard]] bool WriteSensorTrigger(int trigger);
  [[nodiscard]] bool ReadStandAloneProgram();
  // Steps the monitor page (1, 2, 3, 0, ...) even without a device, then reads it.
  [[nodiscard]] bool ReadNextMonitorPage();
  [[nodiscard]] bool ReadPcbSerialNumber();
  [[nodiscard]] bool ReadLedDescription(int led);
  [[nodiscard]] bool ReadLedDescription2(int led);

  // ---- System log ----
  [[nodiscard]] bool ReadLogEntry(int index);
  [[nodiscard]] bool ReadLogEntryLong(int index);
  // Leaves the number of entries in bytes 2-3 of the log-entry area.
  [[nodiscard]] bool ReadLogCount();
  [[nodiscard]] bool ClearSystemLog();
  // True when the entry was read and is valid. A failed read leaves text unchanged;
  // an invalid entry still forms the text.
  [[nodiscard]] bool FormatLogEntry(int index, std::string& text);

  // ---- Service frames ----
  // Two frames (argument 0, then the argument) when the first send succeeds; the first send's result.
  [[nodiscard]] bool SendServiceCommand(int function, int value, int argument);
  [[nodiscard]] bool SendServiceCommandOnce(int function, int value, int argument);
  [[nodiscard]] bool SendServiceCommand237(int function, int value, int argument, int extra);
  [[nodiscard]] bool SendServiceCommand5();

  // ---- Versions ----
  uint32_t GetFirmwareVersion();
  std::string GetFirmwareVersionText();
  std::string GetRequiredFirmwareVersionText();
  uint32_t GetRequiredZemVersion();
  std::string GetZemVersionText();
  [[nodiscard]] bool IsZemVersionSupported();

  // ---- Settings accessors ----
  // Personality flags (0 or 1).
  int GetEffectSpeed();
  [[nodiscard]] bool SetEffectSpeed(int flag);
  int GetEffectShortcut();
  [[nodiscard]] bool SetEffectShortcut(int flag);
  int GetAutoShutter();
  [[nodiscard]] bool SetAutoShutter(int flag);
  int GetDisplayErrors();
  [[nodiscard]] bool SetDisplayErrors(int flag);
  [[nodiscard]] bool SetInvertDisplay(int flag);
  [[nodiscard]] bool SetDisplayEnable(int flag);
  int GetEffectFeedback();
  [[nodiscard]] bool SetEffectFeedback(int flag);
  int GetDMXLampOff();
  [[nodiscard]] bool SetDMXLampOff(int flag);
  int GetAutoLampOn();
  [[nodiscard]] bool SetAutoLampOn(int flag);
  int GetPanTiltSwap();
  [[nodiscard]] bool SetPanTiltSwap(int flag);
  int GetPanInvert();
  [[nodiscard]] bool SetPanInvert(int flag);
  int GetTiltInvert();
  [[nodiscard]] bool SetTiltInvert(int flag);
  int GetLampFanReg();
  [[nodiscard]] bool SetLampFanReg(int flag);
  int GetGoboFanReg();
  [[nodiscard]] bool SetGoboFanReg(int flag);
  int GetLampErrorTest();
  [[nodiscard]] bool SetLampErrorTest(int flag);
  int GetSegmentAutoConfigure();
  [[nodiscard]] bool EnableSegmentAutoConfigure();
  [[nodiscard]] bool DisableSegmentAutoConfigure();
  int GetLampWarningOn();
  [[nodiscard]] bool SetLampWarningOn(int flag);
  // Personality values.
  int GetDmxAddress();
  [[nodiscard]] bool SetDmxAddress(int value);
  int GetWarningLevel();
  [[nodiscard]] bool SetWarningLevel(int value);
  void SetDmxPixels(int value);
  // Fixture clock.
  int GetClockYear();
  int GetClockMonth();
  int GetClockDate();
  int GetClockHour();
  int GetClockMinute();
  [[nodiscard]] bool SetClockYear(int value);
  [[nodiscard]] bool SetClockMonth(int value);
  [[nodiscard]] bool SetClockDate(int value);
  [[nodiscard]] bool SetClockHour(int value);
  [[nodiscard]] bool SetClockMinute(int value);
  // Effect calibration.
  int GetCyanCalibration();
  int GetYellowCalibration();
  int GetMagentaCalibration();
  int GetDimmerCalibration();
  [[nodiscard]] bool SetCyanCalibration(int value);
  [[nodiscard]] bool SetYellowCalibration(int value);
  [[nodiscard]] bool SetMagentaCalibration(int value);
  [[nodiscard]] bool SetDimmerCalibration(int value);
  // Stand-alone sequence.
  int GetStandAloneSequence();
  [[nodiscard]] bool SetStandAloneSequence(int value);
  // Lamp counters.
  int GetTotalPowerOnHours();
  int GetTotalLampOnHours();
  int GetTotalLampStrikes();
  int GetResettablePowerOnHours();
  int GetResettableLampOnHours();
  int GetResettableLampStrikes();
  int GetLightSensorValue();
  [[nodiscard]] bool ResetResettablePowerOnHours();
  [[nodiscard]] bool ResetResettableLampOnHours();
  [[nodiscard]] bool ResetResettableLampStrikes();
  // Hardware monitor, channel 1..7 (others raise ERangeError).
  int GetMonitorWordA(int channel);
  double GetMonitorValueB(int channel);
  double GetMonitorValueC(int channel);
  int GetMonitorWordD(int channel);

  // ---- Range checks of the values a command carries, run before its first frame goes out ----
  // Each returns the value or raises ERangeError naming what.
  static int checkByte(int value, const char* what);
  static int checkWord(int value, const char* what);
  static int checkFlag(int flag, const char* what);

  // ---- What could not be read ----
  // Names what the last failed read was to read ("lamp status and counters", ...); the window tells the
  // user when a full read stops before its end. ClearReadFailure empties it before such a read.
  const std::string& ReadFailure() const { return readFailure_; }
  void ClearReadFailure() { readFailure_.clear(); }

  // ---- Fields, for the windows and tests ----
  TStringList& LogTextList() { return logText_; }
  std::array<uint8_t, 256>& WorkBuffer() { return workBuffer_; }
  int MonitorPage() const { return monitorPage_; }
  int32_t RequiredFirmwareVersion() const { return requiredFirmwareVersion_; }
  int EepromWriteChunk() const { return eepromWriteChunk_; }
  [[nodiscard]] bool LongLog() const { return longLog_; }
  [[nodiscard]] bool HasDisplay() const { return hasDisplay_; }
  int StandAloneRequestCode() const { return standAloneRequestCode_; }
  int PersonalityWritePause() const { return personalityWritePause_; }

 protected:
  // Records whose single values the setters change.
  enum class Area { LampStatus, Clock, Personality, EffectCalibration, StandAlone, Timer, SensorTrigger };

  // Notes what a read that failed was to read; answers ok.
  bool noteRead(bool ok, const std::string& what);

  // FixtureData access for the models (bounds-checked; 16-bit values low byte first, as the fixture sends
  // them).
  static uint8_t recordByte(size_t offset);
  static uint16_t recordWord(size_t offset);
  static void setRecordByte(size_t offset, uint8_t value);
  static void setRecordWord(size_t offset, uint16_t value);
  // Word k (0..3) of the EEPROM-words area.
  static uint16_t eepromAreaWord(int k);
  // The device's EEPROM read of `words` words at the address: words on success, else 0 (also without device).
  int readEepromWords(int address, int words);

  // Setter rule: read the area, compare, and write the whole area only when the value changes.
  bool setAreaByte(Area area, size_t index, int value);
  bool setAreaWord(Area area, size_t index, int value);
  bool setAreaFlag(Area area, size_t index, int bit, int flag);
  static size_t areaOffset(Area area);
  bool readArea(Area area);
  bool writeArea(Area area);

  // Service patterns. Every range check runs before the first frame goes out.
  // enterFunction < 0 means the model has no enter-service function.
  void sendEnter(int enterFunction);
  // (f, v, 0) then (f, v, 44) through SendServiceCommand: four frames when every send succeeds.
  void sendPair(int function, int value);
  // Enter prefix, pair, then the stand-alone program read (its result).
  bool sendScene(int enterFunction, int function, int value);
  // Enter prefix, then the pair; true.
  bool sendLive(int enterFunction, int function, int value);
  // One frame (f, 0, 0) with MP2Idle raised; true.
  bool sendIdle(int function);
  // Builds a service frame (ranges checked by the caller).
  ServiceFrame buildServiceFrame(uint8_t code, int function, int value, int argument, int page, int extra);

  // Error list: created on first use and cleared.
  TStringList& clearedErrorList();
  struct ErrorFlag {
    int byte;          // error-status byte 1..14
    int bit;           // 0..7
    const char* line;  // holds one %d: the line's number
  };
  // The common error-list form: "no errors", or the set flags numbered from 1 under a summary line.
  const TStringList& fillErrorList(std::span<const ErrorFlag> table);

  // Address lists: clear, then every address 0..last outside the excluded inclusive ranges.
  static void fillAddressesExcept(TAddressList& list, int last,
                                  std::initializer_list<std::pair<int, int>> excluded);
  // Appends first..last.
  static void appendAddressRange(TAddressList& list, int first, int last);

  // Fields (models set them in their constructors).
  std::unique_ptr<TStringList> errorList_;
  int32_t monitorPage_ = 0;
  int32_t requiredFirmwareVersion_ = -1;
  uint8_t eepromWriteChunk_ = 4;
  bool longLog_ = false;
  bool hasDisplay_ = false;
  TStringList logText_;
  uint8_t standAloneRequestCode_ = 13;
  std::array<uint8_t, 256> workBuffer_{};
  int32_t personalityWritePause_ = 0;
  std::string readFailure_;

 private:
  bool sendFrame(const ServiceFrame& frame);
};

// The fixture the windows work on; owned by the main window, nullptr before the first search.
extern TZemFixture* CurrentFixture;
