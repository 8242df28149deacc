// The libusb backend's pieces that need no device: the status mapping, the permission message, and the
// backend starting on this machine. (Devices come in through umockdev: sim/usbfs.)
#include "platform/wdu/libusb_backend.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include "platform/wdu/wdu_test_support.h"

namespace {

using namespace wdu::libusb_detail;

TEST(LibusbStatus, ErrorsMapToTheLayersStatuses) {
  const std::pair<int, wdu::Status> cases[] = {
      {LIBUSB_SUCCESS, wdu::kSuccess},
      {LIBUSB_ERROR_TIMEOUT, wdu::kTimeout},
      {LIBUSB_ERROR_PIPE, wdu::kStall},
      {LIBUSB_ERROR_NO_DEVICE, wdu::kDeviceRemoved},
      {LIBUSB_ERROR_ACCESS, wdu::kAccessDenied},
      {LIBUSB_ERROR_BUSY, wdu::kBusy},
      {LIBUSB_ERROR_OVERFLOW, wdu::kOverflow},
      {LIBUSB_ERROR_NO_MEM, wdu::kNoResources},
      {LIBUSB_ERROR_INVALID_PARAM, wdu::kInvalidParameter},
      {LIBUSB_ERROR_NOT_FOUND, wdu::kInvalidParameter},
      {LIBUSB_ERROR_IO, wdu::kDeviceError},
      {LIBUSB_ERROR_NOT_SUPPORTED, wdu::kDeviceError},
      {LIBUSB_ERROR_OTHER, wdu::kDeviceError},
  };
  for (auto [error, status] : cases) EXPECT_EQ(statusFromError(error), status) << libusb_error_name(error);
}

TEST(LibusbStatus, TransferEndsMapToTheLayersStatusesAndAnUnplugWinsOverAnError) {
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_COMPLETED, false), wdu::kSuccess);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_TIMED_OUT, false), wdu::kTimeout);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_STALL, false), wdu::kStall);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_NO_DEVICE, false), wdu::kDeviceRemoved);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_OVERFLOW, false), wdu::kOverflow);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_ERROR, false), wdu::kDeviceError);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_ERROR, true), wdu::kDeviceRemoved);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_CANCELLED, true), wdu::kDeviceRemoved);
  EXPECT_EQ(statusFromTransfer(LIBUSB_TRANSFER_CANCELLED, false), wdu::kDeviceError);
  EXPECT_STREQ(wdu::StatusText(wdu::kAccessDenied), "Permission denied: the device cannot be opened");
}

TEST(LibusbStatus, ThePermissionMessageNamesTheDeviceAndTheRuleToAdd) {
  const std::string text = accessDeniedMessage(0x11BE, 0xF0A9, 1, 5);
  EXPECT_NE(text.find("USB device 11be:f0a9 (bus 001, device 005: /dev/bus/usb/001/005)"), std::string::npos)
      << text;
  EXPECT_NE(text.find("permission denied"), std::string::npos);
  EXPECT_NE(
      text.find("copy 70-lighting-usb.rules (udev/ in the sources, share/doc/zem/examples/ where the tools "
                "are installed) to /etc/udev/rules.d/"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find(R"(SUBSYSTEM=="usb", ATTR{idVendor}=="11be", MODE="0660", TAG+="uaccess")"),
            std::string::npos);
  EXPECT_NE(text.find("udevadm control --reload-rules"), std::string::npos);
}

// On this machine, whatever its USB devices: the default backend starts (or says why not), and a
// registration for a device nobody has comes and goes without a callback.
TEST(LibusbBackend, InitAndUninitWithNoMatchingDeviceOnThisMachine) {
  const wdu::Status st = wdu::SelectBackendLibrary("");
  if (st != wdu::kSuccess) {
    EXPECT_EQ(st, wdu::kNoBackend);
    EXPECT_NE(wdu::BackendError(), "");
    GTEST_SKIP() << wdu::BackendError();
  }
  wdu::testing::Recorder rec;
  {
    wdu::testing::Registration reg(rec, {{0xFFFE, 0xFFFE}});
    EXPECT_FALSE(rec.waitFor('A', 1, std::chrono::milliseconds(100)));
    reg.close();
  }
  EXPECT_EQ(rec.entries().size(), 0u);
}

}  // namespace
