// The colour-mixing model windows against the simulator, headless, on the virtual clock.
//
//  BM_OpenWindow/<model>  building the model's window and its first read of the fixture (the progress
//                         window, every page filled); counters: virtual_ms of the read, duplex exchanges
//  BM_LiveTick            one write-back tick of the Brevidor 600 window with all five faders, the colour
//                         and the frost marked; counters: service frames the tick sent, virtual_ms
// The CPU time is the window's, the model's, the link's and the simulator's own work.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "sim/fixture/model_profiles.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBrv600_20.h"
#include "zem/windows/ZemMain.h"

namespace {

using benchsupport::g_sim;
using benchsupport::virtualTick;

// The simulator playing one model, identified as the search loop does, with the model object current.
struct Connected {
  explicit Connected(const char* code, uint8_t subtype) {
    sys::setClock(&clock);
    g_sim->reset();
    g_sim->setTickSource(&virtualTick, nullptr);
    if (const auto* p = simfix::profiles::findProfile(code, subtype)) simfix::profiles::apply(*g_sim, *p);
    ui::app().reset();
    ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Ok; });
    InitZemData();
    // Without a device the model is not identified and the benchmark says so.
    if (!CreateDevice(Device)) return;
    Device->Open();
    TZemFixture generic;
    (void)generic.ReadSerialNumber();  // the bench checks the window instead
    (void)generic.ReadFixtureInfo();
    row = FindFixtureType(generic.GetTypeCode(), generic.GetSubType());
    model = row < 0 ? nullptr : FixtureTypeTable()[static_cast<size_t>(row)].create();
    CurrentFixture = model;
    owner.reset(ui::createForm<ui::Form>(nullptr));
  }
  ~Connected() {
    owner.reset();
    CurrentFixture = nullptr;
    delete model;
    FreeDevice();
    ui::app().reset();
    g_sim->setTickSource(nullptr, nullptr);
    sys::setClock(nullptr);
  }
  sys::VirtualClock clock{0x10000};
  int row = -1;
  TZemFixture* model = nullptr;
  ui::Owned<ui::Form> owner;
};

void BM_OpenWindow(benchmark::State& state, const char* code, uint8_t subtype) {
  Connected c(code, subtype);
  if (c.row < 0) {
    state.SkipWithError("model not identified");
    return;
  }
  const TFixtureWindowRow& row = FixtureWindowTable()[static_cast<size_t>(c.row)];
  uint32_t virtualMs = 0;
  size_t duplex = 0;
  for (auto _ : state) {
    g_sim->clearReceivedFrames();
    const uint32_t start = sys::tickCount();
    ui::Owned<ui::Form> window(row.create(c.owner.get(), row));
    window->show();
    ui::app().processMessages();
    virtualMs = sys::elapsedMs(start, sys::tickCount());
    duplex = 0;
    for (const auto& f : g_sim->receivedFrames()) duplex += f.duplex ? 1 : 0;
  }
  state.counters["virtual_ms"] = virtualMs;
  state.counters["duplex"] = static_cast<double>(duplex);
}
BENCHMARK_CAPTURE(BM_OpenWindow, Brevidor600, "BV600", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, Brevidor200, "BV200", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, Grobel200CI, "GRB__", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, NimboO2, "NMB02", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, Brevidor1200Wash, "BVT12", 0)->Unit(benchmark::kMillisecond);

void BM_LiveTick(benchmark::State& state) {
  Connected c("BV600", 0);
  auto* window = ui::createForm<TBrv600_20Form>(c.owner.get());
  window->show();
  ui::app().processMessages();
  size_t frames = 0;
  uint32_t virtualMs = 0;
  int level = 0;
  for (auto _ : state) {
    level = (level + 37) % 256;
    for (TFader* f : {window->frIntensity.get(), window->frCyan.get(), window->frMagenta.get(),
                      window->frYellow.get(), window->frZoom.get()})
      f->SetPosition(level);
    window->pColorClicked(window->pRed);
    window->FrostClick(window->pFrostOn);
    g_sim->clearServiceFrames();
    const uint32_t start = sys::tickCount();
    window->SAModifiedTimerTimer(window->SAModifiedTimer);
    virtualMs = sys::elapsedMs(start, sys::tickCount());
    frames = g_sim->serviceFrames().size();
  }
  state.counters["service_frames"] = static_cast<double>(frames);
  state.counters["virtual_ms"] = virtualMs;
}
BENCHMARK(BM_LiveTick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::runAgainstSimulator(argc, argv, ZEM_BENCH_SIM_LIBRARY);
}
