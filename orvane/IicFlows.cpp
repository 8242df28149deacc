// The IIC bus scan and the IIC board update of the firmware tool's dialog.
#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

#include "orvane/CHexFile.h"
#include "orvane/COrvaneDlg.h"
#include "orvane/FlowHelpers.h"
#include "orvane/PcbTypes.h"
#include "platform/sys/clock.h"

using orvane::FlowError;

namespace {

constexpr uint8_t kFirstAddress = 2;
constexpr uint8_t kLastAddress = 252;
constexpr uint8_t kCmdIdent = 0xC1;
constexpr uint8_t kCmdWords = 0xC0;
constexpr uint16_t kIdBlockWord = 0x0178;
constexpr uint16_t kProgramWord = 0x0180;
constexpr uint32_t kIdBlockByte = 0x2F0;
constexpr size_t kHeaderSize = CYDevice::kBlock32;
constexpr uint32_t kHeaderByte = 0x2E0;
constexpr uint32_t kProgramByte = 0x300;
constexpr size_t kProgramMax = 8192;
constexpr uint8_t kExtra32BytePackets = 0x10;
constexpr uint32_t kHoldPauseMs = 1000;
constexpr int kFinalCheckAttempts = 3;
constexpr const char* kHexFilter = "intel HEX file (*.hex)|*.hex||";

uint16_t iicIndex(uint8_t address, uint8_t command) {
  return static_cast<uint16_t>((address << 8) | command);
}

}  // namespace

void COrvaneDlg::IicStep(bool ok) {
  if (!ok) throw FlowError{orvane::kErrIicCommand};
}

// Zero-filled first: a reply shorter than asked leaves no bytes of the previous board behind.
BoardEntry COrvaneDlg::ReadIdent(wdu::DeviceHandle dev, uint8_t address) {
  std::array<uint8_t, kIdentSize> ident{};
  uint32_t moved = 0;
  if (device_->VendorA2In(dev, 0, iicIndex(address, kCmdIdent), ident, &moved) != wdu::kSuccess)
    throw FlowError{orvane::kErrTransfer};
  return BoardFromIdent(ident);
}

BoardEntry COrvaneDlg::ReadIdBlock(wdu::DeviceHandle dev, uint8_t address, int packetForError) {
  std::array<uint8_t, kIdBlockSize> block{};
  uint32_t moved = 0;
  if (device_->VendorA2In(dev, kIdBlockWord, iicIndex(address, kCmdWords), block, &moved) != wdu::kSuccess)
    throw FlowError{orvane::kErrTransfer, packetForError};
  return BoardFromIdBlock(block);
}

void COrvaneDlg::ScanIicBus() {
  ClearIicList();
  const wdu::DeviceHandle dev = SelectedUsbHandle();
  if (!device_ || dev == 0) return;
  if (IsBlankProductId(device_->GetProductId(dev))) {
    AddLog("IIC search not possible on unprogrammed uC");
    return;
  }
  busy_ = true;
  try {
    ScanIicBusSteps(dev);
  } catch (const FlowError& e) {
    LogLines(orvane::ErrorLogLines(orvane::Flow::IicScan, e));
    (void)device_->IicCommandAA(dev);  // the bus is released after a failed scan too; nothing more to do
  } catch (const std::exception&) {
    LogLines(orvane::SystemExceptionLogLines(orvane::Flow::IicScan));
  }
  busy_ = false;
  Repaint();
}

void COrvaneDlg::ScanIicBusSteps(wdu::DeviceHandle dev) {
  AddLog("Please wait. Scanning for IIC PCB\xC2\xB4s.");
  boardCount_ = 0;
  for (unsigned a = kFirstAddress; a <= kLastAddress; a += 2) {
    const auto address = static_cast<uint8_t>(a);
    BoardEntry& board = boards_[address];
    board = ReadIdent(dev, address);
    sys::sleepMs(static_cast<uint32_t>(ioDelay_));
    if (board.code == 0) continue;
    const bool bootState = board.id == kBootStateId;
    if (bootState) {
      IicStep(device_->IicCommand55(dev));
      sys::sleepMs(kHoldPauseMs);
      IicStep(device_->IicCommandCE(dev, address));
      board = ReadIdBlock(dev, address, 0);
    }
    lbIicDevices->items().add(IicListLine(address, board, bootState), address);
    ++boardCount_;
    Repaint();
  }
  btnUpdateIic->setEnabled(false);
  AddLog("IIC PCB scan success.");
  (void)device_->IicCommandAA(dev);  // releasing the bus: a failure leaves nothing to undo
  Repaint();
}

void COrvaneDlg::UpdateIicFirmware() {
  if (busy_ || !UpdateData()) return;
  const wdu::DeviceHandle dev = SelectedUsbHandle();
  const int boardIndex = lbIicDevices->itemIndex();
  if (!device_ || dev == 0 || boardIndex < 0) {
    LogLines(orvane::ErrorLogLines(orvane::Flow::IicUpdate, {orvane::kErrNoSelection}));
    return;
  }
  const auto address = static_cast<uint8_t>(lbIicDevices->items().data(boardIndex));
  busy_ = true;
  try {
    UpdateIicSteps(dev, address);
  } catch (const FlowError& e) {
    LogLines(orvane::ErrorLogLines(orvane::Flow::IicUpdate, e));
  } catch (const std::exception&) {
    LogLines(orvane::SystemExceptionLogLines(orvane::Flow::IicUpdate));
  }
  // Whatever happened, the board runs again and the bus is released.
  cbProgramUnknownPcb->setChecked(false);
  (void)device_->IicCommandCD(dev, address);  // nothing more can be done when these fail
  (void)device_->IicCommandAA(dev);
  busy_ = false;
  Repaint();
}

void COrvaneDlg::UpdateIicSteps(wdu::DeviceHandle dev, uint8_t address) {
  const std::optional<std::string> path = orvane::AskForFile(kHexFilter);
  if (!path) throw FlowError{orvane::kErrCancelled};
  CHexFile file;
  if (!file.Open(*path)) throw FlowError{orvane::kErrOpenFile};
  // Checked to its end-of-file record before anything is read from it: a file cut short or damaged past
  // the ID block would otherwise read as a shorter program, written and verified as if whole.
  if (const std::optional<CHexFile::FileFault> fault = file.CheckWhole()) {
    throw FlowError{orvane::kErrReadHexFile, 0,
                    std::filesystem::path(*path).filename().string() + ": " + CHexFile::Describe(*fault)};
  }

  std::array<uint8_t, kIdBlockSize> idBlock{};
  if (file.ReadRange(kIdBlockByte, idBlock) != static_cast<int>(kIdBlockSize))
    throw FlowError{orvane::kErrReadHexFile};
  const BoardEntry fromFile = BoardFromIdBlock(idBlock);
  const BoardEntry board = boards_[address];

  if (!programUnknownPcb_) {
    if (fromFile.id != board.id || fromFile.code != board.code || fromFile.extra != board.extra)
      throw FlowError{orvane::kErrNotSuited};
    AskOrCancel(orvane::CompareVersions(board.version, fromFile.version).question);
  } else if (!ConfirmUnknownPcb()) {
    throw FlowError{orvane::kErrCancelled};
  }

  const size_t packetSize = fromFile.extra < kExtra32BytePackets ? 8 : 32;
  std::array<uint8_t, kHeaderSize> header{};
  if (file.ReadRange(kHeaderByte, header) != static_cast<int>(kHeaderSize))
    throw FlowError{orvane::kErrReadHexFile};

  AddLog(orvane::Format("Updating %s with %s", std::string(PcbTypeName(board.id, board.code)).c_str(),
                        path->c_str()));
  AddLog("Please wait. Sending new firmware over IIC...");
  AddLog("Writing address: 0x----", 0, false);

  std::vector<uint8_t> program(kProgramMax, 0);
  const int read = file.ReadRange(kProgramByte, program);
  if (read < 0) throw FlowError{orvane::kErrReadHexFile};
  file.Close();
  const size_t size = static_cast<size_t>(read);
  const size_t packets = size / packetSize + (size % packetSize ? 1 : 0);
  pbProgress->setMin(0);
  pbProgress->setMax(static_cast<int>(size));

  IicStep(device_->IicCommand55(dev));
  sys::sleepMs(kHoldPauseMs);
  IicStep(device_->IicSelectDevice(dev, address));
  if (fromFile.extra >= kExtra32BytePackets) {
    IicStep(device_->IicWriteVersionBlock32(dev, address, header));
  } else {
    IicStep(device_->IicClearVersionBlock(dev, address));
  }

  const uint16_t index = iicIndex(address, kCmdWords);
  auto wordOf = [&](size_t n) { return static_cast<uint16_t>(kProgramWord + n * packetSize / 2); };
  for (size_t n = 0; n < packets; ++n) {
    pbProgress->setPosition(static_cast<int>(n * packetSize));
    const std::string at = orvane::Format("Writing address: 0x%04x", wordOf(n));
    AddLog(at, at.size(), false);
    const std::span<const uint8_t> packet(program.data() + n * packetSize, packetSize);
    if (device_->VendorA2Out(dev, wordOf(n), index, packet) != wdu::kSuccess)
      throw FlowError{orvane::kErrTransfer, static_cast<int>(n + 1)};
    sys::sleepMs(static_cast<uint32_t>(ioDelay_));
    Repaint();
  }
  AddLog("");
  firmwareWritten_ = true;

  AddLog("Please wait. Verifying firmware over IIC...");
  AddLog("Reading address: 0x----", 0, false);
  IicStep(device_->IicCommandCE(dev, address));
  std::vector<uint8_t> readBack(kProgramMax, 0);
  for (size_t n = 0; n < packets; ++n) {
    const std::string at = orvane::Format("Reading address: 0x%04x", wordOf(n));
    AddLog(at, at.size(), false);
    const std::span<uint8_t> packet(readBack.data() + n * packetSize, packetSize);
    uint32_t moved = 0;
    // A short answer is a failed read: its missing bytes would otherwise compare as zeros.
    if (device_->VendorA2In(dev, wordOf(n), index, packet, &moved) != wdu::kSuccess || moved != packetSize)
      throw FlowError{orvane::kErrTransfer, static_cast<int>(n + 1)};
    sys::sleepMs(static_cast<uint32_t>(ioDelay_));
  }
  AddLog("");
  if (!std::equal(program.begin(), program.begin() + static_cast<ptrdiff_t>(size), readBack.begin()))
    throw FlowError{orvane::kErrContentDiffers};

  bool versionTook = false;
  for (int attempt = 1; attempt <= kFinalCheckAttempts && !versionTook; ++attempt) {
    IicStep(device_->IicSelectDevice(dev, address));
    if (fromFile.extra >= kExtra32BytePackets) {
      IicStep(device_->IicWriteHeaderBlock32(dev, address, header));
    } else {
      IicStep(device_->IicWriteVersion(dev, address, fromFile.version));
    }
    IicStep(device_->IicCommandCE(dev, address));
    boards_[address] = ReadIdBlock(dev, address, attempt);
    versionTook = boards_[address].version == fromFile.version;
  }
  if (!versionTook) throw FlowError{orvane::kErrIicCommand};
  AddLog("Verify OK. Orvane successful.");
  pbProgress->setPosition(0);
}
