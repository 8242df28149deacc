// Control of the simulated USB bus: plug and unplug devices, latency, injected faults, the log.
//
// The simulator is a shared library (libsim_usb.so) that the USB layer loads as its backend when
// ZEM_USB_LIBRARY names it. Tests and demos script it through the one C entry point
// SimUsbControl (dlopen the same file: a process holds one bus):
//   void* lib = dlopen(path, RTLD_NOW);
//   auto* bus = reinterpret_cast<simusb::Control* (*)()>(dlsym(lib, "SimUsbControl"))();
//   bus->reset();
//   auto box = bus->newDmxBox({});         // a simulated USB-DMX box (sim_dmx_box.h)
//   uint32_t address = bus->plug(box);     // the layer offers it to matching registrations
//   bus->injectFault(address, {simusb::FaultKind::Stall, simusb::kControlPipe});
//   ... drive the program ...
//   bus->unplug(address);                  // also in the middle of a transfer
//   for (auto& t : bus->transfers()) ...   // every transfer the bus carried
//
// Time. Latency, pacing and injected time-outs run on the bus's time source: real time unless a
// test installs its own (a virtual clock makes them cost nothing). A transfer that waits for a
// device with no known ready time (Reply::pending(0)) waits in real time, until the device wakes
// it, the device is unplugged or the transfer's time-out passes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/usb/sim_device.h"

#if defined(__GNUC__)
#define SIMUSB_EXPORT __attribute__((visibility("default")))
#else
#define SIMUSB_EXPORT
#endif

namespace simusb {

// The devices the bus plugs in when the library loads, for programs run against it:
// entries separated by ';', each one of (numbers in hex)
//   dmx[:PRODUCT[:NAME]]                      a USB-DMX box (PRODUCT F0A9 if left out)
//   fx2[:PRODUCT[:BCD[:NAME]]], an21[...]     an EZ-USB chip; without a product, or with a blank one, a chip
//                                             without firmware
//   board:ADDR:ID:CODE:EXTRA:VERSION[:boot]   an IIC board behind the chip named last
// e.g.
//   ZEM_SIM_USB_DEVICES="dmx:F0A9:Stage left;dmx:F028:Stage right"
//   ZEM_SIM_USB_DEVICES="fx2:1001:0102:Front panel;board:24:F080:30:05:0102;fx2"
inline constexpr const char* kDevicesEnvVar = "ZEM_SIM_USB_DEVICES";

class SimDmxBox;
struct DmxBoxConfig;
class SimEzUsb;
struct EzUsbConfig;

class TimeSource {
 public:
  virtual uint32_t tick() = 0;
  virtual void sleep(uint32_t ms) = 0;

 protected:
  ~TimeSource() = default;
};

enum class FaultKind {
  Status,     // the transfer answers `status` at once; the device sees nothing
  Stall,      // the transfer answers kStall; the device sees nothing
  Timeout,    // nothing happens until the transfer's time-out: kTimeout, 0 bytes
  ShortRead,  // an IN transfer delivers at most shortBytes bytes (OUT transfers pass untouched)
};

// Parameterised tests print a kind by its name.
inline void PrintTo(FaultKind kind, std::ostream* os) {
  static const char* const kNames[] = {"Status", "Stall", "Timeout", "ShortRead"};
  *os << kNames[static_cast<int>(kind)];
}

inline constexpr int kAnyPipe = -1;
inline constexpr int kControlPipe = 0;
inline constexpr int kAnyRequest = -1;

struct FaultSpec {
  FaultKind kind = FaultKind::Status;
  int pipe = kAnyPipe;  // kControlPipe, an endpoint address, or kAnyPipe
  int count = 1;        // transfers it hits; -1 = until cleared
  uint32_t status = wdu::kDeviceError;
  uint32_t shortBytes = 0;
  // Only control transfers with this bRequest (SET_INTERFACE counts as 0x0B), or kAnyRequest. A fault
  // that names a request never hits a bulk transfer.
  int request = kAnyRequest;
};

// One transfer the bus carried (also those that failed).
struct TransferRecord {
  uint32_t tick = 0;     // when it started
  uint32_t address = 0;  // bus address of the device
  uint8_t pipe = 0;      // 0 = control, else the endpoint address
  bool in = false;
  std::array<uint8_t, 8> setup{};  // control only; SET_INTERFACE is logged as its request too
  uint32_t requested = 0;
  std::vector<uint8_t> data;  // the bytes moved
  uint32_t status = 0;
};

class Control {
 public:
  // Unplugs every device, clears faults, log and latency, back to real time.
  virtual void reset() = 0;
  // nullptr = real time. The caller keeps ownership; uninstall before it goes.
  virtual void setTimeSource(TimeSource* source) = 0;

  // Plugs a device in; answers its bus address (never reused), or 0 if it is plugged in already.
  virtual uint32_t plug(std::shared_ptr<Device> device) = 0;
  // Unplugs it: transfers in flight end with kDeviceRemoved, then the layer hears of it.
  virtual bool unplug(uint32_t address) = 0;
  virtual std::vector<uint32_t> addresses() const = 0;
  virtual std::shared_ptr<Device> device(uint32_t address) const = 0;

  // Every transfer waits this long before the device sees it.
  virtual void setLatencyMs(uint32_t ms) = 0;
  // Faults hit the device's next matching transfers, oldest fault first.
  virtual void injectFault(uint32_t address, const FaultSpec& fault) = 0;
  virtual void clearFaults(uint32_t address) = 0;

  // The log, oldest first. Logging keeps at most `limit` records (the oldest go first).
  virtual std::vector<TransferRecord> transfers() const = 0;
  virtual void clearTransfers() = 0;
  virtual void setTransferLog(bool enabled, size_t limit = 100000) = 0;

  // Transfers now waiting on the device (a pending answer, latency or an injected time-out).
  virtual uint32_t waitingTransfers(uint32_t address) const = 0;
  // Waits (real time, at most realTimeoutMs) until at least `count` transfers wait on the device.
  virtual bool waitForWaitingTransfers(uint32_t address, uint32_t count, uint32_t realTimeoutMs) = 0;

  // Device models of this library (not yet plugged in).
  virtual std::shared_ptr<SimDmxBox> newDmxBox(const DmxBoxConfig& config) = 0;
  // An EZ-USB console chip (sim_ezusb.h), with the IIC boards added to it.
  virtual std::shared_ptr<SimEzUsb> newEzUsb(const EzUsbConfig& config) = 0;

  // Plugs in the devices a text names, in the form of kDevicesEnvVar; answers one message for each
  // entry it could not read (and skips it).
  virtual std::vector<std::string> plugFromSpec(const std::string& spec) = 0;

 protected:
  ~Control() = default;
};

}  // namespace simusb

extern "C" SIMUSB_EXPORT simusb::Control* SimUsbControl();
