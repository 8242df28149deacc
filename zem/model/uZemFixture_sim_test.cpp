// The fixture model end to end: real device, real box layer, simulated box and fixture.
// Every assertion counts or inspects what the simulated fixture received.
#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/ui/message_box.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/link/link_test_support.h"
#include "zem/model/model_test_support.h"
#include "zem/model/uZemFixture.h"

namespace {

// A model as the model classes build on the base: page 100, enter-service function 111.
class SimModel : public TZemFixture {
 public:
  using TZemFixture::sendIdle;
  using TZemFixture::sendLive;
  using TZemFixture::sendPair;
  using TZemFixture::sendScene;
  int GetServiceCommandPage() override { return 100; }
  void setLongLog(bool on) { longLog_ = on; }
};

class FixtureSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = linktest::simControl();
    ASSERT_NE(sim, nullptr) << "the simulator library is missing";
    InitZemData();
    ui::clearShownMessageBoxes();
    sim->reset();
    sim->setTickSource(&linktest::virtualTick, nullptr);
    ASSERT_TRUE(CreateDevice(Device));
    Device->Open();
    // Identify as the main window does: serial first (addresses every later request), then the info.
    ASSERT_TRUE(model.ReadSerialNumber());
    ASSERT_TRUE(model.ReadFixtureInfo());
    sim->clearReceivedFrames();
    sim->clearServiceFrames();
  }
  void TearDown() override {
    FreeDevice();
    if (sim) {
      sim->setTickSource(nullptr, nullptr);
      sim->reset();
    }
  }

  // Frames the fixture received with these letters (reads 'V', writes 'W' / 'F').
  int framesWith(char command, char subCommand, char direction) const {
    int n = 0;
    for (const auto& f : sim->receivedFrames()) {
      if (f.bytes.size() >= 7 && f.bytes[4] == command && f.bytes[5] == subCommand && f.bytes[6] == direction)
        ++n;
    }
    return n;
  }
  std::vector<uint8_t> personality() const { return sim->group('P', 'p'); }

  sys::ScopedVirtualClock clock;
  simfix::Control* sim = nullptr;
  SimModel model;
};

// ---- service frames ----

TEST_F(FixtureSimTest, ServiceCommandSendsTwoFramesDifferingOnlyInTheArgument) {
  ASSERT_TRUE(model.SendServiceCommand(81, 0, 44));
  const auto& frames = sim->serviceFrames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].code, 0x8B);
  EXPECT_EQ(frames[0].typeCode, "BV200");
  EXPECT_EQ(frames[0].function, 81);
  EXPECT_EQ(frames[0].page, 100);
  EXPECT_EQ(frames[0].argument, 0);
  EXPECT_EQ(frames[1].argument, 44);
  std::vector<uint8_t> first = frames[0].bytes, second = frames[1].bytes;
  ASSERT_EQ(first.size(), 37u);
  first[15] = second[15] = 0;
  EXPECT_EQ(first, second);
}

TEST_F(FixtureSimTest, PairSendsFourFramesClosingWithArgument44) {
  model.sendPair(84, 1);
  const auto& frames = sim->serviceFrames();
  ASSERT_EQ(frames.size(), 4u);
  const int arguments[] = {0, 0, 0, 44};
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(frames[k].bytes[11], 84);
    EXPECT_EQ(frames[k].bytes[12], 0);
    EXPECT_EQ(frames[k].bytes[13], 1);
    EXPECT_EQ(frames[k].argument, arguments[k]);
  }
}

TEST_F(FixtureSimTest, LiveValueGoesOutAfterTheEnterPrefixHighByteFirst) {
  EXPECT_TRUE(model.sendLive(111, 100, 300));
  const auto& frames = sim->serviceFrames();
  ASSERT_EQ(frames.size(), 6u);
  EXPECT_EQ(frames[0].function, 111);
  EXPECT_EQ(frames[1].function, 111);
  EXPECT_EQ(frames[1].argument, 0);
  EXPECT_EQ(frames[2].function, 100);
  EXPECT_EQ(frames[2].bytes[12], 1);
  EXPECT_EQ(frames[2].bytes[13], 44);
  EXPECT_EQ(frames[5].argument, 44);
}

TEST_F(FixtureSimTest, UnacknowledgedFirstFrameSuppressesTheClosingFrame) {
  simfix::FaultSpec fault;
  fault.fault = simfix::Fault::NoAcknowledge;
  fault.count = 1;
  sim->setFault(fault);
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
  ASSERT_EQ(sim->serviceFrames().size(), 1u);  // the fixture got the frame; the box never confirmed it
  EXPECT_EQ(sim->serviceFrames()[0].argument, 0);
  EXPECT_EQ(ui::shownMessageBoxes().size(), 1u);  // the device layer's own message
}

TEST_F(FixtureSimTest, RefusedValuesReachNothing) {
  EXPECT_THROW((void)model.sendLive(111, 100, 65536), ERangeError);
  EXPECT_THROW((void)model.SendServiceCommand(256, 0, 44), ERangeError);
  EXPECT_THROW((void)model.SetDmxProtocol(256), ERangeError);
  EXPECT_THROW((void)model.SetSensorTriggerWord(65536), ERangeError);
  EXPECT_TRUE(sim->serviceFrames().empty());
  EXPECT_TRUE(sim->receivedFrames().empty());
}

TEST_F(FixtureSimTest, ExtendedFrameCarriesTheExtraValue) {
  ASSERT_TRUE(model.SendServiceCommand237(101, 20, 44, 0x0203));
  ASSERT_EQ(sim->serviceFrames().size(), 1u);
  const auto& f = sim->serviceFrames()[0];
  EXPECT_EQ(f.code, 0xED);
  EXPECT_EQ(f.extraValue, 0x0203);
  EXPECT_EQ(f.value, 20);
  EXPECT_EQ(f.argument, 44);
}

TEST_F(FixtureSimTest, SceneOperationSendsThenReadsTheProgram) {
  EXPECT_TRUE(model.sendScene(111, 113, 0));
  EXPECT_EQ(sim->serviceFrames().size(), 6u);
  EXPECT_EQ(framesWith('A', 'a', 'V'), 1);
}

TEST_F(FixtureSimTest, IdleIsOneFrame) {
  EXPECT_TRUE(model.sendIdle(111));
  EXPECT_EQ(sim->serviceFrames().size(), 1u);
  EXPECT_FALSE(MP2Idle);
}

TEST_F(FixtureSimTest, WithoutADeviceNothingIsSent) {
  FreeDevice();
  EXPECT_FALSE(model.SendServiceCommand(81, 0, 44));
  EXPECT_FALSE(model.sendScene(111, 113, 0));
  EXPECT_FALSE(model.SetDmxAddress(9));
  EXPECT_TRUE(sim->serviceFrames().empty());
  EXPECT_TRUE(sim->receivedFrames().empty());
}

// ---- setter rule ----

TEST_F(FixtureSimTest, EqualValueCostsOneReadAndNoWrite) {
  auto p = personality();
  p.resize(14);
  p[2] = 3;  // DMX protocol
  sim->setGroup('P', 'p', p);
  EXPECT_TRUE(model.SetDmxProtocol(3));
  EXPECT_EQ(framesWith('P', 'p', 'V'), 1);
  EXPECT_EQ(framesWith('P', 'P', 'W'), 0);
}

TEST_F(FixtureSimTest, StaleRecordDoesNotCauseAWrite) {
  auto p = personality();
  p.resize(14);
  p[0] = 1;
  p[1] = 0;
  sim->setGroup('P', 'p', p);
  FixtureData[fd::kPersonality] = 5;  // stale
  EXPECT_TRUE(model.SetDmxAddress(1));
  EXPECT_EQ(framesWith('P', 'P', 'W'), 0);
}

TEST_F(FixtureSimTest, NewWordValueReachesTheFixtureLowByteFirst) {
  EXPECT_TRUE(model.SetDmxAddress(300));
  EXPECT_EQ(framesWith('P', 'P', 'W'), 1);
  EXPECT_EQ(personality()[0], 44);
  EXPECT_EQ(personality()[1], 1);
  EXPECT_EQ(model.GetDmxAddress(), 300);  // read back after the write
}

TEST_F(FixtureSimTest, FlagSetterKeepsTheFixturesOtherBits) {
  auto p = personality();
  p.resize(14);
  p[8] = 0b101;
  sim->setGroup('P', 'p', p);
  EXPECT_TRUE(model.SetPanInvert(1));
  EXPECT_EQ(personality()[8], 0b111);
}

TEST_F(FixtureSimTest, SegmentAutoConfigureFollowsTheSetterRule) {
  auto p = personality();
  p.resize(14);
  p[9] = 0x00;
  sim->setGroup('P', 'p', p);
  FixtureData[fd::kPersonality + 9] = 0x10;  // the record claims it is already on
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_EQ(framesWith('P', 'P', 'W'), 1);
  EXPECT_EQ(personality()[9], 0x10);
}

TEST_F(FixtureSimTest, SegmentAutoConfigureAlreadyOnCostsOneRead) {
  ASSERT_TRUE(model.EnableSegmentAutoConfigure());
  sim->clearReceivedFrames();
  EXPECT_TRUE(model.EnableSegmentAutoConfigure());
  EXPECT_EQ(framesWith('P', 'p', 'V'), 1);
  EXPECT_EQ(framesWith('P', 'P', 'W'), 0);
}

TEST_F(FixtureSimTest, ClockHourKeepsByteSeven) {
  sim->setGroup('P', 's', {0, 24, 5, 17, 0, 10, 20, 33});
  EXPECT_TRUE(model.SetClockHour(11));
  EXPECT_EQ(sim->group('P', 's')[7], 33);
}

TEST_F(FixtureSimTest, ClockMinuteClearsByteSevenOnTheFixture) {
  sim->setGroup('P', 's', {0, 24, 5, 17, 0, 10, 20, 33});
  EXPECT_TRUE(model.SetClockHour(11));
  EXPECT_TRUE(model.SetClockMinute(45));
  EXPECT_EQ(sim->group('P', 's')[6], 45);
  EXPECT_EQ(sim->group('P', 's')[7], 0);
  EXPECT_EQ(framesWith('P', 'S', 'W'), 2);
}

TEST_F(FixtureSimTest, TimerSettingIsEchoWritten) {
  sim->setGroup('P', 'b', std::vector<uint8_t>(10, 0));
  EXPECT_TRUE(model.SetTimer2StopMinute(59));
  EXPECT_EQ(framesWith('P', 'B', 'F'), 1);
  EXPECT_EQ(sim->group('P', 'b')[9], 59);
}

TEST_F(FixtureSimTest, SensorWordAndSequenceReachTheirBytes) {
  EXPECT_TRUE(model.SetSensorTriggerWord(0x1234));
  EXPECT_EQ(sim->group('P', 'd')[1], 0x34);
  EXPECT_EQ(sim->group('P', 'd')[2], 0x12);
  EXPECT_TRUE(model.SetStandAloneSequence(4));
  EXPECT_EQ(sim->group('P', 'a')[3], 4);
}

TEST_F(FixtureSimTest, CounterAlreadyZeroIsNotWritten) {
  sim->setGroup('P', 'l', std::vector<uint8_t>(15, 0));
  EXPECT_TRUE(model.ResetResettableLampOnHours());
  EXPECT_EQ(framesWith('P', 'L', 'W'), 0);
}

TEST_F(FixtureSimTest, CounterResetClearsOnlyItsCounter) {
  std::vector<uint8_t> lamp(15, 0);
  lamp[9] = 7;
  lamp[1] = 99;
  sim->setGroup('P', 'l', lamp);
  EXPECT_TRUE(model.ResetResettableLampOnHours());
  EXPECT_EQ(framesWith('P', 'L', 'W'), 1);
  EXPECT_EQ(sim->group('P', 'l')[9], 0);
  EXPECT_EQ(sim->group('P', 'l')[1], 99);
}

// ---- EEPROM and log ----

TEST_F(FixtureSimTest, EepromChunkReadsOneWordLowByteFirst) {
  sim->setEEPromWord(5, 0xA55A);
  EXPECT_EQ(model.ReadEepromChunk(5), 1);
  EXPECT_EQ(FixtureData[fd::kEEPromWords], 0x5A);
  EXPECT_EQ(FixtureData[fd::kEEPromWords + 1], 0xA5);
}

TEST_F(FixtureSimTest, EepromBlockWriteWritesAChunkOfFourWords) {
  for (size_t k = 0; k < 8; ++k) FixtureData[fd::kEEPromWords + k] = static_cast<uint8_t>(0x10 + k);
  EXPECT_EQ(model.WriteEepromBlock(100, 10, model.GetEepromSettleTime()), 4);
  EXPECT_EQ(sim->eepromWord(100), 0x1110);
  EXPECT_EQ(sim->eepromWord(103), 0x1716);
  EXPECT_EQ(sim->eepromWord(104), 104);  // untouched: the default pattern
}

TEST_F(FixtureSimTest, LongLogEntryFromTheFixture) {
  model.setLongLog(true);
  simfix::LongLogEntry e;
  e.timeStamp = {12, 24, 18, 5};
  e.type = 0xE123;
  e.text = "Overheat";
  sim->setLongLogEntries({e});
  std::string text;
  EXPECT_TRUE(model.FormatLogEntry(0, text));
  EXPECT_EQ(text, "24/12-18:05 - WARNING - Overheat");
  EXPECT_TRUE(model.ReadLogCount());
}

}  // namespace
