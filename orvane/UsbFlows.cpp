// The USB microcontroller update of the firmware tool's dialog: the loader for a blank chip, then the boot
// image written into the chip's EEPROM and read back.
#include <algorithm>
#include <exception>
#include <fstream>
#include <optional>
#include <vector>

#include "orvane/COrvaneDlg.h"
#include "orvane/FlowHelpers.h"
#include "platform/sys/clock.h"
#include "platform/ui/screen.h"
#include "usbdevice/CHexResource.h"
#include "usbdevice/boot_image.h"
#include "usbdevice/loader_images.h"

using orvane::FlowError;

namespace {

constexpr size_t kEepromPacket = 64;
constexpr uint32_t kEepromWritePauseMs = 30;
// An image must hold its trailer; one larger than the 16-bit EEPROM address space would wrap onto its
// own start.
constexpr size_t kImageMinSize = bootimage::kProductIdFromEnd;
constexpr size_t kImageMaxSize = 0x10000;
constexpr const char* kImageFilter = "binary file (*.b6;*.c2;*.iic)|*.b6;*.c2;*.iic||";

// The whole file; nothing when it cannot be read. Reading stops past maxSize, which is enough to refuse it.
std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxSize) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes;
  char buf[4096];
  while (in && bytes.size() <= maxSize) {
    in.read(buf, sizeof buf);
    bytes.insert(bytes.end(), buf, buf + in.gcount());
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

void COrvaneDlg::UpdateUsbFirmware() {
  if (busy_ || !UpdateData()) return;
  const wdu::DeviceHandle dev = SelectedUsbHandle();
  if (!device_ || dev == 0) {
    AddLog("You need to select a device from the list");
    return;
  }
  busy_ = true;
  if (!programUnknownPcb_ || ConfirmUnknownPcb()) {
    const uint16_t productId = device_->GetProductId(dev);
    if (IsBlankProductId(productId) && DownloadLoader(dev) < 0) {
      AddLog("ERROR: Ram Download failed.");
    } else if (WriteUsbFirmware(dev) == 0) {
      firmwareWritten_ = true;
    }
  }
  cbProgramUnknownPcb->setChecked(false);
  busy_ = false;
}

// A failure of any step (holding the CPU, a RAM packet, a loader record) ends the download with a negative
// result, and the CPU stays held: a loader that did not arrive whole must not run.
int COrvaneDlg::DownloadLoader(wdu::DeviceHandle dev) {
  const bool an21 = device_->GetProductId(dev) == kBlankProductIdAn21;
  ui::ScopedCursor wait(ui::crHourGlass);
  AddLog("Sending loader...");
  CHexResource loader(an21 ? kLoaderAn21ResourceId : kLoaderFx2ResourceId);
  int type = loader.ReadRecord();
  if (type == intelhex::kNoRecord) {
    AddLog("ERROR: failed to open file.");
    return -1;
  }
  pbProgress->setMin(1);
  pbProgress->setMax(static_cast<int>(loader.GetTotalSize()));
  pbProgress->setPosition(0);
  auto hold = [&](bool on) {
    return an21 ? device_->HoldInResetAn21(dev, on) : device_->HoldInResetFx2(dev, on);
  };
  int result = hold(true);
  while (result == 0 && type == intelhex::kDataRecord) {
    const intelhex::HexRecord& record = loader.Record();
    if (device_->RamWrite(dev, record.address(), record.bytes()) < 0) {
      result = -1;
      break;
    }
    type = loader.ReadRecord();
    pbProgress->setPosition(static_cast<int>(loader.GetBytesRead()));
  }
  // Only a loader read to its end-of-file record is complete.
  if (result == 0 && type != intelhex::kEndOfFileRecord) result = -1;
  if (result == 0) result = hold(false);
  pbProgress->setPosition(0);
  Repaint();
  return result;
}

int COrvaneDlg::WriteUsbFirmware(wdu::DeviceHandle dev) {
  try {
    return WriteUsbSteps(dev);
  } catch (const FlowError& e) {
    LogLines(orvane::ErrorLogLines(orvane::Flow::UsbUpdate, e));
  } catch (const std::exception&) {
    LogLines(orvane::SystemExceptionLogLines(orvane::Flow::UsbUpdate));
  }
  pbProgress->setPosition(0);
  return -1;
}

int COrvaneDlg::WriteUsbSteps(wdu::DeviceHandle dev) {
  const std::optional<std::string> path = orvane::AskForFile(kImageFilter);
  if (!path) throw FlowError{orvane::kErrCancelled};
  std::optional<std::vector<uint8_t>> file = readFile(*path, kImageMaxSize);
  if (!file) throw FlowError{orvane::kErrOpenFile};
  const std::vector<uint8_t>& image = *file;

  AddLog(orvane::Format("Update firmware of %s with %s", SelectedUsbLine().c_str(), path->c_str()));
  // Refused before anything is written: too small to hold its trailer, or too large for the EEPROM.
  if (image.size() < kImageMinSize || image.size() > kImageMaxSize) throw FlowError{orvane::kErrNotSuited};

  const uint16_t productId = device_->GetProductId(dev);
  if (programUnknownPcb_) {
    if (IsBlankProductId(productId)) {
      const uint8_t kind = productId == kBlankProductIdAn21 ? bootimage::kKindAn21 : bootimage::kKindFx2;
      if (image[0] != kind) throw FlowError{orvane::kErrNotSuited};
    }
  } else {
    if (GetImageProductId(image) != productId) throw FlowError{orvane::kErrNotSuited};
    const orvane::VersionComparison comparison =
        orvane::CompareVersions(device_->GetDeviceVersion(dev), GetImageVersion(image).value_or(0));
    AddLog(comparison.logLine);
    AskOrCancel(comparison.question);
  }

  ui::ScopedCursor wait(ui::crHourGlass);
  const size_t size = image.size();
  const size_t packets = size / kEepromPacket + (size % kEepromPacket ? 1 : 0);
  AddLog("Sending new firmware...");
  pbProgress->setMin(1);
  pbProgress->setMax(static_cast<int>(packets));
  (void)device_->IicCommand55(dev);  // a loader has no IIC bus to hold: its answer does not matter
  auto packetSpan = [&](size_t n) {
    const size_t at = n * kEepromPacket;
    return std::pair{static_cast<uint16_t>(at), std::min(kEepromPacket, size - at)};
  };
  for (size_t n = 0; n < packets; ++n) {
    const auto [address, length] = packetSpan(n);
    if (device_->VendorA2Out(dev, address, 0, std::span<const uint8_t>(image.data() + address, length)) !=
        wdu::kSuccess)
      throw FlowError{orvane::kErrTransfer, static_cast<int>(n + 1)};
    sys::sleepMs(kEepromWritePauseMs);
    pbProgress->setPosition(static_cast<int>(n + 1));
    Repaint();
  }

  AddLog("Verifying new firmware...");
  pbProgress->setMin(1);
  pbProgress->setMax(static_cast<int>(packets));
  std::vector<uint8_t> readBack(size, 0);
  for (size_t n = 0; n < packets; ++n) {
    const auto [address, length] = packetSpan(n);
    uint32_t moved = 0;
    if (device_->VendorA2In(dev, address, 0, std::span<uint8_t>(readBack.data() + address, length), &moved) !=
            wdu::kSuccess ||
        moved != length)
      throw FlowError{orvane::kErrTransfer, static_cast<int>(n + 1)};
    pbProgress->setPosition(static_cast<int>(n + 1));
  }
  (void)device_->IicCommandAA(dev);  // as 55 above
  if (readBack != image) throw FlowError{orvane::kErrContentDiffers};
  AddLog("Verify OK");
  AddLog("Orvane success");
  pbProgress->setPosition(0);
  return 0;
}
