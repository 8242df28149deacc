// Writes the seed corpus of every fuzz target from our own code: memory files, HEX text, boot images and DMX
// frames it builds, and exchanges it records while the targets' own drivers run against the simulated
// fixture and the simulated USB bus (through the fuzzed driver library and backend in their recording
// mode). Usage: fuzz_make_seeds <folder>; each target's seeds go to <folder>/<target>/.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/d2xx/fuzz_d2xx.h"
#include "fuzz/fuzz_device.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/link_program.h"
#include "fuzz/mendaro_session.h"
#include "fuzz/model_ops.h"
#include "fuzz/orvane_round.h"
#include "fuzz/quillon_session.h"
#include "fuzz/usb_ops.h"
#include "fuzz/usb_session.h"
#include "platform/d2xx/d2xx.h"
#include "platform/sys/clock.h"
#include "platform/sys/dynlib.h"
#include "platform/wdu/sim_testing.h"
#include "quillon/dmx_frames.h"
#include "sim/fixture/model_profiles.h"
#include "sim/fixture/sim_fixture.h"
#include "sim/usb/sim_dmx_box.h"
#include "usbdevice/CYDevice.h"
#include "usbdevice/loader_images.h"
#include "zem/link/USB_ft245bm.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemDevice.h"
#include "zem/model/uZemModels.h"
#include "zem/windows/MemoryFile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path g_out;

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = g_out / target;
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes longChunk(const Bytes& bytes) {
  Bytes out;
  fuzz::PutLongChunk(out, bytes);
  return out;
}

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "fuzz_make_seeds: %s\n", why.c_str());
  std::exit(1);
}

template <typename Fn>
Fn entryOf(const char* library, const char* symbol) {
  static std::vector<std::unique_ptr<sys::DynamicLibrary>> kept;
  kept.push_back(sys::DynamicLibrary::open(library));
  void* address = kept.back() ? kept.back()->symbol(symbol) : nullptr;
  if (address == nullptr) die(std::string("cannot find ") + symbol + " in " + library);
  return reinterpret_cast<Fn>(address);
}

uint32_t virtualTick(void*) {
  return sys::tickCount();
}

int tableRow(const std::string& typeCode, int subType) {
  const int row = FindFixtureType(typeCode, subType);
  if (row < 0) die("no model for " + typeCode);
  return row;
}

// The word of address a holds a: an image the sums and the upload check can follow.
Bytes countingImage(int words) {
  Bytes image;
  for (int a = 0; a < words; ++a) fuzz::PutWord(image, static_cast<uint16_t>(a));
  return image;
}

TMemoryFileIdentity identity(const std::string& typeCode) {
  TMemoryFileIdentity id;
  for (size_t i = 0; i < id.typeCode.size() && i < typeCode.size(); ++i)
    id.typeCode[i] = static_cast<uint8_t>(typeCode[i]);
  id.firmwareMajor = 2;
  id.firmwareMinor = 5;
  id.memoryMapVersion = {1, 8, 0, 0};
  return id;
}

// ---- Files and frames built here ----

void memoryFileSeeds() {
  const Bytes notes = NotesToBytes({"ZEM fixture memory file", "Fixture: Brevidor 600", "2.5", ""});
  seed("zef_file", "empty", Bytes{0} + BuildMemoryFile(identity("BV200"), {}, {}));
  seed("zef_file", "brevidor600", Bytes{0} + BuildMemoryFile(identity("BV600"), notes, countingImage(256)));
  const Bytes loneBreaks = {'a', '\r', 'b', '\n', 'c', 0x80, 0x81, 0xFF};
  seed("zef_file", "line_breaks",
       Bytes{0} + BuildMemoryFile(identity("GRB__"), loneBreaks, countingImage(4)));
  Bytes unsummed = BuildMemoryFile(identity("BV20L"), notes, countingImage(16));
  unsummed[0] = unsummed[1] = unsummed[2] = unsummed[3] = 0;
  seed("zef_file", "sum_filled_in", Bytes{1} + unsummed);
  seed("zef_file", "short", Bytes{0} + Bytes(unsummed.begin(), unsummed.begin() + 600));

  // Uploads: each kind into a few models, the file the model's own download would give.
  struct Upload {
    const char* typeCode;
    int subType;
  };
  for (const Upload u :
       {Upload{"BV600", 0}, Upload{"BV200", 0}, Upload{"GRB__", 0}, Upload{"BV20L", 0}, Upload{"NMB02", 0}}) {
    const int row = tableRow(u.typeCode, u.subType);
    for (uint8_t kind = 0; kind < 3; ++kind) {
      InitZemData();
      Device = nullptr;
      std::unique_ptr<TZemFixture> f(FixtureTypeTable()[static_cast<size_t>(row)].create());
      TAddressList list;
      fuzzmodel::AddressList(*f, kind, list);
      const Bytes file =
          BuildMemoryFile(identity(u.typeCode), notes, countingImage(f->GetMaxMemoryAddress() + 1));
      const Bytes header = {static_cast<uint8_t>(row), kind, 9, 0, 0, 0};
      seed("zef_upload", std::string(u.typeCode) + "_" + std::to_string(kind),
           header + longChunk(file) + Bytes(list.size(), 1));
    }
  }
}

std::string asText(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The text's first n lines, each with its line end.
std::string firstLines(const std::string& text, size_t n) {
  size_t end = 0;
  for (size_t i = 0; i < n && end < text.size(); ++i) {
    const size_t lf = text.find('\n', end);
    end = lf == std::string::npos ? text.size() : lf + 1;
  }
  return text.substr(0, end);
}

std::string lineFeedsAlone(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

void hexAndImageSeeds() {
  for (int id : {kLoaderFx2ResourceId, kLoaderAn21ResourceId}) {
    const auto text = FindHexResource(id);
    if (!text) die("no loader " + std::to_string(id));
    seed("hex_record", "loader_" + std::to_string(id), Bytes(text->begin(), text->end()));
  }
  const std::string lines = ":0300000002 05F303\r\n:03000000020533C3\r\n\r\n:00000001FF\r\n";
  seed("hex_record", "lines", Bytes(lines.begin(), lines.end()));

  const fs::path samples = ORVANE_SAMPLES_DIR;
  for (const char* name : {"keyboard_f080_30_v0103.hex", "pbfaders_f090_c0_v0201.hex"}) {
    const Bytes text = readFile(samples / name);
    if (text.empty()) die(std::string("no sample ") + name);
    seed("hex_file", name, Bytes{0x00, 0x03, 64, 0} + text);
  }
  // The keyboard sample cut after its first 60 lines (no end-of-file record), and with line feeds alone.
  const std::string keyboard = asText(readFile(samples / "keyboard_f080_30_v0103.hex"));
  const std::string cut = firstLines(keyboard, 60);
  seed("hex_file", "keyboard_cut", Bytes{0x00, 0x03, 64, 0} + Bytes(cut.begin(), cut.end()));
  const std::string lineFeeds = lineFeedsAlone(keyboard);
  seed("hex_file", "keyboard_line_feeds",
       Bytes{0x00, 0x03, 64, 0} + Bytes(lineFeeds.begin(), lineFeeds.end()));
  const Bytes c2 = readFile(samples / "front_panel_1001_v0103.c2");
  if (c2.empty()) die("no sample boot image");
  seed("boot_image", "front_panel.c2", c2);
  // An AN21xx image: one load record, the record aimed at the reset register, the trailer.
  Bytes b6 = {0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0x12, 0x34, 1, 2, 3, 4, 0, 1, 0x7F, 0x92, 0};
  b6 = b6 + Bytes{0x00, 0x01, 0x22, 0x35, 0x01, 0x02, 0, 0, 0, 0, 0};
  seed("boot_image", "an21.b6", b6);
}

void dmxFrameSeeds() {
  using namespace quillon;
  DmxSlots slots;
  for (size_t s = 0; s < slots.size(); ++s) slots[s] = static_cast<uint8_t>(s * 7);
  DmxOutputFrame out{};
  PackOutputFrame(slots, out);
  // An input frame carries its slots at the same places, each of the nine packets led by its index.
  Bytes frame(kInputFrameSize, 0);
  std::copy(out.begin(), out.begin() + kOutputTrailerOffset, frame.begin());
  Bytes last(frame.begin() + 8 * kPacketSize, frame.begin() + 9 * kPacketSize);
  Bytes misaligned(frame.begin() + kPacketSize, frame.begin() + 2 * kPacketSize);
  Bytes input = {3};
  for (const Bytes* read : {&frame, &last, &misaligned}) input = input + longChunk(*read);
  input = input + Bytes{4, 0, 0, 0x34, 0x12, 3, 1, 2, 3};
  seed("dmx_frames", "frame_and_resync", input);
}

// ---- Exchanges recorded against the simulated fixture ----

simfix::Control* fixtureSimulator() {
  static simfix::Control* sim = entryOf<simfix::Control* (*)()>(SIM_FIXTURE_LIBRARY, "SimFixtureControl")();
  sim->reset();
  sim->setTickSource(&virtualTick, nullptr);
  return sim;
}

void useDriverLibrary(const char* path) {
  setenv(d2xx::kLibraryEnvVar, path, 1);
  if (!ReloadD2xx().empty() || !D2xxLoaded()) die(std::string("cannot load ") + path);
}

void linkSeeds() {
  useDriverLibrary(FUZZ_D2XX_LIBRARY);
  fuzzd2xx::Control* box = entryOf<fuzzd2xx::Control* (*)()>(FUZZ_D2XX_LIBRARY, "FuzzD2xxControl")();
  box->setTickSource(&virtualTick, nullptr);
  if (!box->record(SIM_FIXTURE_LIBRARY)) die("cannot record from the simulated fixture");
  const std::vector<fuzzlink::Op> all = fuzzlink::EveryOperation();
  std::vector<std::vector<fuzzlink::Op>> programs;
  for (size_t k = 0; k < all.size(); k += fuzzlink::kMaxOps)
    programs.emplace_back(
        all.begin() + static_cast<std::ptrdiff_t>(k),
        all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), k + fuzzlink::kMaxOps)));
  // The search loop's reads: serial, information, program version, lamp, personality, a long log entry.
  programs.push_back({{0, 0, 0}, {2, 0, 0}, {3, 0, 0}, {6, 0, 0}, {12, 0, 0}, {21, 0, 0}});
  for (size_t p = 0; p < programs.size(); ++p) {
    fixtureSimulator();
    (void)box->takeRecorded();
    fuzzlink::RunProgram(programs[p], nullptr);
    seed("link_replies", "program_" + std::to_string(p),
         fuzzlink::EncodeProgram(programs[p]) + box->takeRecorded());
  }
}

void modelSeeds() {
  useDriverLibrary(SIM_FIXTURE_LIBRARY);
  const Bytes program = fuzzmodel::EveryOperation();
  const auto table = FixtureTypeTable();
  auto record = [&](const simfix::profiles::ModelProfile& profile, size_t row, const std::string& name) {
    simfix::Control* sim = fixtureSimulator();
    simfix::profiles::apply(*sim, profile);
    FreeDevice();
    InitZemData();
    if (!CreateDevice(Device)) die("the simulated fixture is not there");
    Device->Open();
    TZemDeviceClass* real = Device;
    if (!real->GetSerialNumber() || !real->GetFixtureInfo() || !real->GetFixtureZemVersion())
      die("the simulated " + profile.model + " was not identified");
    const Bytes start(FixtureData.begin(), FixtureData.end());
    Bytes answers;
    fuzz::FuzzDevice device;
    device.record(real, &answers);
    Device = &device;
    {
      std::unique_ptr<TZemFixture> f(row < table.size() ? table[row].create() : new TZemFixture());
      fuzzmodel::RunOps(*f, device, program,
                        row < table.size() ? table[row].typeCode : fuzzmodel::kGenericModel);
    }
    Device = real;
    FreeDevice();
    const Bytes head = {static_cast<uint8_t>(row)};
    seed("model_record", name,
         head + start + Bytes{static_cast<uint8_t>(program.size() / 3)} + program + answers);
  };
  for (const auto& profile : simfix::profiles::allProfiles()) {
    const size_t row = static_cast<size_t>(tableRow(profile.typeCode, profile.subtype));
    record(profile, row, profile.typeCode + "_" + std::to_string(profile.subtype));
  }
  record(simfix::profiles::allProfiles().front(), table.size(), "generic");
  InitZemData();
}

// ---- Exchanges recorded against the simulated USB bus ----

struct Bus {
  fuzzusb::Control* recorder = nullptr;
  simusb::Control* sim = nullptr;
  wdu::testing::TickTime time;
};

Bus& bus() {
  static Bus b = [] {
    Bus made;
    made.recorder = fuzz::UseRecordedBus(SIM_USB_LIBRARY);
    made.sim = simusb::openSimUsb(SIM_USB_LIBRARY);
    if (made.sim == nullptr) die("no simulated bus");
    return made;
  }();
  return b;
}

void plug(const std::string& spec) {
  Bus& b = bus();
  b.sim->reset();
  b.sim->setTimeSource(&b.time);
  if (spec.empty()) return;
  const auto problems = b.sim->plugFromSpec(spec);
  if (!problems.empty()) die("cannot plug " + spec + ": " + problems.front());
}

void usbAnswerSeeds() {
  plug("fx2:1001:0102:Front panel");
  CYDevice device(kOrvaneMatchTable);
  if (!fuzz::WaitForDevices([&] { return device.GetDeviceCount(); }, 1))
    die("the simulated chip did not attach");
  const wdu::DeviceHandle handle = device.GetDeviceHandle(0);
  wdu::DeviceInfo info;
  if (wdu::GetDeviceInfo(handle, info) != wdu::kSuccess) die("no information of the simulated chip");
  // Strings, DIP byte, an EEPROM read of two packets, one past the address space, a board's ident, IIC.
  const Bytes program = {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 100, 3, 1, 40, 6, 0x24, 6, 7, 0x24, 1, 5, 0x10, 0};
  (void)bus().recorder->takeRecorded();
  fuzzusbops::RunOps(device, handle, *bus().recorder, program);
  const Bytes head = {info.iManufacturer, info.iProduct, static_cast<uint8_t>(program.size() / 3)};
  seed("usb_answers", "front_panel", head + program + bus().recorder->takeRecorded());
}

void mendaroSeeds() {
  struct Box {
    const char* name;
    simusb::ConfigBlock block;
  };
  const Box boxes[] = {
      {"configured", {0xE0, 0xE1, 0xA4, 0x5B, 5, 6, 1, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF}},
      {"unconfigured", {}},
  };
  // Pick, type 12 into A, raise B, toggle A, update, read the block again, list it, clear.
  const Bytes actions = {0, 0, 5, 25, 3, 2, 4, 1, 1, 0, 6, 0, 7, 0, 2, 0};
  for (const Box& box : boxes) {
    plug("");
    simusb::DmxBoxConfig config;
    config.configBlock = box.block;
    bus().sim->plug(bus().sim->newDmxBox(config));
    (void)bus().recorder->takeRecorded();
    fuzzmendaro::RunSession(*bus().recorder, actions);
    Bytes head = {2};  // product F0A9
    fuzz::PutWord(head, config.bcdDevice);
    head.push_back(static_cast<uint8_t>(actions.size() / 2));
    seed("mendaro_boxes", box.name, head + actions + bus().recorder->takeRecorded());
  }
}

void quillonSeeds() {
  const fuzzquillon::Entry quillon = fuzzquillon::LoadLibrary(FUZZ_QUILLON_LIBRARY);
  // Every command once, with ordinary arguments, in two sessions.
  Bytes all;
  for (uint8_t code = 0; code < 18; ++code)
    all.insert(all.end(), {code, static_cast<uint8_t>(3 * code + 1), 2});
  const Bytes programs[] = {Bytes(all.begin(), all.begin() + 45), Bytes(all.begin() + 45, all.end())};
  for (size_t p = 0; p < std::size(programs); ++p) {
    plug("");
    (void)bus().recorder->takeRecorded();
    simusb::DmxBoxConfig config;
    config.name = "Stage left";
    config.configBlock = {0xE0, 0xE1, 0xA4, 0x5B, 5, 6, 1, 0, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF};
    bus().sim->plug(bus().sim->newDmxBox(config));
    fuzzquillon::RunSession(quillon, *bus().recorder, config.bcdDevice, programs[p]);
    Bytes head = {2};  // product F0A9
    fuzz::PutWord(head, config.bcdDevice);
    head.push_back(static_cast<uint8_t>(programs[p].size() / 3));
    seed("quillon_commands", "session_" + std::to_string(p),
         head + programs[p] + bus().recorder->takeRecorded());
  }
  plug("");
}

void orvaneSeeds() {
  plug("fx2:1001:0102:Front panel;board:24:F080:30:05:0102");
  fuzzorvane::OpenDialog(*bus().recorder);
  const fs::path samples = ORVANE_SAMPLES_DIR;
  struct Round {
    const char* name;
    const char* file;
    uint8_t flags;
    size_t cutAfter = 0;  // lines kept of the file; 0 keeps it whole
  };
  const Round rounds[] = {
      {"iic_update", "keyboard_f080_30_v0103.hex", 0},
      {"iic_other_board", "pbfaders_f090_c0_v0201.hex", 0},
      {"usb_update", "front_panel_1001_v0103.c2", fuzzorvane::kUsbUpdate},
      {"iic_cut_file", "keyboard_f080_30_v0103.hex", 0, 60},
  };
  for (const Round& r : rounds) {
    Bytes file = readFile(samples / r.file);
    if (r.cutAfter != 0) {
      const std::string cut = firstLines(asText(file), r.cutAfter);
      file = Bytes(cut.begin(), cut.end());
    }
    (void)bus().recorder->takeRecorded();
    fuzzorvane::RunRound(file, 0x1001, r.flags);
    Bytes head;
    fuzz::PutWord(head, 0x1001);
    fuzz::PutWord(head, 0x0102);
    head.push_back(r.flags);
    seed("orvane_flows", r.name, head + longChunk(file) + bus().recorder->takeRecorded());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  g_out = argv[1];
  memoryFileSeeds();
  hexAndImageSeeds();
  dmxFrameSeeds();
  fuzz::UseVirtualClock(0x10000, 4);
  linkSeeds();
  modelSeeds();
  usbAnswerSeeds();
  mendaroSeeds();
  quillonSeeds();
  orvaneSeeds();
  std::printf("seeds written to %s\n", g_out.c_str());
  // The dialog and the layer's registrations stay to the process's end, as in the targets.
  std::fflush(stdout);
  std::_Exit(0);
}
