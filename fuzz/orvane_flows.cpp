// The firmware tool's flows against a console chip that answers what the input says: the IIC bus scan
// (the boards' ident and ID-block answers), the IIC board update from an Intel HEX file and the chip update
// from a boot image, both files from the input; with the checks of orvane_round.h.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "fuzz/orvane_round.h"
#include "fuzz/usb_session.h"

namespace {
fuzzusb::Control* g_bus = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_bus = fuzz::UseFuzzedBus(fuzz::ChipInfo(0x04B4, 0x1001, 0x0102));
  fuzzorvane::OpenDialog(*g_bus);
  return 0;
}

// Input: the chip's product id and version (16 bits each), the round's flags (orvane_round.h), the file (a
// 16-bit length and its bytes), then the chip's answers (usb/fuzz_usb.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const uint16_t productId = in.word();
  const uint16_t version = in.word();
  const uint8_t flags = in.byte();
  const auto file = in.longChunk();
  const auto answers = in.rest();
  g_bus->replay(answers.data(), answers.size(), fuzz::ChipInfo(0x04B4, productId, version));
  fuzzorvane::RunRound(file, productId, flags);
  return 0;
}
