// The USB layer's backend for real devices, on libusb-1.0: the default when no backend library is named.
//
// Devices arrive and leave through libusb's hot-plug callbacks (or, where libusb has none, a scan every
// half second); their information comes from the descriptors the system already read, so nothing is
// opened until a program uses the device. The first SetInterface or transfer opens it, and it is closed
// again (its interfaces released) when no registration holds it any more; a device the
// user may not open answers kAccessDenied and gets one message on stderr that names it and the udev
// rule that grants access. Transfers are libusb's asynchronous ones, waited for by the caller: an
// unplug ends the wait at once with kDeviceRemoved (libusb finishes the transfer in its own time, on
// a buffer of ours). The backend runs one thread of its own, libusb's event loop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wdu/backend.h"

namespace wdu {

// The libusb backend, started on the first call (nullptr, with the reason in why, if libusb cannot
// start). It lives for the rest of the process.
Backend* libusbBackend(std::string& why);

namespace libusb_detail {

// A libusb error code (LIBUSB_ERROR_*) as the layer's status.
Status statusFromError(int libusbError);
// A finished transfer's libusb_transfer_status as the layer's status; gone tells that the device has
// left (a cancelled transfer then answers kDeviceRemoved).
Status statusFromTransfer(int transferStatus, bool gone);
// The message for a device the user may not open: which device, and the udev rule to add.
std::string accessDeniedMessage(uint16_t vendorId, uint16_t productId, int bus, int address);

}  // namespace libusb_detail
}  // namespace wdu
