// Bralin LED tube (BRALB): a main unit followed by a chain of segments, each a sub-device selected by
// index. Reading the fixture ends with a scan of the chain that notes each segment's auto-configure setting
// in the work buffer. Live colour goes out as extended service frames carrying the DMX address.
#pragma once

#include <string>

#include "zem/model/uZemFixture.h"

class TZemFixtureBralin : public TZemFixture {
 public:
  TZemFixtureBralin();

  const TStringList& GetErrorList() override;
  int GetDmxChannelCount() override;
  std::string GetFixtureName() override;
  // Work buffer afterwards: byte 0 is 1, byte i the auto-configure setting of segment i.
  [[nodiscard]] bool ReadAllFixtureData(const TProgressCallback& progress) override;
  // The records the window shows after it selected another segment; the scan results stay.
  [[nodiscard]] bool ReadBasicFixtureData() override;
  int GetServiceCommandPage() override;
  [[nodiscard]] bool IdlePoll(bool monitorPageShowing) override;
  int ReadEepromChunk(int address) override;
  int GetMaxMemoryAddress() override;
  // PWM values passed straight to the device.
  [[nodiscard]] bool LedOperation116(int a, int b, int c) override;
  // Red, green, blue and white as extended frames addressed to the fixture's DMX address; amber is not
  // sent. Every value (and the DMX address) is checked before the first frame.
  [[nodiscard]] bool SendLedData(int red, int green, int blue, int amber, int white) override;
  [[nodiscard]] bool LedOperation118(int a, int b) override;
};
