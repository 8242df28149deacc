// Brevidor 600 (BV600) and 600 Compact (BV60C): service page 237, no enter-service function. The
// stand-alone, timer, sensor and QZL settings live in single EEPROM words: they are read word by word into
// copies in FixtureData and changed with service commands whose function is the word's address.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureBrv600_20 : public TZemFixture {
 public:
  TZemFixtureBrv600_20();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  [[nodiscard]] bool SetDmxProtocol(int value) override;
  [[nodiscard]] bool SetQZLLampOff(int flag) override;
  [[nodiscard]] bool SetStandAloneMode(int value) override;
  [[nodiscard]] bool SetAutoProgramOn(int value) override;
  [[nodiscard]] bool SetMasterSlaveSetting(int value) override;
  [[nodiscard]] bool SetTimerMode(int value) override;
  [[nodiscard]] bool SetTimer1StartHour(int value) override;
  [[nodiscard]] bool SetTimer1StartMinute(int value) override;
  [[nodiscard]] bool SetTimer1StopHour(int value) override;
  [[nodiscard]] bool SetTimer1StopMinute(int value) override;
  [[nodiscard]] bool SetTimer2StartHour(int value) override;
  [[nodiscard]] bool SetTimer2StartMinute(int value) override;
  [[nodiscard]] bool SetTimer2StopHour(int value) override;
  [[nodiscard]] bool SetTimer2StopMinute(int value) override;
  [[nodiscard]] bool SetSensorTriggerLevel(int value) override;
  [[nodiscard]] bool SetSensorTriggerWord(int value) override;
  int GetQZLLampOff() override;  // the whole copied byte
  int GetStandAloneMode() override;
  int GetAutoProgramOn() override;
  int GetMasterSlaveSetting() override;
  int GetTimerMode() override;
  int GetTimer1StartHour() override;
  int GetTimer1StartMinute() override;
  int GetTimer1StopHour() override;
  int GetTimer1StopMinute() override;
  int GetTimer2StartHour() override;
  int GetTimer2StartMinute() override;
  int GetTimer2StopHour() override;
  int GetTimer2StopMinute() override;
  int GetSensorTriggerLevel() override;
  int GetSensorTriggerWord() override;
  [[nodiscard]] bool RearmSensorTrigger() override;
  [[nodiscard]] bool ReadAllFixtureData(const TProgressCallback& progress) override;
  int GetServiceCommandPage() override;
  [[nodiscard]] bool PreviousScene() override;
  [[nodiscard]] bool NextScene() override;
  [[nodiscard]] bool StoreScene() override;
  [[nodiscard]] bool DeleteAllScenes() override;
  [[nodiscard]] bool AddScene() override;
  [[nodiscard]] bool DeleteScene() override;
  [[nodiscard]] bool InsertScene() override;
  [[nodiscard]] bool SetServiceSwitch(bool on) override;
  [[nodiscard]] bool IdlePoll(bool monitorPageShowing) override;
  [[nodiscard]] bool SetLiveIntensity(int value) override;
  [[nodiscard]] bool SetLiveCyan(int value) override;
  [[nodiscard]] bool SetLiveMagenta(int value) override;
  [[nodiscard]] bool SetLiveYellow(int value) override;
  [[nodiscard]] bool SetWaitTimeIndex(int index) override;
  [[nodiscard]] bool SetFadeTimeIndex(int index) override;
  [[nodiscard]] bool SetLiveZoom(int value) override;
  [[nodiscard]] bool SetLiveColor(int position) override;
  [[nodiscard]] bool SetLiveFrost(int value) override;
  int GetMaxMemoryAddress() override;
  void GetStandAloneAddressList(TAddressList& list) override;
  void GetSettingsAddressList(TAddressList& list) override;
  void GetMemoryAddressList(TAddressList& list) override;
  void ServiceAction94(int value) override;
  void ResetFixture() override;
  void LampOff() override;
  void LampOn() override;
  void AdjustZoomSensor() override;
  int GetWaitTimeSeconds() override;
  int GetFadeTimeSeconds() override;

  // Adjustment positions of the model window: open 0, sensor 1, adjust 2 (the shutter reversed).
  void AdjustAllOpen();
  void AdjustAllSensor();
  void AdjustAllAdjust();
  void AdjustDimmerOpen();
  void AdjustDimmerSensor();
  void AdjustDimmerAdjust();
  void AdjustCyanOpen();
  void AdjustCyanSensor();
  void AdjustCyanAdjust();
  void AdjustMagentaOpen();
  void AdjustMagentaSensor();
  void AdjustMagentaAdjust();
  void AdjustYellowOpen();
  void AdjustYellowSensor();
  void AdjustYellowAdjust();
  void AdjustColorOpen();
  void AdjustColorSensor();
  void AdjustColorAdjust();
  void AdjustBeamOpen();
  void AdjustBeamSensor();
  void AdjustBeamAdjust();
  void AdjustZoomOpen();
  void AdjustZoomAdjust();
  void AdjustShutterAdjust();
  void AdjustShutterClosed();
  void AdjustShutterOpen();
  void SetTestSequenceMode(bool on);

 private:
  // Reads the EEPROM word of one setting into its copy. A word too large for a byte setting is a failed
  // read: the copy keeps its value.
  bool readEepromSetting(int address);
  // Sends the new value with the setting's address as function, waits, and reads the word back.
  bool setEepromSetting(int address, int value);
};

class TZemFixtureBrv600C_20 : public TZemFixtureBrv600_20 {
 public:
  TZemFixtureBrv600C_20();

  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
};
