// What the USB device classes read from an EZ-USB chip (string descriptors, the DIP byte, EEPROM and IIC
// answers) against a device that answers what the input says, with the checks of usb_ops.h.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/usb_ops.h"
#include "fuzz/usb_session.h"
#include "usbdevice/CYDevice.h"

namespace {

fuzzusb::Control* g_bus = nullptr;
CYDevice* g_device = nullptr;
wdu::DeviceHandle g_handle = 0;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_bus = fuzz::UseFuzzedBus(fuzz::ChipInfo(0x04B4, 0x1001, 0x0102));
  static CYDevice device(kOrvaneMatchTable);
  g_device = &device;
  if (!fuzz::WaitForDevices([] { return g_device->GetDeviceCount(); }, 1)) std::abort();
  g_handle = g_device->GetDeviceHandle(0);
  fuzz::UseVirtualClock();  // the pauses after IIC and EEPROM requests cost no time
  return 0;
}

// Input: the device's string indexes (manufacturer, product), a count of operations and three bytes each
// (operation, two arguments), then the device's answers (usb/fuzz_usb.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  wdu::DeviceInfo info = fuzz::ChipInfo(0x04B4, 0x1001, 0x0102);
  info.iManufacturer = in.byte();
  info.iProduct = in.byte();
  const size_t ops = in.byte() % 16;  // three bytes each
  const std::vector<uint8_t> program = in.takePadded(3 * ops);
  const auto answers = in.rest();
  g_bus->replay(answers.data(), answers.size(), info);
  g_device->SetDescriptorText("");

  fuzzusbops::RunOps(*g_device, g_handle, *g_bus, program);
  return 0;
}
