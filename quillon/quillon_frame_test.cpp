// Port threads and frame commands: frames from and to simulated boxes, driven through Quillon only.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/wdu/wdu.h"
#include "quillon/quillon_test_support.h"

namespace quillon::testing {
namespace {

class Frames : public QuillonHost {
 protected:
  void SetUp() override {
    QuillonHost::SetUp();
    init();
    openBox(1);
    box = boxes.back();
    address = bus->addresses().at(0);
  }
  // Directions: bit 0 makes port 0 an input, bit 1 port 1.
  void directions(int bits) { ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 1, bits), 0u); }
  simusb::DmxSlots read(int port) {
    simusb::DmxSlots s{};
    EXPECT_EQ(Q(DMX_CMD_READ_FRAME, 1, port, s.data()), 0u);
    return s;
  }
  static simusb::DmxSlots uniform(uint8_t v) {
    simusb::DmxSlots s;
    s.fill(v);
    return s;
  }
  // Bulk IN reads on the port's endpoint: (bytes asked, first index of what came).
  std::vector<std::pair<uint32_t, int>> bulkReads(uint8_t endpoint) {
    std::vector<std::pair<uint32_t, int>> out;
    for (const auto& t : bus->transfers()) {
      if (t.pipe != endpoint || !t.in || t.status != 0) continue;
      out.emplace_back(t.requested, t.data.size() >= 2 ? t.data[0] | t.data[1] << 8 : -1);
    }
    return out;
  }
  std::shared_ptr<simusb::SimDmxBox> box;
  uint32_t address = 0;
};

TEST_F(Frames, AnInputFrameReachesTheHostWhole) {
  uint32_t tick = 99;
  EXPECT_EQ(Q(DMX_CMD_GET_FRAME_TIME, 1, 0, &tick), 0u);
  EXPECT_EQ(tick, 0u) << "no frame yet";
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "starts the reader";
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 2; })) << "the reader watches the counter";
  box->receiveFrame(0, pattern(1));
  ASSERT_TRUE(waitForNotification(kNotifyInputFrame, 0));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_DMX_DATA_READY);
  EXPECT_EQ(read(0), pattern(1));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "consumed";
  EXPECT_EQ(Q(DMX_CMD_GET_FRAME_TIME, 1, 0, &tick), 0u);
  EXPECT_NE(tick, 0u);
  EXPECT_EQ(read(1), simusb::DmxSlots{}) << "a port without a frame reads zeros";
}

TEST_F(Frames, AnOutputFrameIsPackedSentAndReported) {
  directions(0);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "starts the writer";
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_DMX_DATA_READY) << "nothing waits to be sent";
  const auto slots = pattern(2);
  EXPECT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, const_cast<uint8_t*>(slots.data())), 0u);
  ASSERT_TRUE(waitForNotification(kNotifyOutputTaken, 0));
  EXPECT_TRUE(waitUntil([&] { return box->lastOutput(0) == slots; }));
  EXPECT_EQ(box->badOutputFrames(0), 0u) << "every packet index and the trailer as the box checks them";
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_DMX_DATA_READY);
}

TEST_F(Frames, TwoWritesBeforeTheWriterPacksAreSentAsTheLatestFrame) {
  directions(0);
  box->holdOutput(0, true);  // the writer's transfer waits until both frames are written
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  ASSERT_TRUE(bus->waitForWaitingTransfers(address, 1, kWaitMs));
  auto a = pattern(3), b = pattern(4);
  EXPECT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, a.data()), 0u);
  EXPECT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, b.data()), 0u);
  box->holdOutput(0, false);
  ASSERT_TRUE(waitUntil([&] { return Q(DMX_CMD_POLL, 1, 0) == DMX_ST_DMX_DATA_READY; }));
  // The frame counts as taken before its notice is posted: wait for the notice, then for the box.
  ASSERT_TRUE(waitForNotification(kNotifyOutputTaken, 0));
  EXPECT_TRUE(waitUntil([&] { return box->lastOutput(0) == b; }));
  EXPECT_EQ(count(kNotifyOutputTaken, 0), 1u) << "packed once";
}

TEST_F(Frames, SendOnChangeSendsEachWrittenFrameOnce) {
  directions(0);
  ASSERT_EQ(Q(DMX_CMD_SET_MODE16, 1, 0), 0u);
  for (uint8_t i = 1; i <= 3; ++i) {
    auto slots = uniform(i);
    ASSERT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, slots.data()), 0u);
    ASSERT_TRUE(waitUntil([&] { return box->outputFrames(0) >= i; }));
  }
  EXPECT_EQ(box->outputFrames(0), 3u);
  EXPECT_EQ(count(kNotifyOutputTaken, 0), 3u);
  EXPECT_EQ(box->lastOutput(0), uniform(3));

  ASSERT_EQ(Q(DMX_CMD_SET_MODE32, 1, 0), 0u);  // any other mode: frames back to back again
  auto slots = uniform(4);
  ASSERT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, slots.data()), 0u);
  EXPECT_TRUE(waitUntil([&] { return box->outputFrames(0) > 10; }));
}

enum class Damage { MisalignedStart, ShortFrame };

void PrintTo(Damage d, std::ostream* os) {
  *os << (d == Damage::MisalignedStart ? "MisalignedStart" : "ShortFrame");
}

class Resync : public Frames, public ::testing::WithParamInterface<Damage> {};

TEST_P(Resync, TheReaderReadsPacketByPacketToAFramesEndAndTheHostSeesOnlyWholeFrames) {
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 2; }));
  box->receiveFrame(0, uniform(9));  // a good frame first
  ASSERT_TRUE(waitForNotification(kNotifyInputFrame, 0));
  bus->clearTransfers();
  if (GetParam() == Damage::MisalignedStart) {
    box->injectMisalignedStart(0, 1);  // the frame starts at index 62
  } else {
    box->injectShortFrame(0, 1);  // one packet with index 0, then a zero-length packet
  }
  box->receiveFrame(0, uniform(1));
  box->receiveFrame(0, uniform(2));
  ASSERT_TRUE(waitUntil([&] {
    const auto reads = bulkReads(0x81);
    return !reads.empty() && reads.back() == std::make_pair(64u, 496);
  })) << "resynchronised on the last packet of a frame";
  EXPECT_EQ(count(kNotifyInputFrame, 0), 1u) << "the damaged frame is no frame";
  EXPECT_EQ(read(0), uniform(9)) << "the packets read to resynchronise leave the last good frame alone";
  box->receiveFrame(0, uniform(3));
  box->receiveFrame(0, uniform(4));
  ASSERT_TRUE(waitForNotification(kNotifyInputFrame, 0, 2));
  const auto got = read(0);
  EXPECT_TRUE(got == uniform(3) || got == uniform(4)) << "a whole frame, slot 0 = " << int(got[0]);

  const auto reads = bulkReads(0x81);
  ASSERT_GE(reads.size(), 3u);
  EXPECT_EQ(reads[0].first, 576u);
  EXPECT_EQ(reads[0].second, GetParam() == Damage::MisalignedStart ? 62 : 0);
  size_t i = 1;
  while (i < reads.size() && reads[i].first == 64) ++i;
  ASSERT_LT(i, reads.size());
  EXPECT_EQ(reads[i - 1].second, 496) << "64-byte reads up to the packet with index 496";
  EXPECT_EQ(reads[i], std::make_pair(576u, 0)) << "then whole frames again";
}

INSTANTIATE_TEST_SUITE_P(Damages, Resync, ::testing::Values(Damage::MisalignedStart, Damage::ShortFrame),
                         ::testing::PrintToStringParamName());

TEST_F(Frames, AnInputTimeOutRestartsAtFullFrameSize) {
  wdu::testing::VirtualBusTime time(bus, 0);  // the read's time-out passes at once
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 2; }));
  box->injectInputTimeouts(0, 1);
  box->receiveFrame(0, uniform(5));
  ASSERT_TRUE(waitUntil([&] {
    const auto log = bus->transfers();
    return std::any_of(log.begin(), log.end(),
                       [](const auto& t) { return t.pipe == 0x81 && t.status == wdu::kTimeout; });
  }));
  box->receiveFrame(0, uniform(6));  // the counter moves again: a whole frame is read
  ASSERT_TRUE(waitForNotification(kNotifyInputFrame, 0));
  const auto got = read(0);
  EXPECT_TRUE(got == uniform(5) || got == uniform(6));
  const auto reads = bulkReads(0x81);
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads.back().first, 576u);
}

TEST_F(Frames, StopEndsTheThreadsUntilAPortModeClearsIt) {
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_STOP_IO, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), DMX_ST_FORCED_EXIT);
  auto slots = pattern(1);
  EXPECT_EQ(Q(DMX_CMD_WRITE_FRAME, 1, 0, slots.data()), DMX_ST_FORCED_EXIT);
  EXPECT_EQ(Q(DMX_CMD_READ_FRAME, 1, 0, slots.data()), DMX_ST_FORCED_EXIT);
  ASSERT_EQ(Q(DMX_CMD_SET_MODE0_VALUE, 1, 1, asData(7)), 0u);
  bus->clearTransfers();
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u) << "starts the reader again";
  EXPECT_TRUE(waitUntil([&] { return !requests(0x18).empty(); }));
}

TEST_F(Frames, AWriterFailureIsReportedAndStopsTheOtherPortToo) {
  directions(2);  // port 0 output, port 1 input
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 2; }));
  bus->injectFault(address, {simusb::FaultKind::Status, 0x01, 1, 0x20000042});
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  ASSERT_TRUE(waitForNotification(kNotifyWriterFailed, 0x20000042));
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), DMX_ST_FORCED_EXIT);
  EXPECT_EQ(Q(DMX_CMD_STOP_IO, 1), 0u);  // joins both threads: the reader has ended
  ASSERT_EQ(Q(DMX_CMD_SET_MODE32, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);
}

TEST_F(Frames, TheHostNeverSeesAMixedFrame) {
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  ASSERT_TRUE(waitUntil([&] { return requests(0x18).size() >= 2; }));
  bus->setTransferLog(false);
  constexpr int kFrames = 40;
  std::atomic<bool> done{false};
  int sent = 0;
  std::thread line([&] {
    // Each frame arrives once the reader has taken the one before: the reader stores frames as fast as
    // it can while the host copies them out. The bound is per frame: a loaded machine slows every frame.
    for (int i = 1; i <= kFrames; ++i) {
      box->receiveFrame(0, uniform(static_cast<uint8_t>(i)));
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
      while (box->queuedInputPackets(0) > 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::yield();
      if (box->queuedInputPackets(0) > 0) break;
      sent = i;
    }
    done = true;
  });
  int mixed = 0;
  uint32_t reads = 0;
  while (!done || reads < 50) {
    const auto s = read(0);
    ++reads;
    for (uint8_t v : s) mixed += v != s[0] ? 1 : 0;
  }
  line.join();
  EXPECT_EQ(sent, kFrames) << "the reader took every frame";
  EXPECT_EQ(mixed, 0);
  EXPECT_TRUE(waitForNotification(kNotifyInputFrame, 0, kFrames / 2)) << "the frames did reach the host";
}

}  // namespace
}  // namespace quillon::testing
