#include "orvane/COrvaneDlg.h"

#include <cstdio>
#include <mutex>

#include "desktop/program_icons.h"
#include "orvane/FlowHelpers.h"
#include "orvane/Version.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/message_box.h"

namespace {

constexpr const char* kUnprogrammedText = "Unprogrammed USB uC";
// Shown in place of a product string that could not be read, so no other device's text stands there.
constexpr const char* kUnreadableText = "(name unreadable)";
constexpr const char* kPowerMessage =
    "Turn off the power NOW and restart the console to activate the new firmware!";

}  // namespace

bool IsBlankProductId(uint16_t productId) {
  return productId == kBlankProductIdAn21 || productId == kBlankProductIdFx2 ||
         productId == kBlankProductIdFx2Other;
}

COrvaneDlg::COrvaneDlg(ui::Component* owner) : ui::Form(owner) {
  setName("COrvaneDlg");
  setCaption("PCB orvane");
  setBorderStyle(ui::BorderStyle::Dialog);
  setBorderIcons(ui::kSystemMenu | ui::kMinimize);
  setPosition(ui::FormPosition::ScreenCenter);
  setClientSize(716, 446);

  lUsbDevices = ui::make<ui::Label>(this, this, "lUsbDevices", 12, 10, 0, 13);
  lUsbDevices->setCaption("USB devices:");
  lbUsbDevices = ui::make<ui::ListBox>(this, this, "lbUsbDevices", 12, 26, 320, 108);
  lbUsbDevices->onSelChange = [this](ui::Component*) { OnUsbSelChange(); };
  lIicDevices = ui::make<ui::Label>(this, this, "lIicDevices", 344, 10, 0, 13);
  lIicDevices->setCaption("IIC devices:");
  lbIicDevices = ui::make<ui::ListBox>(this, this, "lbIicDevices", 344, 26, 360, 108);
  lbIicDevices->onSelChange = [this](ui::Component*) { OnIicSelChange(); };

  btnUpdateUsb = ui::make<ui::Button>(this, this, "btnUpdateUsb", 12, 142, 150, 25);
  btnUpdateUsb->setCaption("Update &USB Firmware");
  btnUpdateUsb->setEnabled(false);
  btnUpdateUsb->onClick = [this](ui::Component*) { UpdateUsbFirmware(); };
  btnUpdateIic = ui::make<ui::Button>(this, this, "btnUpdateIic", 344, 142, 150, 25);
  btnUpdateIic->setCaption("Update &IIC firmware");
  btnUpdateIic->setEnabled(false);
  btnUpdateIic->onClick = [this](ui::Component*) { UpdateIicFirmware(); };

  cbProgramUnknownPcb = ui::make<ui::CheckBox>(this, this, "cbProgramUnknownPcb", 12, 176, 150, 30);
  cbProgramUnknownPcb->setCaption("Program\n\rUnknown PCB");
  lIoDelay = ui::make<ui::Label>(this, this, "lIoDelay", 344, 184, 0, 13);
  lIoDelay->setCaption("IO Delay [ms]:");
  edIoDelay = ui::make<ui::Edit>(this, this, "edIoDelay", 432, 180, 50, 21);
  edIoDelay->setNumbersOnly(true);

  edLog = ui::make<ui::Memo>(this, this, "edLog", 12, 214, 692, 150);
  pbProgress = ui::make<ui::ProgressBar>(this, this, "pbProgress", 12, 372, 692, 16);

  lAttention = ui::make<ui::Label>(this, this, "lAttention", 12, 398, 520, 0);
  lAttention->setWordWrap(true);
  lAttention->setCaption(
      "Attention:\nNew firmware and listed version numbers will only become active after power cycle of the "
      "device.");
  btnClearLog = ui::make<ui::Button>(this, this, "btnClearLog", 548, 404, 75, 25);
  btnClearLog->setCaption("&Clear Log");
  btnClearLog->onClick = [this](ui::Component*) { OnClearLog(); };
  btnClose = ui::make<ui::Button>(this, this, "btnClose", 629, 404, 75, 25);
  btnClose->setCaption("&Close");
  btnClose->setCancel(true);
  btnClose->onClick = [this](ui::Component*) { close(); };

  tmUsbList = new ui::Timer(this, kUsbListTimerMs);
  tmUsbList->onTimer = [this] { OnTimer(); };
}

COrvaneDlg::~COrvaneDlg() = default;

void COrvaneDlg::doCreate() {
  setIcon(&desktop::orvaneIcon());  // big and small
  setCaption(orvane::Format("PCB orvane (V%d.%d.%d.%d)", orvane::kVersion[0], orvane::kVersion[1],
                            orvane::kVersion[2], orvane::kVersion[3]));
  ioDelay_ = kIoDelayDefault;
  edIoDelay->setCaption(std::to_string(ioDelay_));
  device_ = std::make_unique<CYDevice>(kOrvaneMatchTable);
  // Without a USB backend the lists stay empty for good: the log says why, and what to change.
  if (const std::string note = device_->NoBackendNote(); !note.empty()) AddLog(note);
  knownDeviceCount_ = 0;
  knownGeneration_ = 0;
  firmwareWritten_ = false;
  tmUsbList->setEnabled(true);
  ui::Form::doCreate();
}

// Rebuilt on every change of the device list, not only of its count: a chip swapped for another between
// two ticks gets its own line and handle.
void COrvaneDlg::OnTimer() {
  if (busy_ || !device_ || !device_->GetMutex()) return;
  std::lock_guard lock(*device_->GetMutex());
  if (device_->GetListGeneration() != knownGeneration_) RefreshUsbList();
}

void COrvaneDlg::RefreshUsbList() {
  if (!device_) return;
  std::lock_guard lock(*device_->GetMutex());
  const int selected = lbUsbDevices->itemIndex();
  const wdu::DeviceHandle selectedHandle = SelectedUsbHandle();
  lbUsbDevices->items().clear();

  knownGeneration_ = device_->GetListGeneration();
  knownDeviceCount_ = device_->GetDeviceCount();
  if (knownDeviceCount_ == 0) {
    btnUpdateUsb->setEnabled(false);
    btnUpdateIic->setEnabled(false);
    ClearIicList();
  } else {
    btnUpdateUsb->setEnabled(true);
  }

  for (uint32_t i = 0; i < knownDeviceCount_; ++i) {
    const wdu::DeviceHandle handle = device_->GetDeviceHandle(i);
    const uint16_t productId = device_->GetProductId(handle);
    uint16_t version = 0;
    uint8_t dip = 0;
    if (IsBlankProductId(productId)) {
      device_->SetDescriptorText(kUnprogrammedText);
    } else {
      if (!device_->ReadProductString(handle)) device_->SetDescriptorText(kUnreadableText);
      version = device_->GetDeviceVersion(handle);
      dip = device_->ReadDipSwitches(handle);
    }
    lbUsbDevices->items().add(
        orvane::Format("%X  %s  v%02X.%02X  DIPS:%d", productId, device_->GetDescriptorText().c_str(),
                       version >> 8, version & 0xFF, dip),
        handle);
  }
  lbUsbDevices->setItemIndex(selected);
  // The boards listed belong to the device picked before: under another device at that line they would be
  // the wrong ones. The line is left unpicked, so that picking it scans the bus of the device it names.
  if (SelectedUsbHandle() != selectedHandle) {
    ClearIicList();
    lbUsbDevices->setItemIndex(-1);
  }
}

wdu::DeviceHandle COrvaneDlg::SelectedUsbHandle() const {
  const int i = lbUsbDevices->itemIndex();
  return i < 0 ? 0 : static_cast<wdu::DeviceHandle>(lbUsbDevices->items().data(i));
}

std::string COrvaneDlg::SelectedUsbLine() const {
  const int i = lbUsbDevices->itemIndex();
  return i < 0 ? std::string() : lbUsbDevices->items()[i];
}

void COrvaneDlg::ClearIicList() {
  lbIicDevices->items().clear();
  boardCount_ = 0;
  btnUpdateIic->setEnabled(false);
}

void COrvaneDlg::OnUsbSelChange() {
  if (busy_) return;
  ScanIicBus();
}

void COrvaneDlg::OnIicSelChange() {
  if (busy_) return;
  btnUpdateIic->setEnabled(lbIicDevices->itemIndex() >= 0);
}

void COrvaneDlg::OnClearLog() {
  logLineOpen_ = false;
  edLog->setContent("");
  Repaint();
}

bool COrvaneDlg::UpdateData() {
  std::optional<int> delay = ui::takeInteger(*edIoDelay, kIoDelayMin, kIoDelayMax);
  if (!delay) return false;
  ioDelay_ = *delay;
  programUnknownPcb_ = cbProgramUnknownPcb->checked();
  return true;
}

void COrvaneDlg::AddLog(std::string_view text, size_t replaceCount, bool newline) {
  std::string log = edLog->content();
  if (replaceCount != 0 && replaceCount <= log.size()) log.resize(log.size() - replaceCount);
  log += text;
  if (newline) log += "\r\n";
  logLineOpen_ = !newline;
  edLog->setContent(log);
  Repaint();
}

void COrvaneDlg::LogLines(const std::vector<std::string>& lines) {
  // An error ends a progress line first, so that its text starts a line of its own.
  if (logLineOpen_) AddLog("");
  for (const std::string& line : lines) AddLog(line);
}

void COrvaneDlg::Repaint() {
  repaint();
}

void COrvaneDlg::AskOrCancel(const std::string& question) {
  ui::MessageBoxRequest request{ui::MessageKind::Confirmation, ui::app().title(), question,
                                ui::MessageButtons::YesNo};
  if (ui::messageBox(request) != ui::ModalResult::Yes) throw orvane::FlowError{orvane::kErrCancelled};
}

bool COrvaneDlg::ConfirmUnknownPcb() {
  ui::MessageBoxRequest request{ui::MessageKind::Warning, ui::app().title(),
                                "Warning!\nThe checkmark \"Program Unknown PCB\" is set.\n If you select the "
                                "wrong file your system may "
                                "become non responsive.\nDo you want to continue anyway ?",
                                ui::MessageButtons::YesNo};
  request.defaultButton = ui::ModalResult::No;
  if (ui::messageBox(request) == ui::ModalResult::Yes) return true;
  AddLog("Cancelled by user");
  return false;
}

// Every way of closing the dialog (the Close button, the close box, Esc) tells the user to power-cycle
// the console once firmware was written.
bool COrvaneDlg::closeQuery() {
  if (busy_) return false;
  if (!ui::Form::closeQuery()) return false;
  if (firmwareWritten_) {
    ui::messageBox({ui::MessageKind::Error, ui::app().title(), kPowerMessage, ui::MessageButtons::Ok});
  }
  return true;
}
