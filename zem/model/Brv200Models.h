// Brevidor 200 (BV200) and Lunavex CMY 150 (LU150): CMY colour mixing with dimmer, stand-alone program
// and timers, service page 100 with the enter-service function 111.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureBrv200_20 : public TZemFixture {
 public:
  TZemFixtureBrv200_20();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  // Old firmware stores the DMX-reset flag inverted.
  [[nodiscard]] bool SetDMXReset(int flag) override;
  int GetDMXReset() override;
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

  // Adjustment positions of the model window.
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

  // List entry of a stored byte: 0 for 0..14, then bands of 20 from 15 (1..11), 12 for 235..255.
  static int Brv200ValueToIndex(int value);

 protected:
  // True for firmware that keeps the DMX-reset bit inverted (2.3 build 0 and older).
  bool dmxResetInverted();
};

class TZemFixtureLunavexCMY150_20 : public TZemFixtureBrv200_20 {
 public:
  TZemFixtureLunavexCMY150_20();

  std::string GetFixtureName() override;
  [[nodiscard]] bool SetDMXReset(int flag) override;
  int GetDMXReset() override;
};
