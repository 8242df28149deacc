#include "fuzz/orvane_round.h"

#include <unistd.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/usb_session.h"
#include "orvane/CHexFile.h"
#include "orvane/COrvaneDlg.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "usbdevice/boot_image.h"

namespace fuzzorvane {

namespace {

constexpr uint8_t kRequestA2 = 0xA2;
constexpr uint8_t kWordsCommand = 0xC0;
constexpr uint16_t kSelectWord = 0xFFAA;
constexpr uint16_t kProgramWord = 0x0180;

fuzzusb::Control* g_bus = nullptr;
COrvaneDlg* g_dlg = nullptr;
std::string g_file;
bool g_cancelFile = false;
ui::ModalResult g_answer = ui::ModalResult::Yes;

uint16_t value(const fuzzusb::Transfer& t) {
  return static_cast<uint16_t>(t.setup[2] | (t.setup[3] << 8));
}
uint16_t index(const fuzzusb::Transfer& t) {
  return static_cast<uint16_t>(t.setup[4] | (t.setup[5] << 8));
}
bool vendorOutA2(const fuzzusb::Transfer& t) {
  return !t.bulk && t.setup[0] == 0x40 && t.setup[1] == kRequestA2;
}

void writeInputFile(std::span<const uint8_t> bytes) {
  std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void checkBoardList() {
  const ui::Strings& items = g_dlg->lbIicDevices->items();
  FUZZ_CHECK(items.count() == static_cast<int>(g_dlg->BoardCount()) && items.count() <= 126,
             "one line per board found, at most one per address");
  for (int i = 0; i < items.count(); ++i) {
    const uint64_t address = items.data(i);
    FUZZ_CHECK(address >= 2 && address <= 252 && address % 2 == 0, "a board sits at an even IIC address");
  }
}

// Writes into a board's program memory: word writes (command C0) other than the select command's.
void checkIicUpdate(const std::string& text, uint8_t address, const BoardEntry& board, bool unknownPcb,
                    size_t firstTransfer) {
  CHexFile file(text);
  std::array<uint8_t, 12> idBlock{};
  std::array<uint8_t, 32> header{};
  std::vector<uint8_t> program(8192, 0);
  const bool idRead = file.ReadRange(0x2F0, idBlock) == 12;
  const bool headerRead = file.ReadRange(0x2E0, header) == 32;
  const bool programRead = file.ReadRange(0x300, program) >= 0;
  const BoardEntry fromFile = BoardFromIdBlock(idBlock);
  const bool suited =
      unknownPcb || (fromFile.id == board.id && fromFile.code == board.code && fromFile.extra == board.extra);
  const bool whole = !file.CheckWhole();
  const bool mayWrite = !g_cancelFile && whole && idRead && headerRead && programRead && suited &&
                        g_answer == ui::ModalResult::Yes;

  // A damaged file is refused before any question, with the reason on the log's last line.
  if (!g_cancelFile && !whole) {
    FUZZ_CHECK(ui::shownMessageBoxes().empty(), "a damaged HEX file was asked about");
    const std::string log = g_dlg->LogText();
    const std::string reason = ": " + CHexFile::Describe(*file.CheckWhole()) + "\r\n";
    FUZZ_CHECK(
        log.size() >= reason.size() && log.compare(log.size() - reason.size(), reason.size(), reason) == 0,
        "the log ends with the damaged line and its reason");
  }

  const auto transfers = g_bus->transfers();
  for (size_t k = firstTransfer; k < transfers.size(); ++k) {
    const fuzzusb::Transfer& t = transfers[k];
    if (!vendorOutA2(t) || index(t) != ((address << 8) | kWordsCommand) || value(t) == kSelectWord) continue;
    FUZZ_CHECK(mayWrite, "a refused HEX file, or an answer No, wrote to the board");
    if (value(t) < kProgramWord) continue;  // the version or header block
    const size_t offset = 2 * static_cast<size_t>(value(t) - kProgramWord);
    FUZZ_CHECK(offset + t.data.size() <= program.size(), "a program packet lies inside the program");
    FUZZ_CHECK(
        std::equal(t.data.begin(), t.data.end(), program.begin() + static_cast<std::ptrdiff_t>(offset)),
        "a program packet carries the file's bytes at its place");
  }
}

void checkUsbUpdate(std::span<const uint8_t> image, uint16_t productId, bool unknownPcb,
                    size_t firstTransfer) {
  bool suited = image.size() >= bootimage::kProductIdFromEnd && image.size() <= 0x10000;
  if (suited && unknownPcb && IsBlankProductId(productId))
    suited = image[0] == (productId == kBlankProductIdAn21 ? bootimage::kKindAn21 : bootimage::kKindFx2);
  if (suited && !unknownPcb) suited = GetImageProductId(image) == productId;
  const bool mayWrite = suited && g_answer == ui::ModalResult::Yes && !g_cancelFile;

  const auto transfers = g_bus->transfers();
  for (size_t k = firstTransfer; k < transfers.size(); ++k) {
    const fuzzusb::Transfer& t = transfers[k];
    if (!vendorOutA2(t) || index(t) != 0 || t.data.empty()) continue;  // EEPROM packets
    FUZZ_CHECK(mayWrite, "a refused boot image, or an answer No, wrote to the EEPROM");
    FUZZ_CHECK(value(t) + t.data.size() <= image.size() &&
                   std::equal(t.data.begin(), t.data.end(), image.begin() + value(t)),
               "an EEPROM packet carries the image's bytes at its place");
  }
}

}  // namespace

void OpenDialog(fuzzusb::Control& bus) {
  g_bus = &bus;
  g_file = (std::filesystem::temp_directory_path() / ("orvane_flows_" + std::to_string(getpid()) + ".in"))
               .string();
  ui::app().reset();
  ui::app().setTitle("Orvane");
  ui::setFileDialogResponder([](const ui::FileDialogRequest&) -> std::optional<std::string> {
    if (g_cancelFile) return std::nullopt;
    return g_file;
  });
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return g_answer; });
  g_dlg = ui::createForm<COrvaneDlg>();
  g_dlg->show();
  if (!fuzz::WaitForDevices([] { return g_dlg->Device()->GetDeviceCount(); }, 1)) std::abort();
  fuzz::UseVirtualClock();
  g_dlg->RefreshUsbList();
  g_dlg->lbUsbDevices->setItemIndex(0);
}

namespace {

void playRound(std::span<const uint8_t> file, uint16_t productId, uint8_t flags) {
  const bool unknownPcb = flags & kUnknownPcb;
  g_answer = (flags & kAnswerNo) ? ui::ModalResult::No : ui::ModalResult::Yes;
  g_cancelFile = flags & kCancelFile;
  (void)ui::input::click(*g_dlg->btnClearLog);
  ui::clearShownMessageBoxes();

  if (flags & kUsbUpdate) {
    g_dlg->cbProgramUnknownPcb->setChecked(unknownPcb);
    g_dlg->UpdateUsbFirmware();
    checkUsbUpdate(file, productId, unknownPcb, 0);
    return;
  }
  g_dlg->ScanIicBus();
  checkBoardList();
  if (g_dlg->lbIicDevices->items().count() == 0) return;
  g_dlg->lbIicDevices->setItemIndex(0);
  const auto address = static_cast<uint8_t>(g_dlg->lbIicDevices->items().data(0));
  const BoardEntry board = g_dlg->Board(address);
  const size_t first = g_bus->transfers().size();
  g_dlg->cbProgramUnknownPcb->setChecked(unknownPcb);
  g_dlg->UpdateIicFirmware();
  checkIicUpdate(std::string(file.begin(), file.end()), address, board, unknownPcb, first);
}

}  // namespace

void RunRound(std::span<const uint8_t> file, uint16_t productId, uint8_t flags) {
  writeInputFile(file);
  playRound(file, productId, flags);
  // The file lives for its round only: the fuzzer and the seed maker end through _Exit, past any atexit.
  std::remove(g_file.c_str());
}

}  // namespace fuzzorvane
