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
  bool SetDmxProtocol(int value) override;
  bool SetQZLLampOff(int flag) override;
  bool SetStandAloneMode(int value) override;
  bool SetAutoProgramOn(int value) override;
  bool SetMasterSlaveSetting(int value) override;
  bool SetTimerMode(int value) override;
  bool SetTimer1StartHour(int value) override;
  bool SetTimer1StartMinute(int value) override;
  bool SetTimer1StopHour(int value) override;
  bool SetTimer1StopMinute(int value) override;
  bool SetTimer2StartHour(int value) override;
  bool SetTimer2StartMinute(int value) override;
  bool SetTimer2StopHour(int value) override;
  bool SetTimer2StopMinute(int value) override;
  bool SetSensorTriggerLevel(int value) override;
  bool SetSensorTriggerWord(int value) override;
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
  bool RearmSensorTrigger() override;
  bool ReadAllFixtureData(const TProgressCallback& progress) override;
  int GetServiceCommandPage() override;
  bool PreviousScene() override;
  bool NextScene() override;
  bool StoreScene() override;
  bool DeleteAllScenes() override;
  bool AddScene() override;
  bool DeleteScene() override;
  bool InsertScene() override;
  bool SetServiceSwitch(bool on) override;
  bool IdlePoll(bool monitorPageShowing) override;
  bool SetLiveIntensity(int value) override;
  bool SetLiveCyan(int value) override;
  bool SetLiveMagenta(int value) override;
  bool SetLiveYellow(int value) override;
  bool SetWaitTimeIndex(int index) override;
  bool SetFadeTimeIndex(int index) override;
  bool SetLiveZoom(int value) override;
  bool SetLiveColor(int position) override;
  bool SetLiveFrost(int value) override;
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
