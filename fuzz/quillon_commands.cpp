// The DMX library as a host drives it, with a USB-DMX box that answers what the input says: the box's
// name and endpoint answers at its attach, then the host's device commands with host buffers of exactly
// their documented sizes; with the checks of quillon_session.h.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/quillon_session.h"
#include "fuzz/usb_session.h"

namespace {

fuzzusb::Control* g_bus = nullptr;
fuzzquillon::Entry g_quillon = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_bus = fuzz::UseFuzzedBus(fuzz::ChipInfo(0x11BE, 0xF0A9, 0x0104));
  g_quillon = fuzzquillon::LoadLibrary(FUZZ_QUILLON_LIBRARY);
  return 0;
}

// Input: the box's product (one of four) and version, a count of commands and three bytes each (command,
// two arguments), then the box's answers (usb/fuzz_usb.h), from its attach on.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  wdu::DeviceInfo info = fuzz::ChipInfo(0x11BE, fuzzquillon::kBoxProducts[in.byte() % 4], 0);
  info.bcdDevice = in.word();
  const size_t commands = in.byte() % 16;
  const std::vector<uint8_t> program = in.takePadded(3 * commands);
  const auto answers = in.rest();
  g_bus->replug(answers.data(), answers.size(), info);
  fuzzquillon::RunSession(g_quillon, *g_bus, info.bcdDevice, program);
  return 0;
}
