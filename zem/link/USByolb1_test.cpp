#include "zem/link/USByolb1.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "zem/link/link_test_support.h"

namespace {

using simfix::Fault;
using simfix::FaultSpec;

RequestFrame readRequest(char command, char subCommand) {
  RequestFrame r = DuplexTemplate;
  r[frame::kCommand] = static_cast<uint8_t>(command);
  r[frame::kSubCommand] = static_cast<uint8_t>(subCommand);
  return r;
}

bool untouched(const ReplyBuffer& reply) {
  return std::all_of(reply.begin(), reply.end(), [](uint8_t b) { return b == 0xEE; });
}

class BoxTest : public linktest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(box_.Open(0), 0);
    sim_->clearBoxCommands();
    reply_.fill(0xEE);
  }
  void TearDown() override {
    box_.Close();
    SimTest::TearDown();
  }

  int duplex(char command, char subCommand) {
    return box_.DuplexTransfer(readRequest(command, subCommand), 37, reply_, 37, kFirstByteTimeoutMs);
  }
  // Tick of the last box command with this code.
  uint32_t commandTick(uint8_t code) const {
    const auto& log = sim_->boxCommandLog();
    auto it = std::find_if(log.rbegin(), log.rend(), [code](const auto& c) { return c.code == code; });
    return it == log.rend() ? 0 : it->tick;
  }

  TUSByolb1 box_;
  ReplyBuffer reply_;
};

TEST_F(BoxTest, VersionAndSetupCommands) {
  sim_->setBoxVersion(4, 7);
  uint8_t major = 0, minor = 0;
  EXPECT_EQ(box_.GetVersion(major, minor), 0);
  EXPECT_EQ(major * 10 + minor, 47);
  EXPECT_EQ(box_.SendCommand68(29, 1), 0);
  EXPECT_EQ(box_.SendCommandB4(0), 0);
  EXPECT_EQ(box_.SendCommandB4(1), 0);
  const auto& log = sim_->boxCommandLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[1].args, (std::vector<uint8_t>{29, 1}));
  EXPECT_EQ(log[2].args, (std::vector<uint8_t>{2}));  // below 2 is sent as 2
  EXPECT_EQ(log[3].args, (std::vector<uint8_t>{2}));
}

TEST_F(BoxTest, OversizedFramesAreRefusedBeforeAnythingIsSent) {
  std::vector<uint8_t> big(65, 0x11);
  EXPECT_EQ(box_.SendFrame(big, 65), kYolbFrameTooLong);
  EXPECT_EQ(box_.DuplexTransfer(big, 65, reply_, 37, 200), kYolbFrameTooLong);
  // A reply that would not fit the caller's buffer is refused too.
  EXPECT_NE(box_.DuplexTransfer(readRequest('P', 'l'), 37, reply_, 53, 200), 0);
  EXPECT_TRUE(sim_->boxCommands().empty());
}

TEST_F(BoxTest, DuplexTransferDeliversLengthByteAndFrame) {
  ASSERT_EQ(duplex('P', 'v'), 0);
  EXPECT_EQ(reply_[0], 37);
  EXPECT_EQ(reply_[1], 0xC8);
  EXPECT_EQ(reply_[1 + frame::kSubCommand], 'v');
  EXPECT_EQ(std::string(reply_.begin() + kReplyPayload, reply_.begin() + kReplyPayload + 5), "BV200");
  EXPECT_EQ(sim_->receivedFrames().back().replyLength, 37);
}

TEST_F(BoxTest, ASilentFixtureIsAbortedAfterTheFirstByteTimeout) {
  sim_->setFault({Fault::Silent});
  EXPECT_EQ(duplex('P', 'v'), kYolbTimeout);
  EXPECT_EQ(sys::elapsedMs(commandTick(0xAA), commandTick(0xFF)), 201u);
  EXPECT_EQ(box_.LastErrorText, "WaitFor - Timeout...");
  EXPECT_TRUE(untouched(reply_));
}

TEST_F(BoxTest, TheStatusByteAfterAnAbortBecomesTheResult) {
  FaultSpec status{Fault::SilentWithStatus};
  status.statusByte = 0x55;
  sim_->setFault(status);
  EXPECT_EQ(duplex('P', 'v'), 0x55);
  EXPECT_TRUE(untouched(reply_));
}

TEST_F(BoxTest, AStatusByteOfZeroIsTheResultWithTheBufferLeftAlone) {
  FaultSpec status{Fault::SilentWithStatus};
  status.statusByte = 0;
  sim_->setFault(status);
  EXPECT_EQ(duplex('P', 'v'), 0);
  EXPECT_TRUE(untouched(reply_));  // the caller's reply check rejects it
}

TEST_F(BoxTest, AReplyThatStopsShortAnswersZeroAndLeavesTheCallersBufferAlone) {
  sim_->setFault({Fault::ShortReply, 1});
  const uint32_t start = sys::tickCount();
  EXPECT_EQ(duplex('P', 'v'), 0);
  EXPECT_GE(sys::elapsedMs(start, sys::tickCount()), 1000u);
  EXPECT_TRUE(untouched(reply_));
}

TEST_F(BoxTest, LateBytesOfATimedOutExchangeDoNotCorruptTheNext) {
  for (uint32_t late : {300u, 1500u}) {
    SCOPED_TRACE(late);
    FaultSpec lateReply{Fault::LateBytesAfterTimeout, 1};
    lateReply.lateByMs = late;
    sim_->setFault(lateReply);
    EXPECT_NE(duplex('P', 'l'), 0);
    clock_->advance(late);  // whatever was still in flight has landed by now
    ASSERT_EQ(duplex('P', 'v'), 0);
    EXPECT_EQ(reply_[0], 37);
    EXPECT_EQ(reply_[1 + frame::kSubCommand], 'v');
    EXPECT_EQ(reply_[kReplyPayload], 'B');
    ASSERT_EQ(box_.Chip->GetQueueStatus(), FT_OK);
    EXPECT_EQ(box_.Chip->RxBytes, 0u);  // nothing of either exchange left over
  }
}

TEST_F(BoxTest, WaitsRunTheirFullLengthAcrossTheTickWrap) {
  clock_->set(0xFFFFFFA0u);  // 96 ms before the wrap
  sim_->setFault({Fault::Silent});
  EXPECT_EQ(duplex('P', 'v'), kYolbTimeout);
  EXPECT_GE(commandTick(0xAA), 0xFFFFFFA0u);
  EXPECT_EQ(commandTick(0xFF), commandTick(0xAA) + 201u);  // past the wrap, neither early nor late
  EXPECT_LT(commandTick(0xFF), 0x100u);
  sim_->setFault({Fault::None});
  clock_->set(0xFFFFFFFEu);
  EXPECT_EQ(duplex('P', 'v'), 0);
}

// The virtual clock, counting the pauses of busy-wait loops: each one is a wake-up on the real clock.
class WakeUpCountingClock : public sys::VirtualClock {
 public:
  using VirtualClock::VirtualClock;
  void poll() override {
    ++wakeUps;
    VirtualClock::poll();
  }
  void pollFor(uint32_t ms) override {
    ++wakeUps;
    VirtualClock::pollFor(ms);
  }
  int wakeUps = 0;
};

TEST_F(BoxTest, ALongWaitWakesRarelyAndStillSeesALateAnswerSoon) {
  WakeUpCountingClock counting(clock_->tick());
  sys::setClock(&counting);
  // A silent fixture: 200 ms to the abort, a second for the box's status byte, the late bytes flushed.
  sim_->setFault({Fault::Silent});
  EXPECT_EQ(duplex('P', 'v'), kYolbTimeout);
  EXPECT_EQ(sys::elapsedMs(commandTick(0xAA), commandTick(0xFF)), 201u);
  EXPECT_LT(counting.wakeUps, 200) << "1.2 s of waiting; a look every millisecond makes 1200";
  // A fixture that answers late, inside the time-out: taken within a few ms of its landing.
  FaultSpec late{Fault::LateFirstByte, 1};
  late.lateByMs = 150;
  sim_->setFault(late);
  const uint32_t start = sys::tickCount();
  EXPECT_EQ(duplex('P', 'v'), 0);
  EXPECT_EQ(reply_[1 + frame::kSubCommand], 'v');
  EXPECT_LE(sys::elapsedMs(start, sys::tickCount()), 150u + 16u + 8u);
  sys::setClock(&*clock_);
}

TEST_F(BoxTest, AnUnacknowledgedFrameTimesOutWithItsOwnErrorText) {
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_EQ(box_.SendFrame(readRequest('P', 'L'), 52), kYolbTimeout);
  EXPECT_EQ(box_.LastErrorText, "WaitForAcknowledge - Timeout...");
  EXPECT_EQ(box_.SendFrame(readRequest('P', 'L'), 52), 0);
}

}  // namespace
