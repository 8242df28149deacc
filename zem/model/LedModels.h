// Brevidor 200 LED (BV20L) and Brevidor 400 LED Series (BV40L): red, green, blue, amber and white LEDs,
// no lamp commands, no system log. Stand-alone programs fill EEPROM 256..1535; uploads settle quickly but
// keep the user waiting while the fixture restarts. The 400 LED Series reads its board serial and five LED
// descriptions and shows the board serial in its name.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureBV20L : public TZemFixture {
 public:
  TZemFixtureBV20L();

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
  // Off the monitor page every fourth tick (counted across all objects of the family) sends function 48;
  // on it, the next monitor page is read and nothing is sent.
  [[nodiscard]] bool IdlePoll(bool monitorPageShowing) override;
  [[nodiscard]] bool SetWaitTimeSeconds(int seconds) override;
  [[nodiscard]] bool SetFadeTimeSeconds(int seconds) override;
  [[nodiscard]] bool SetLiveRed(int value) override;
  [[nodiscard]] bool SetLiveGreen(int value) override;
  [[nodiscard]] bool SetLiveBlue(int value) override;
  [[nodiscard]] bool SetLiveAmber(int value) override;
  [[nodiscard]] bool SetLiveWhite(int value) override;
  int ReadEepromChunk(int address) override;
  int GetMaxMemoryAddress() override;
  void GetStandAloneAddressList(TAddressList& list) override;
  void GetSettingsAddressList(TAddressList& list) override;
  void ResetFixture() override;
  int GetWaitTimeSeconds() override;
  int GetFadeTimeSeconds() override;
  int GetResetOKDelay() override;
  int GetEepromSettleTime() override;

 protected:
  // One scene function as a single command, then the stand-alone program read.
  bool sendLedScene(int function);
  // The live prefix (function 111), then one command with the level; the level is checked first.
  bool sendLedLevel(int function, int level);
  // Function 48, then the time's pair; the time is checked first.
  bool sendLedTime(int function, int seconds);
};

class TZemFixtureBV40L : public TZemFixtureBV20L {
 public:
  TZemFixtureBV40L();

  int GetDmxChannelCount() override;
  // "Brevidor 400 LED Series", followed by the board serial in brackets when there is one; the serial is
  // made safe for use in a folder name.
  std::string GetFixtureName() override;
  // The 200 LED's reads, then the board serial and all five LED descriptions; false when any of them fails.
  [[nodiscard]] bool ReadAllFixtureData(const TProgressCallback& progress) override;
};
