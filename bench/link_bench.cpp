// Cost of the fixture link against the simulated box and fixture.
//
// The virtual clock stands in for the wire: the simulator's answers arrive at
// virtual ticks and every busy-wait pass moves the clock by 1 ms, so no real
// time is spent waiting. The CPU time per iteration is therefore the link's
// own work (with the simulator's in-process D2XX calls it makes), and the
// "virtual_ms" counters give the time the same work takes on the wire.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/bench_support.h"
#include "platform/sys/clock.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/Debug.h"
#include "zem/link/USByolb1.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"

namespace {

using benchsupport::g_sim;
using benchsupport::virtualTick;

// Counts busy-wait passes (each one a queue poll) while moving the clock like the test clock does.
class CountingClock : public sys::VirtualClock {
 public:
  void poll() override {
    ++polls;
    VirtualClock::poll();
  }
  void pollFor(uint32_t ms) override {
    ++polls;
    VirtualClock::pollFor(ms);
  }
  uint64_t polls = 0;
};

struct Session {
  Session() {
    sys::setClock(&clock);
    g_sim->reset();
    g_sim->setTickSource(&virtualTick, nullptr);
    InitZemData();
    (void)CreateDevice(Device);  // the simulator is the device; Open below raises if it is not there
    Device->Open();
    if (!Device->GetSerialNumber()) throw std::runtime_error("the simulated fixture does not answer");
  }
  ~Session() {
    FreeDevice();
    g_sim->setTickSource(nullptr, nullptr);
    sys::setClock(nullptr);
  }
  CountingClock clock;
};

// One duplex exchange at the box layer: request out, 38 reply bytes in.
void BM_DuplexTransfer(benchmark::State& state) {
  Session s;
  RequestFrame request = DuplexRequest;
  request[frame::kCommand] = 'P';
  request[frame::kSubCommand] = 'l';
  ReplyBuffer reply{};
  const uint32_t start = sys::tickCount();
  const uint64_t polls = s.clock.polls;
  for (auto _ : state) {
    constexpr int kLength = static_cast<int>(frame::kWireLength);
    int code = InterfaceBox->DuplexTransfer(request, kLength, reply, kLength, kFirstByteTimeoutMs);
    benchmark::DoNotOptimize(code);
    if (code != 0) state.SkipWithError("exchange failed");
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["virtual_ms"] = sys::elapsedMs(start, sys::tickCount()) / n;
  state.counters["polls"] = static_cast<double>(s.clock.polls - polls) / n;
}
BENCHMARK(BM_DuplexTransfer);

// One full device read: request built, exchange, reply checked, payload stored, log line written.
void BM_DeviceRead(benchmark::State& state) {
  Session s;
  const uint32_t start = sys::tickCount();
  for (auto _ : state) {
    if (!Device->GetLampStatus()) state.SkipWithError("read failed");
  }
  state.counters["virtual_ms"] =
      sys::elapsedMs(start, sys::tickCount()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DeviceRead);

// The memory download's inner loop for the largest fixtures: 2048 words in chunks of 4.
void BM_ReadEEProm2048Words(benchmark::State& state) {
  Session s;
  g_sim->setEEPromSize(2048);
  uint32_t virtualMs = 0;
  for (auto _ : state) {
    const uint32_t start = sys::tickCount();
    for (int address = 0; address < 2048; address += 4) {
      if (!Device->ReadEEProm(address, 4)) state.SkipWithError("read failed");
    }
    virtualMs = sys::elapsedMs(start, sys::tickCount());
  }
  state.counters["virtual_ms"] = virtualMs;
  state.counters["exchanges"] = 512;
}
BENCHMARK(BM_ReadEEProm2048Words)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::runAgainstSimulator(argc, argv, ZEM_BENCH_SIM_LIBRARY);
}
