#include "fuzz/mendaro_session.h"

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/usb_session.h"
#include "mendaro/CMendaroDlg.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"

namespace fuzzmendaro {

namespace {

using mendaro::CMendaroDlg;

bool blockTransfer(const fuzzusb::Transfer& t, uint8_t type) {
  return !t.bulk && t.setup[0] == type && t.setup[1] == DeviceConfigBlock::kRequest;
}

void checkReadConfig(fuzzusb::Control& bus, CMendaroDlg& dlg, wdu::DeviceHandle handle) {
  std::array<uint8_t, DeviceConfigBlock::kSize> marks{};
  marks.fill(0x77);
  DeviceConfigBlock block(marks);
  const size_t before = bus.transfers().size();
  const bool ok = dlg.Device()->ReadConfig(handle, block);
  const auto transfers = bus.transfers();
  if (!ok) {
    FUZZ_CHECK(block.bytes() == marks, "a failed block read leaves the block as it was");
    return;
  }
  FUZZ_CHECK(transfers.size() == before + 1 && transfers.back().data.size() == DeviceConfigBlock::kSize,
             "only a whole block counts as read");
  FUZZ_CHECK(std::equal(block.bytes().begin(), block.bytes().end(), transfers.back().data.begin()),
             "the block is what the box answered");
}

// watchEnd: the transfers of the device watch, which read the block the dialog keeps.
void checkWrites(fuzzusb::Control& bus, size_t watchEnd) {
  const auto transfers = bus.transfers();
  std::optional<std::vector<uint8_t>> read;  // the box's block as the watch read it whole
  for (size_t k = 0; k < watchEnd; ++k) {
    const fuzzusb::Transfer& t = transfers[k];
    if (blockTransfer(t, 0xC0) && t.status == wdu::kSuccess && t.data.size() == DeviceConfigBlock::kSize)
      read = t.data;
  }
  for (const fuzzusb::Transfer& t : transfers) {
    if (!blockTransfer(t, 0x40)) continue;
    FUZZ_CHECK(read.has_value(), "a block that was never read whole was written");
    FUZZ_CHECK(t.data.size() == DeviceConfigBlock::kSize, "a whole block is written");
    const std::vector<uint8_t>& b = t.data;
    const bool configured = b[2] == DeviceConfigBlock::kMarker0 && b[3] == DeviceConfigBlock::kMarker1;
    const bool cleared = b[2] == 0 && b[3] == 0;
    FUZZ_CHECK(configured || cleared, "a written block is configured or cleared");
    if (configured) {
      FUZZ_CHECK(b[4] >= 1 && b[4] <= 32 && b[5] >= 1 && b[5] <= 32, "written universes lie in 1 to 32");
      FUZZ_CHECK(b[6] <= 1 && b[7] <= 1, "written directions are 0 or 1");
    } else {
      FUZZ_CHECK(b[4] == 1 && b[5] == 2 && b[6] == 0 && b[7] == 0, "a cleared block holds 1, 2, out, out");
    }
    for (size_t i : {0, 1, 8, 9, 10, 11, 12, 13, 14, 15})
      FUZZ_CHECK(b[i] == (*read)[i], "the box's own bytes are written back as read");
  }
}

}  // namespace

void RunSession(fuzzusb::Control& bus, std::span<const uint8_t> actions) {
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Ok; });
  ui::clearShownMessageBoxes();
  ui::Owned<CMendaroDlg> dlg(ui::createForm<CMendaroDlg>(nullptr));
  dlg->show();
  if (!fuzz::WaitForDevices([&] { return dlg->Device()->GetDeviceCount(); }, 1)) std::abort();
  dlg->OnWatchTimer();
  const size_t watchEnd = bus.transfers().size();
  for (size_t k = 0; k + 1 < actions.size(); k += 2) {
    const uint8_t action = actions[k];
    const uint8_t arg = actions[k + 1];
    switch (action % kActions) {
      case 0:
        (void)ui::input::selectListItem(*dlg->lbDevices, 0);
        break;
      case 1:
        dlg->OnUpdate();
        break;
      case 2:
        dlg->OnClearConfig();
        break;
      case 3: {
        bool allow = true;
        dlg->OnDeltaposUniverse(arg & 1, (arg & 2) ? 1 : -1, allow);
        break;
      }
      case 4:
        (void)ui::input::click((arg & 1) ? *dlg->cbInputA : *dlg->cbInputB);
        break;
      case 5:
        ((arg & 1) ? dlg->reUniverseA : dlg->reUniverseB)->setContent(std::to_string((arg >> 1) % 100));
        break;
      case 6:
        if (dlg->BoxCount() > 0) checkReadConfig(bus, *dlg, dlg->Box(0).handle);
        break;
      case 7:
        if (dlg->BoxCount() > 0) (void)CMendaroDlg::ListLine(dlg->Box(0));
        break;
    }
  }
  checkWrites(bus, watchEnd);
  dlg.reset();
  ui::app().reset();
}

}  // namespace fuzzmendaro
