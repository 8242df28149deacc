// Kandrel LED strip (KANDT), shown as the Quodra 300 (sub-type 0) or Quodra 1200 (sub-type 1): a main unit
// followed by sub-devices. Live colour goes straight into the fixture's LED data. Two personality bytes are
// one-shot commands to all sub-devices (reset the DMX address, address them one after another); the record
// never keeps them set, so no later personality write can repeat a command by accident.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureKandrel : public TZemFixture {
 public:
  TZemFixtureKandrel();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  std::string GetFixtureSubTypeName() override;
  // The base read, then the one-shot command bytes cleared in the record.
  [[nodiscard]] bool ReadPersonality() override;
  [[nodiscard]] bool WritePersonality() override;
  [[nodiscard]] bool ReadAllFixtureData(const TProgressCallback& progress) override;
  [[nodiscard]] bool ReadBasicFixtureData() override;
  [[nodiscard]] bool IdlePoll(bool monitorPageShowing) override;
  // Stores the five bytes in the LED data area (also without a device), then sends them.
  [[nodiscard]] bool SendLedData(int red, int green, int blue, int amber, int white) override;

  // Personality byte 3: on the Quodra 1200 the number of pixel groups (1, 2 or 4).
  int GetModeSettings();
  [[nodiscard]] bool SetModeSettings(int mode);
  [[nodiscard]] bool ResetDMXAddressTo1();
  [[nodiscard]] bool AutoAddressSequentially();
  // Stand-alone settings bytes 4 and 5: list indexes of the dynamic sequence's wait and fade times.
  int GetDynamicWaitTimeIndex();
  int GetDynamicFadeTimeIndex();
  [[nodiscard]] bool SetDynamicWaitTimeIndex(int index);
  [[nodiscard]] bool SetDynamicFadeTimeIndex(int index);

 private:
  // Writes the personality as it stands in the record, then clears the one-shot bytes again.
  bool sendOneShot(uint8_t autoAddress, uint8_t resetAddress);
  bool setStandAloneIndex(size_t index, int value);
};
