// The fixture window's memory transfers for the largest image (2048 words) against the simulator.
//
// A Brevidor 200 LED fixture (2048-word EEPROM, four-word reads, 5 ms settle time, 10 s reset box) with
// a complete-memory list that covers the whole image, so that both directions move all 2048 words. The
// whole command runs through the fixture window: menu, progress window, notes dialog, file, file check.
//
// Counters per iteration:
//  virtual_ms   time on the virtual clock (the wire as the simulator times it)
//  duplex       request/reply exchanges; oneway: frames sent with an acknowledge only
//  floor_ms     the exchange floor: duplex x (first byte + reply span) + oneway x acknowledge time
//  pauses_ms    waits the upload is told to make (settle time and 50 ms per block, 1000 ms after the
//               loop, the reset box's OK delay)
// The CPU time is the link's, the window's and the simulator's own work.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <stdexcept>

#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/model/LedModels.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/SaveMemoryDialog.h"

namespace {

namespace fs = std::filesystem;

using benchsupport::g_sim;
using benchsupport::virtualTick;
constexpr int kWords = 2048;

// The LED fixture with every word of its image on the complete-memory list.
class WholeImageFixture : public TZemFixtureBV20L {
 public:
  void GetMemoryAddressList(TAddressList& list) override {
    list.clear();
    for (int a = 0; a <= GetMaxMemoryAddress(); ++a) list.push_back(a);
  }
};

struct Exchanges {
  int duplex = 0;
  int oneway = 0;
  double floorMs() const {
    return duplex * double(simfix::kReplyFirstByteMs + simfix::kReplySpanMs) +
           oneway * double(simfix::kAcknowledgeMs);
  }
};

Exchanges countExchanges() {
  Exchanges e;
  for (const auto& f : g_sim->receivedFrames()) (f.duplex ? e.duplex : e.oneway)++;
  return e;
}

struct Session {
  Session() {
    sys::setClock(&clock);
    g_sim->reset();
    g_sim->setTickSource(&virtualTick, nullptr);
    g_sim->setTypeCode("BV20L", 0);
    g_sim->setEEPromSize(kWords);
    for (uint32_t a = 0; a < kWords; ++a) g_sim->setEEPromWord(a, static_cast<uint16_t>(a * 31 + 7));
    ui::app().reset();
    InitZemData();
    folder = fs::temp_directory_path() / ("zem_fixtureform_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    ProgramFolder = folder.string() + "/";
    file = folder / "image.ZEF";
    (void)CreateDevice(Device);  // the simulator is the device; Open raises if it is not there
    Device->Open();
    if (!Device->GetSerialNumber() || !Device->GetFixtureInfo())
      throw std::runtime_error("the simulated fixture does not answer");
    fixture = new WholeImageFixture();
    CurrentFixture = fixture;
    ui::setModalResponder([](ui::Form& f) {
      if (auto* s = dynamic_cast<TSaveMemoryForm*>(&f)) {
        ui::input::click(*s->sbSave);
      } else if (auto* u = dynamic_cast<TEEpromUploadForm*>(&f)) {
        ui::input::click(*u->sbOk);
      } else if (auto* i = dynamic_cast<TInformationForm*>(&f)) {
        if (i->sbOk->effectivelyEnabled()) ui::input::click(*i->sbOk);
      } else {
        f.setModalResult(ui::ModalResult::Cancel);
      }
    });
    const std::string path = file.string();
    ui::setFileDialogResponder([path](const ui::FileDialogRequest&) { return path; });
    ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Yes; });
    owner.reset(ui::createForm<ui::Form>(nullptr));
    window = ui::createForm<TFixtureFormTemplate>(owner.get());
    window->show();
    g_sim->clearReceivedFrames();
  }
  ~Session() {
    owner.reset();
    CurrentFixture = nullptr;
    delete fixture;
    FreeDevice();
    ui::app().reset();
    g_sim->setTickSource(nullptr, nullptr);
    sys::setClock(nullptr);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  sys::VirtualClock clock{0x10000};
  fs::path folder;
  fs::path file;
  TZemFixture* fixture = nullptr;
  ui::Owned<ui::Form> owner;
  TFixtureFormTemplate* window = nullptr;
};

void BM_Download2048Words(benchmark::State& state) {
  Session s;
  uint32_t virtualMs = 0;
  Exchanges ex;
  for (auto _ : state) {
    g_sim->clearReceivedFrames();
    fs::remove(s.file);
    const uint32_t start = sys::tickCount();
    ui::input::chooseMenuItem(*s.window->mSaveMemToFile);
    virtualMs = sys::elapsedMs(start, sys::tickCount());
    ex = countExchanges();
    if (!fs::exists(s.file) || fs::file_size(s.file) < 1055 + 2 * kWords) state.SkipWithError("no file");
  }
  state.counters["virtual_ms"] = virtualMs;
  state.counters["duplex"] = ex.duplex;
  state.counters["oneway"] = ex.oneway;
  state.counters["floor_ms"] = ex.floorMs();
}
BENCHMARK(BM_Download2048Words)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_UploadComplete2048Words(benchmark::State& state) {
  Session s;
  ui::input::chooseMenuItem(*s.window->mSaveMemToFile);
  if (!fs::exists(s.file)) {
    state.SkipWithError("download failed");
    return;
  }
  uint32_t virtualMs = 0;
  Exchanges ex;
  for (auto _ : state) {
    g_sim->clearReceivedFrames();
    WindowClosed = false;
    const uint32_t start = sys::tickCount();
    ui::input::chooseMenuItem(*s.window->mUploadCompleteMemoryFromFile);
    virtualMs = sys::elapsedMs(start, sys::tickCount());
    ex = countExchanges();
    if (!WindowClosed) state.SkipWithError("upload failed");
  }
  const int blocks = kWords / 4;
  const double pauses =
      blocks * (s.fixture->GetEepromSettleTime() + 50.0) + 1000.0 + s.fixture->GetResetOKDelay();
  state.counters["virtual_ms"] = virtualMs;
  state.counters["duplex"] = ex.duplex;
  state.counters["oneway"] = ex.oneway;
  state.counters["floor_ms"] = ex.floorMs();
  state.counters["pauses_ms"] = pauses;
}
BENCHMARK(BM_UploadComplete2048Words)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::runAgainstSimulator(argc, argv, ZEM_BENCH_SIM_LIBRARY);
}
