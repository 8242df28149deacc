// Nimbo O2 (NMB02, colour mixing) and Rastel (RASTE, projector with focus, gobo wheel and pan/tilt).
// Both speak one service dialect: page 100, service-mode function 41 ahead of each scene and live
// command, idle function 254, reset 62, lamp on 63, lamp off 64. Neither keeps a system log.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureNimboO2_21 : public TZemFixture {
 public:
  TZemFixtureNimboO2_21();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
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
  [[nodiscard]] bool SetLiveRandomColor(int value) override;
  int ReadEepromChunk(int address) override;
  int GetMaxMemoryAddress() override;
  void GetStandAloneAddressList(TAddressList& list) override;
  void GetSettingsAddressList(TAddressList& list) override;
  void GetMemoryAddressList(TAddressList& list) override;
  void ResetFixture() override;
  void LampOff() override;
  void LampOn() override;
  int GetWaitTimeSeconds() override;
  int GetFadeTimeSeconds() override;

  void AdjustAllOpen();
  void AdjustAllClosed();
  void AdjustDimmerOpen();
  void AdjustDimmerClosed();
  void AdjustCyanOpen();
  void AdjustCyanClosed();
  void AdjustMagentaOpen();
  void AdjustMagentaClosed();
  void AdjustYellowOpen();
  void AdjustYellowClosed();

  // List entry of a stored byte: 0 below 15, then bands of 20 from 15 (1..11), 12 for 235..255.
  static int NimboValueToIndex(int value);
};

class TZemFixtureRastel_21 : public TZemFixture {
 public:
  TZemFixtureRastel_21();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
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
  [[nodiscard]] bool SetWaitTimeIndex(int index) override;
  [[nodiscard]] bool SetFadeTimeIndex(int index) override;
  [[nodiscard]] bool SetLiveFocus(int value) override;
  // Gobo wheel in index mode: the gobo, then its 16-bit position.
  [[nodiscard]] bool SetControlValue78(int gobo, int value) override;
  // Gobo wheel in rotate mode: the gobo (sent as gobo + 4), then the low byte of the speed.
  [[nodiscard]] bool SetControlValue79(int gobo, int value) override;
  [[nodiscard]] bool SetLivePanTilt(int pan, int tilt) override;
  int ReadEepromChunk(int address) override;
  int GetMaxMemoryAddress() override;
  void GetStandAloneAddressList(TAddressList& list) override;
  void GetSettingsAddressList(TAddressList& list) override;
  void GetMemoryAddressList(TAddressList& list) override;
  void ResetFixture() override;
  void LampOff() override;
  void LampOn() override;
  void AdjustFocusNear() override;
  void AdjustFocusFar() override;
  void AdjustGobo(int value) override;
  int GetWaitTimeSeconds() override;
  int GetFadeTimeSeconds() override;

  void AdjustDimmerOpen();
  void AdjustDimmerClosed();
  void AdjustGoboChoice(int index);
  void AdjustPanTiltChoice(int index);
};
