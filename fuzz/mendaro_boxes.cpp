// The configurator against a USB-DMX box that answers what the input says: the box list read from the
// box's configuration block and version, and the user's picks, universes, directions, updates and clears;
// with the checks of mendaro_session.h.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/mendaro_session.h"
#include "fuzz/usb_session.h"
#include "platform/ui/application.h"

namespace {

constexpr uint16_t kProducts[] = {0xF028, 0xF0A8, 0xF0A9, 0xF0AA};
fuzzusb::Control* g_bus = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_bus = fuzz::UseFuzzedBus(fuzz::ChipInfo(0x11BE, 0xF0A9, 0x0104));
  ui::app().reset();
  fuzz::UseVirtualClock();
  return 0;
}

// Input: the box's product (one of four) and version, a count of user actions and two bytes each (action,
// argument), then the box's answers (usb/fuzz_usb.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  wdu::DeviceInfo info = fuzz::ChipInfo(0x11BE, kProducts[in.byte() % 4], 0);
  info.bcdDevice = in.word();
  const size_t actions = in.byte() % 16;
  const std::vector<uint8_t> program = in.takePadded(2 * actions);
  const auto answers = in.rest();
  g_bus->replay(answers.data(), answers.size(), info);
  fuzzmendaro::RunSession(*g_bus, program);
  return 0;
}
