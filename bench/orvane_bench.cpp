// The firmware tool's long flows against the simulated console on the virtual clock: an 8 KiB IIC board
// update in 8-byte and in 32-byte packets, and a 16 KiB EEPROM write of a USB microcontroller.
//
// Each flow runs through the dialog as a user starts it. Reported per run:
//   virtual_ms  how long the flow takes on the tick source (what a user waits)
//   floor_ms    the sum of the pauses the flow must make (IO delay per packet, the bus hold, the pause
//               after each IIC command and EEPROM packet): virtual_ms can be no shorter
//   cpu_ms      the process's CPU time for the flow (CLOCK_PROCESS_CPUTIME_ID: every thread)
// The benchmark's own times are real time and the main thread's CPU time.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "orvane/COrvaneDlg.h"
#include "orvane/test_firmware.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/wdu/sim_testing.h"
#include "sim/usb/sim_ezusb.h"

namespace {

simusb::Control* g_bus = nullptr;

double processCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string writeTemp(const std::string& name, const std::string& content) {
  auto path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::binary) << content;
  return path.string();
}

// One flow through the dialog: a programmed chip with one board at 24h, listed and picked.
struct Run {
  double virtualMs = 0;
  double cpuMs = 0;
  bool ok = false;
};

Run runFlow(const simusb::IicBoardIdentity& board, const std::string& file, bool iic) {
  g_bus->reset();
  wdu::testing::VirtualBusTime time(g_bus, 0);
  ui::app().reset();
  ui::setFileDialogResponder(
      [file](const ui::FileDialogRequest&) { return std::optional<std::string>(file); });
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Yes; });
  auto chip = g_bus->newEzUsb(simusb::programmedEzUsb(simusb::ChipKind::FX2, 0x1001, 0x0102, "Front panel"));
  chip->addBoard(0x24, board);
  g_bus->setTransferLog(false);
  g_bus->plug(chip);
  Run run;
  {
    ui::Owned<COrvaneDlg> dlg(ui::createForm<COrvaneDlg>());
    dlg->show();
    while (dlg->Device()->GetDeviceCount() == 0) std::this_thread::yield();
    sys::sleepMs(COrvaneDlg::kUsbListTimerMs);
    ui::app().processMessages();
    ui::input::selectListItem(*dlg->lbUsbDevices, 0);
    ui::input::selectListItem(*dlg->lbIicDevices, 0);
    const uint32_t start = time.tick();
    const double cpu = processCpuMs();
    ui::input::click(iic ? *dlg->btnUpdateIic : *dlg->btnUpdateUsb);
    run.cpuMs = processCpuMs() - cpu;
    run.virtualMs = static_cast<double>(time.tick() - start);
    const std::string log = dlg->LogText();
    run.ok = log.find(iic ? "Verify OK. Orvane successful." : "Orvane success") != std::string::npos;
  }
  ui::setFileDialogResponder(nullptr);
  ui::setMessageBoxResponder(nullptr);
  ui::app().reset();
  g_bus->reset();
  return run;
}

// The pauses an IIC board update must make: the bus hold (100 ms) and the second after it, board
// selection (2 x 100), the version block before (100), the IO delay after every packet written and read,
// the refresh before reading (100), the final check (select 200, version 100, refresh 100), then run
// (100) and release (100).
double iicFloorMs(size_t programSize, size_t packetSize, int ioDelay) {
  const double packets = static_cast<double>((programSize + packetSize - 1) / packetSize);
  return 100 + 1000 + 200 + 100 + packets * ioDelay + 100 + packets * ioDelay + 400 + 200;
}

// The EEPROM write: 55 (100 ms), 30 ms after each 64-byte packet written, AA (100 ms); the read-back
// makes no pause.
double eepromFloorMs(size_t imageSize) {
  return 100 + static_cast<double>((imageSize + 63) / 64) * 30 + 100;
}

void report(benchmark::State& state, const Run& run, double floor) {
  state.counters["virtual_ms"] = run.virtualMs;
  state.counters["floor_ms"] = floor;
  state.counters["cpu_ms"] = run.cpuMs;
  if (!run.ok) state.SkipWithError("the flow did not verify");
}

void BM_IicUpdate8KiB(benchmark::State& state) {
  const size_t packet = static_cast<size_t>(state.range(0));
  const simusb::IicBoardIdentity board{0xF080, 0x30, static_cast<uint8_t>(packet == 8 ? 0x05 : 0x21), 0x0102};
  const orvanetest::BoardFirmware firmware{{board.id, board.code, board.extra, 0x0103},
                                           orvanetest::pattern(8192)};
  const std::string path = writeTemp("orvane_bench_" + std::to_string(packet) + ".hex", firmware.hexText());
  Run run;
  for (auto _ : state) run = runFlow(board, path, true);
  report(state, run, iicFloorMs(8192, packet, 25));
  std::filesystem::remove(path);
}
BENCHMARK(BM_IicUpdate8KiB)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EepromWrite16KiB(benchmark::State& state) {
  const auto image = orvanetest::bootImage(0xC2, 0x1001, 0x0103, 16384 - 24);
  const std::string path = writeTemp("orvane_bench.c2", std::string(image.begin(), image.end()));
  Run run;
  for (auto _ : state) run = runFlow({0xF080, 0x30, 0x05, 0x0102}, path, false);
  report(state, run, eepromFloorMs(image.size()));
  std::filesystem::remove(path);
}
BENCHMARK(BM_EepromWrite16KiB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  const char* library = std::getenv(wdu::kLibraryEnvVar);
  g_bus = wdu::testing::useSimulatedBus(library && *library ? library : ORVANE_BENCH_SIM_USB_LIBRARY);
  if (!g_bus) {
    std::fprintf(stderr, "cannot load the simulated bus: %s\n", wdu::BackendError().c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
