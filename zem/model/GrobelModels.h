// The Grobel family (type code GRB__): Grobel 200 CMYI (sub-type 0), Grobel 200 CI (1) and Quintel CMYI
// (4). Service page 100 with the service-mode function 48 ahead of every scene and live command; a system
// log read in full with the fixture and decoded into text. The Brevidor 1200 family builds on it.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureGrobel200CMYI : public TZemFixture {
 public:
  TZemFixtureGrobel200CMYI();

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
  [[nodiscard]] bool SetWaitTimeSeconds(int seconds) override;
  [[nodiscard]] bool SetFadeTimeSeconds(int seconds) override;
  int ReadEepromChunk(int address) override;
  int GetMaxMemoryAddress() override;
  void GetStandAloneAddressList(TAddressList& list) override;
  void GetSettingsAddressList(TAddressList& list) override;
  void GetMemoryAddressList(TAddressList& list) override;
  std::string DecodeLogText() override;
  void ResetFixture() override;
  void LampOff() override;
  void LampOn() override;
  int GetWaitTimeSeconds() override;
  int GetFadeTimeSeconds() override;

  // Adjustment buttons of the Grobel, Quintel and Brevidor 1200 windows: open 0, closed 1, sensor 2.
  void AdjustAllOpen();
  void AdjustAllClosed();
  void AdjustDimmerOpen();
  void AdjustDimmerClosed();
  void GrobelAdjust73_2();
  void AdjustCyanOpen();
  void AdjustCyanClosed();
  void GrobelAdjust74_2();
  void AdjustMagentaOpen();
  void AdjustMagentaClosed();
  void GrobelAdjust75_2();
  void AdjustYellowOpen();
  void AdjustYellowClosed();
  void GrobelAdjust76_2();
  void AdjustColor(int position);

  // Entries the log loop reads at most: the entry index is 16-bit.
  static constexpr int kMaxLogEntries = 0x10000;

 protected:
  // Enter, then the pair; the value is checked before the enter goes out.
  void sendEnteredPair(int function, int value);
  // Hours (mod 18), minutes and seconds of s, each as enter plus a pair with its function.
  void sendTime(int seconds, int hourFunction, int minuteFunction, int secondFunction);
};

class TZemFixtureGrobel200CI : public TZemFixtureGrobel200CMYI {
 public:
  TZemFixtureGrobel200CI();

  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  [[nodiscard]] bool SetLiveColor(int position) override;
};

class TZemFixtureQuintelCMYI : public TZemFixtureGrobel200CMYI {
 public:
  TZemFixtureQuintelCMYI();

  const TStringList& GetErrorList() override;
  std::string GetFixtureName() override;
};
