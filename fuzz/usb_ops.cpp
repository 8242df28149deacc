#include "fuzz/usb_ops.h"

#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace fuzzusbops {

namespace {

struct Session {
  CYDevice& device;
  wdu::DeviceHandle handle;
  fuzzusb::Control& bus;
};

bool validUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

void checkString(Session& s, bool product) {
  const std::string before = s.device.GetDescriptorText();
  const bool ok = product ? s.device.ReadProductString(s.handle) : s.device.ReadManufacturerString(s.handle);
  const std::string& text = s.device.GetDescriptorText();
  if (!ok) {
    FUZZ_CHECK(text == before, "a failed descriptor read leaves the text");
    return;
  }
  FUZZ_CHECK(validUtf8(text), "a descriptor's text is UTF-8");
  FUZZ_CHECK(text.find('\0') == std::string::npos, "a descriptor's text ends at its first NUL");
  // 126 UTF-16 units fit a descriptor; none becomes more than three bytes of UTF-8.
  FUZZ_CHECK(text.size() <= 378, "a descriptor's text is no longer than a descriptor holds");
}

void checkPackets(Session& s, int kind, uint16_t address, size_t length) {
  const size_t before = s.bus.transfers().size();
  std::vector<uint8_t> buffer(length, 0x5A);
  int result = 0;
  if (kind == 0) result = s.device.EepromRead(s.handle, address, buffer);
  if (kind == 1) result = s.device.EepromWrite(s.handle, address, buffer);
  if (kind == 2) result = s.device.RamWrite(s.handle, address, buffer);
  FUZZ_CHECK(result == -1 || result == static_cast<int>(length), "a packet transfer moves all or fails");
  const auto transfers = s.bus.transfers();
  if (address + length > 0x10000) {
    FUZZ_CHECK(result == -1 && transfers.size() == before, "a range past the address space sends nothing");
  }
  for (size_t k = before; k < transfers.size(); ++k) {
    const auto& t = transfers[k];
    const size_t wLength = t.setup[6] | (t.setup[7] << 8);
    FUZZ_CHECK(wLength <= CYDevice::kPacketSize, "packets are at most 64 bytes");
    FUZZ_CHECK(t.data.size() <= wLength, "no packet carries more than its length");
  }
}

}  // namespace

void RunOps(CYDevice& device, wdu::DeviceHandle handle, fuzzusb::Control& bus,
            std::span<const uint8_t> program) {
  Session s{device, handle, bus};
  for (size_t k = 0; k + 2 < program.size(); k += 3) {
    const uint8_t code = program[k];
    const uint8_t a = program[k + 1];
    const uint8_t b = program[k + 2];
    const auto address = static_cast<uint16_t>((a << 8) | b);
    switch (code % kOperations) {
      case 0:
        checkString(s, true);
        break;
      case 1:
        checkString(s, false);
        break;
      case 2:
        (void)s.device.ReadDipSwitches(s.handle);
        (void)s.device.GetProductId(s.handle);
        (void)s.device.GetDeviceVersion(s.handle);
        break;
      case 3:
      case 4:
      case 5:
        checkPackets(s, code % kOperations - 3, (a & 1) ? static_cast<uint16_t>(0x10000 - b) : address,
                     (a * 7u + b) % 300);
        break;
      case 6: {
        std::vector<uint8_t> answer(b % 65, 0);
        uint32_t moved = 0;
        const wdu::Status st =
            s.device.VendorA2In(s.handle, address, static_cast<uint16_t>((a << 8) | 0xC1), answer, &moved);
        FUZZ_CHECK(moved <= answer.size(), "an answer is no longer than asked");
        (void)st;
        break;
      }
      case 7:
        (void)s.device.IicSelectDevice(s.handle, a);
        (void)s.device.IicWriteVersion(s.handle, a, address);
        (void)s.device.HoldInResetFx2(s.handle, b & 1);
        (void)s.device.IicCommandAA(s.handle);
        break;
    }
  }
}

}  // namespace fuzzusbops
