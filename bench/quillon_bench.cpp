// The DMX library against simulated boxes, in real time, reported in four groups from one run:
//  1. output: frames per second and CPU time per frame with the box taking frames as fast as they come,
//     and with the box paced to DMX512's full-universe rate (one frame per 22.7 ms, about 44 Hz);
//  2. input latency: from a frame arriving at the box to the host's (port, 1) notification, p50 and p99;
//  3. idle cost with 255 boxes x 2 ports open and idle: control transfers per second per input port, and
//     the process's CPU share (CLOCK_PROCESS_CPUTIME_ID: any spinning thread shows), for input ports and
//     for output ports that send on change;
//  4. time to attach and open 255 boxes, the thread count with every port running, time to stop them all.
// The simulated bus runs in this process, so CPU figures include the boxes' own (small) work.
#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wdu/sim_testing.h"
#include "quillon/quillon_host.h"
#include "sim/usb/sim_dmx_box.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kMessage = 0x8001;
constexpr int kBoxes = 255;

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int threadCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (const dirent* e = readdir(d)) n += e->d_name[0] != '.' ? 1 : 0;
    closedir(d);
  }
  return n;
}

struct Host {
  host::WakeableBackend backend;
  host::Library lib;
  simusb::Control* bus = nullptr;
  ui::Handle window = 0;
  uint32_t inputFrames = 0;
  Clock::time_point lastInput;

  bool start() {
    bus = wdu::testing::useSimulatedBus(ZEM_BENCH_SIM_USB_LIBRARY);
    std::string error;
    if (bus == nullptr || !lib.load(ZEM_BENCH_QUILLON_LIBRARY, &error)) {
      std::fprintf(stderr, "cannot load the simulated bus or the library: %s %s\n",
                   wdu::BackendError().c_str(), error.c_str());
      return false;
    }
    ui::setBackend(&backend);
    window = ui::app().registerWindow([this](const ui::Message& m) {
      if (m.msg == kMessage && m.lParam == kNotifyInputFrame) {
        ++inputFrames;
        lastInput = Clock::now();
      }
    });
    return true;
  }
  void stop() {
    (void)lib(DMX_CMD_INIT, 0);
    lib.unload();
    ui::app().unregisterWindow(window);
    bus->reset();
  }
  bool waitUntil(const std::function<bool()>& cond, uint32_t ms = 10000, uint32_t pollMs = 1) {
    return host::pumpUntil(backend, cond, ms, pollMs);
  }
  // Runs the host's loop for ms, waking only for posted messages.
  void idle(uint32_t ms) { (void)waitUntil([] { return false; }, ms, 100); }
  bool init(unsigned char maximum) { return lib(DMX_CMD_INIT, maximum, 0x11BE, host::asData(0xF0A9)) == 0; }
  bool open(unsigned char id) {
    return lib(DMX_CMD_OPEN, id) == 0 &&
           lib(DMX_CMD_SET_NOTIFY, id, static_cast<int>(kMessage), host::asData(window)) == 0;
  }
};

void output(Host& h) {
  auto box = h.bus->newDmxBox({});
  h.bus->plug(box);
  h.bus->setTransferLog(false);
  if (!h.init(1) || !h.waitUntil([&] { return h.lib(DMX_CMD_DEVICE_EXISTS, 1) == 0; }) || !h.open(1) ||
      h.lib(DMX_CMD_SET_DIRECTIONS, 1, 0) != 0) {
    std::printf("1. output: box not ready\n");
    return;
  }
  simusb::DmxSlots slots{};
  (void)h.lib(DMX_CMD_WRITE_FRAME, 1, 0, slots.data());  // starts the writer: frames back to back
  for (const bool paced : {false, true}) {
    box->setPacing(paced);
    h.idle(200);  // settle
    const uint32_t frames0 = box->outputFrames(0);
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    h.idle(paced ? 3000 : 1000);
    const double wall = seconds(Clock::now() - t0);
    const double cpu = cpuSeconds() - cpu0;
    const uint32_t frames = box->outputFrames(0) - frames0;
    const double rate = frames / wall;
    if (!paced) {
      std::printf("1. output, pacing off: %.0f frames/s, %.2f us CPU per frame (library, layer and box)\n",
                  rate, frames ? cpu / frames * 1e6 : 0.0);
    } else {
      std::printf("1. output, pacing on:  %.2f frames/s against 44.05 (one frame per 22.7 ms): %.1f %%\n",
                  rate, rate / (1e6 / simusb::kFrameIntervalUs) * 100.0);
    }
  }
  (void)h.lib(DMX_CMD_CLOSE, 1);
}

void inputLatency(Host& h) {
  auto box = h.bus->newDmxBox({});
  h.bus->plug(box);
  if (!h.init(1) || !h.waitUntil([&] { return h.lib(DMX_CMD_DEVICE_EXISTS, 1) == 0; }) || !h.open(1)) {
    std::printf("2. input: box not ready\n");
    return;
  }
  (void)h.lib(DMX_CMD_POLL, 1, 0);  // starts the reader
  h.idle(50);
  std::vector<double> ms;
  simusb::DmxSlots slots{};
  uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    // Frames come at unrelated moments of the reader's 10 ms status poll.
    seed = seed * 1103515245 + 12345;
    h.waitUntil([] { return false; }, 1 + (seed >> 16) % 11);
    const uint32_t before = h.inputFrames;
    const auto t0 = Clock::now();
    box->receiveFrame(0, slots);
    if (!h.waitUntil([&] { return h.inputFrames > before; }, 2000, 100)) break;  // woken by the post
    ms.push_back(std::chrono::duration<double, std::milli>(h.lastInput - t0).count());
    (void)h.lib(DMX_CMD_READ_FRAME, 1, 0, slots.data());
  }
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  std::printf(
      "2. input latency, box to (port, 1) notification, %zu frames: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
      ms.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}

void manyBoxes(Host& h) {
  h.bus->setTransferLog(false);
  for (int i = 0; i < kBoxes; ++i) h.bus->plug(h.bus->newDmxBox({}));
  const auto t0 = Clock::now();
  if (!h.init(255) || !h.waitUntil([&] { return h.lib(DMX_CMD_DEVICE_EXISTS, 255) == 0; }, 30000)) {
    std::printf("4. 255 boxes did not attach\n");
    return;
  }
  const auto attached = Clock::now();
  for (int id = 1; id <= kBoxes; ++id) {
    if (!h.open(static_cast<unsigned char>(id))) std::printf("open %d failed\n", id);
  }
  const auto opened = Clock::now();
  const int threadsBefore = threadCount();
  for (int id = 1; id <= kBoxes; ++id) {
    for (int port = 0; port < 2; ++port) (void)h.lib(DMX_CMD_POLL, static_cast<unsigned char>(id), port);
  }
  h.idle(300);
  const int threads = threadCount();

  // Idle input ports: each reader asks for its port status every 10 ms.
  h.bus->clearTransfers();
  h.bus->setTransferLog(true, 1000000);
  const auto l0 = Clock::now();
  h.idle(1000);
  const double logWall = seconds(Clock::now() - l0);
  const size_t transfers = h.bus->transfers().size();
  h.bus->setTransferLog(false);
  h.bus->clearTransfers();
  double cpu0 = cpuSeconds();
  auto c0 = Clock::now();
  h.idle(2000);
  const double inputShare = (cpuSeconds() - cpu0) / seconds(Clock::now() - c0);

  // The same ports as outputs that send on change: idle writers wait for a frame.
  for (int id = 1; id <= kBoxes; ++id) {
    const auto d = static_cast<unsigned char>(id);
    (void)h.lib(DMX_CMD_SET_DIRECTIONS, d, 0);
    (void)h.lib(DMX_CMD_SET_MODE16, d, 0);
    (void)h.lib(DMX_CMD_SET_MODE16, d, 1);
    (void)h.lib(DMX_CMD_POLL, d, 0);
    (void)h.lib(DMX_CMD_POLL, d, 1);
  }
  h.idle(300);
  h.bus->setTransferLog(true, 1000000);
  h.idle(1000);
  const size_t outputTransfers = h.bus->transfers().size();
  h.bus->setTransferLog(false);
  cpu0 = cpuSeconds();
  c0 = Clock::now();
  h.idle(2000);
  const double outputShare = (cpuSeconds() - cpu0) / seconds(Clock::now() - c0);

  const auto s0 = Clock::now();
  (void)h.lib(DMX_CMD_INIT, 0);  // closes every device: both threads of each joined
  const auto stopped = Clock::now();

  std::printf(
      "3. idle, 255 boxes x 2 input ports: %.1f control transfers/s per port, CPU share %.1f %% of one "
      "core\n",
      transfers / logWall / (2.0 * kBoxes), inputShare * 100.0);
  std::printf(
      "3. idle, 255 boxes x 2 output ports sending on change: %zu transfers in 1 s, CPU share %.2f %%\n",
      outputTransfers, outputShare * 100.0);
  std::printf(
      "4. 255 boxes: attach %.1f ms, open %.1f ms, threads %d before the ports run and %d with all 510 "
      "running, stop all (shutdown) %.1f ms\n",
      seconds(attached - t0) * 1e3, seconds(opened - attached) * 1e3, threadsBefore, threads,
      seconds(stopped - s0) * 1e3);
}

}  // namespace

int main() {
  {
    Host h;
    if (!h.start()) return 1;
    output(h);
    h.stop();
  }
  {
    Host h;
    if (!h.start()) return 1;
    inputLatency(h);
    h.stop();
  }
  {
    Host h;
    if (!h.start()) return 1;
    manyBoxes(h);
    h.stop();
  }
  ui::setBackend(nullptr);
  return 0;
}
