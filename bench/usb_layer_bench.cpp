// The USB layer's own CPU cost per control transfer and per 64-byte bulk packet.
//
// The device answers at once and the bus adds no latency and keeps no log, so no simulated wire
// time is spent. Each transfer runs twice: through the layer (wdu::Transfer, wdu::TransferBulk) and
// straight into the bus's backend interface; the difference is the layer's own work (handle
// look-up, argument checks, in-flight counting). Also: how long 255 boxes take to attach.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/wdu/backend.h"
#include "platform/wdu/sim_testing.h"
#include "sim/usb/sim_dmx_box.h"

namespace {

constexpr uint8_t kBulkIn = 0x81;
constexpr uint8_t kBulkOut = 0x01;
constexpr uint8_t kStatusSetup[8] = {0xC0, 0x18, 0, 0, 0, 0, 4, 0};

// Answers every request and packet at once.
class InstantDevice : public simusb::Device {
 public:
  wdu::DeviceInfo info() override {
    wdu::DeviceInfo info;
    info.vendorId = 0x1234;
    info.productId = 1;
    wdu::InterfaceInfo iface;
    iface.alts.push_back({0, 0xFF, 0, 0, {{kBulkIn, 2, 64, 0}, {kBulkOut, 2, 64, 0}}});
    info.interfaces.push_back(iface);
    return info;
  }
  simusb::Reply control(const simusb::Setup& s, uint8_t*) override { return simusb::Reply::ok(s.length); }
  simusb::Reply bulkOut(uint8_t, const uint8_t*, uint32_t len) override { return simusb::Reply::ok(len); }
  simusb::Reply bulkIn(uint8_t, uint8_t*, uint32_t maxPacket, bool) override {
    return simusb::Reply::ok(maxPacket);
  }
};

// Takes every device offered and counts them.
class Taker {
 public:
  wdu::Events events() {
    wdu::Events ev;
    ev.attach = [this](wdu::DeviceHandle h, const wdu::DeviceInfo&) {
      std::lock_guard<std::mutex> lock(m_);
      last_ = h;
      ++count_;
      cv_.notify_all();
      return true;
    };
    return ev;
  }
  // Waits (at most 10 s) for n attaches in all; answers the last handle.
  wdu::DeviceHandle waitFor(uint32_t n) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= n; });
    return count_ >= n ? last_ : 0;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  wdu::DeviceHandle last_ = 0;
  uint32_t count_ = 0;
};

simusb::Control* g_bus = nullptr;
wdu::Backend* g_backend = nullptr;
wdu::DeviceHandle g_handle = 0;  // the instant device, through the layer
uint32_t g_address = 0;          // the same device, on the bus

void BM_ControlTransfer_Layer(benchmark::State& state) {
  uint8_t buf[4];
  uint32_t done = 0;
  for (auto _ : state) {
    if (wdu::Transfer(g_handle, 0, true, 0, buf, sizeof(buf), &done, kStatusSetup, 1000) != wdu::kSuccess) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
}
BENCHMARK(BM_ControlTransfer_Layer)->ThreadRange(1, 8);

void BM_ControlTransfer_BusOnly(benchmark::State& state) {
  uint8_t buf[4];
  uint32_t done = 0;
  for (auto _ : state) {
    if (g_backend->control(g_address, kStatusSetup, buf, done, 1000) != wdu::kSuccess) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
}
BENCHMARK(BM_ControlTransfer_BusOnly)->ThreadRange(1, 8);

void BM_BulkPacket64_Layer(benchmark::State& state) {
  const bool in = state.range(0) != 0;
  uint8_t buf[64] = {};
  uint32_t done = 0;
  for (auto _ : state) {
    if (wdu::TransferBulk(g_handle, in ? kBulkIn : kBulkOut, in, 0, buf, sizeof(buf), &done, 1000) !=
        wdu::kSuccess) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
  state.SetLabel(in ? "IN" : "OUT");
}
BENCHMARK(BM_BulkPacket64_Layer)->Arg(1)->Arg(0);

void BM_BulkPacket64_BusOnly(benchmark::State& state) {
  const bool in = state.range(0) != 0;
  uint8_t buf[64] = {};
  uint32_t done = 0;
  for (auto _ : state) {
    if (g_backend->bulk(g_address, in ? kBulkIn : kBulkOut, buf, sizeof(buf), done, 1000) != wdu::kSuccess) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
  state.SetLabel(in ? "IN" : "OUT");
}
BENCHMARK(BM_BulkPacket64_BusOnly)->Arg(1)->Arg(0);

// 255 USB-DMX boxes plugged in: from Init until the last attach callback.
void BM_Attach255Boxes(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<uint32_t> addresses;
    for (int i = 0; i < 255; ++i) addresses.push_back(g_bus->plug(g_bus->newDmxBox({})));
    Taker taker;
    wdu::DriverHandle driver = 0;
    const wdu::MatchRow rows[] = {{simusb::kDmxVendorId, 0}};
    state.ResumeTiming();
    wdu::Init(driver, rows, taker.events(), wdu::kAcknowledge);
    if (taker.waitFor(255) == 0) state.SkipWithError("not every box attached");
    state.PauseTiming();
    wdu::Uninit(driver);
    for (uint32_t a : addresses) g_bus->unplug(a);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Attach255Boxes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  g_bus = wdu::testing::useSimulatedBus(ZEM_BENCH_SIM_USB_LIBRARY);
  auto* lib = g_bus ? dlopen(ZEM_BENCH_SIM_USB_LIBRARY, RTLD_NOW) : nullptr;
  auto entry = lib ? reinterpret_cast<wdu::BackendEntryFn>(dlsym(lib, wdu::kBackendEntryPoint)) : nullptr;
  g_backend = entry ? entry() : nullptr;
  if (!g_bus || !g_backend) {
    std::fprintf(stderr, "simulated bus not usable: %s\n", wdu::BackendError().c_str());
    return 1;
  }
  g_bus->setTransferLog(false);
  g_address = g_bus->plug(std::make_shared<InstantDevice>());
  Taker taker;
  wdu::DriverHandle driver = 0;
  const wdu::MatchRow rows[] = {{0x1234, 0}};
  if (wdu::Init(driver, rows, taker.events(), wdu::kAcknowledge) != wdu::kSuccess ||
      (g_handle = taker.waitFor(1)) == 0) {
    std::fprintf(stderr, "the device did not attach\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wdu::Uninit(driver);
  g_bus->reset();
  return 0;
}
