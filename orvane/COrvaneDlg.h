// The firmware tool's dialog: the console's USB microcontrollers and the IIC boards behind the one picked,
// the two update flows (an IIC board from an Intel HEX file, a microcontroller's EEPROM from a boot image),
// the IO delay, the log and the progress bar.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "orvane/IicBoard.h"
#include "orvane/OrvaneErrors.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "usbdevice/CYDevice.h"

// Chips without firmware answer with the default product id of their family.
inline constexpr uint16_t kBlankProductIdAn21 = 0x2235;
inline constexpr uint16_t kBlankProductIdFx2 = 0x8613;
inline constexpr uint16_t kBlankProductIdFx2Other = 0x6473;
bool IsBlankProductId(uint16_t productId);

class COrvaneDlg : public ui::Form {
 public:
  static constexpr uint32_t kUsbListTimerMs = 1500;
  static constexpr int kIoDelayMin = 25;
  static constexpr int kIoDelayMax = 200;
  static constexpr int kIoDelayDefault = 25;
  static constexpr size_t kBoardAddresses = 256;

  explicit COrvaneDlg(ui::Component* owner = nullptr);
  ~COrvaneDlg() override;

  // The dialog's controls.
  ui::Label* lUsbDevices;
  ui::ListBox* lbUsbDevices;  // one line per microcontroller; item data: its device handle
  ui::Label* lIicDevices;
  ui::ListBox* lbIicDevices;  // one line per board; item data: its IIC address
  ui::Button* btnUpdateUsb;
  ui::Button* btnUpdateIic;
  ui::CheckBox* cbProgramUnknownPcb;
  ui::Label* lIoDelay;
  ui::Edit* edIoDelay;
  ui::Memo* edLog;
  ui::ProgressBar* pbProgress;
  ui::Button* btnClearLog;
  ui::Button* btnClose;
  ui::Label* lAttention;
  ui::Timer* tmUsbList;

  // The USB device object (the device list and the requests); null before the dialog's creation.
  CYDevice* Device() const { return device_.get(); }
  int IoDelay() const { return ioDelay_; }
  bool FirmwareWritten() const { return firmwareWritten_; }
  uint32_t BoardCount() const { return boardCount_; }
  const BoardEntry& Board(uint8_t address) const { return boards_[address]; }

  // Rebuilds the USB list from the device list (the timer does so when the list changed).
  void RefreshUsbList();
  // The IIC bus scan of the microcontroller picked in the USB list.
  void ScanIicBus();
  // The two update flows, as their buttons run them.
  void UpdateIicFirmware();
  void UpdateUsbFirmware();
  // Places the loader for the chip's kind in its RAM and lets it run: 0, or negative on failure.
  int DownloadLoader(wdu::DeviceHandle dev);
  // Asks for a boot image, checks it, writes it into the chip's EEPROM and reads it back: 0, or -1 after
  // the error's log lines.
  int WriteUsbFirmware(wdu::DeviceHandle dev);

  // Adds text to the log: first removes replaceCount characters from its end (when there are that many),
  // then appends the text and, with newline, a line break. The log shows its end.
  void AddLog(std::string_view text, size_t replaceCount = 0, bool newline = true);
  // The log's whole text, lines joined by CR LF.
  std::string LogText() const { return edLog->content(); }

 protected:
  void doCreate() override;
  bool closeQuery() override;

 private:
  void OnTimer();
  void OnUsbSelChange();
  void OnIicSelChange();
  void OnClearLog();
  // Takes the IO delay and the check box from the controls; false (after the standard message) when the
  // IO delay is out of its range.
  bool UpdateData();
  wdu::DeviceHandle SelectedUsbHandle() const;
  std::string SelectedUsbLine() const;
  void ClearIicList();
  // Shows the dialog as it stands now (a flow runs on the loop's thread).
  void Repaint();
  // Yes/No question; No raises kErrCancelled.
  void AskOrCancel(const std::string& question);
  // The warning before a flow that skips the suitability checks: true to go on.
  bool ConfirmUnknownPcb();
  void LogLines(const std::vector<std::string>& lines);

  // IIC bridge steps that raise an error code.
  void IicStep(bool ok);
  BoardEntry ReadIdent(wdu::DeviceHandle dev, uint8_t address);
  BoardEntry ReadIdBlock(wdu::DeviceHandle dev, uint8_t address, int packetForError);
  void ScanIicBusSteps(wdu::DeviceHandle dev);
  void UpdateIicSteps(wdu::DeviceHandle dev, uint8_t address);
  int WriteUsbSteps(wdu::DeviceHandle dev);

  std::unique_ptr<CYDevice> device_;
  uint32_t knownDeviceCount_ = 0;
  uint32_t knownGeneration_ = 0;
  int ioDelay_ = kIoDelayDefault;
  bool programUnknownPcb_ = false;
  bool firmwareWritten_ = false;
  std::array<BoardEntry, kBoardAddresses> boards_{};
  uint32_t boardCount_ = 0;
  bool logLineOpen_ = false;  // the last log line waits for its end (progress in place)
  bool busy_ = false;         // a flow runs: the timer and the buttons wait
};
