// Orvane: firmware tool for a lighting console's USB microcontrollers and the IIC boards behind them.
//
// On a display the dialog appears as a real window. Without one the program says so and stops, unless it was
// started with --headless: then the dialog is printed to stdout (its caption and its controls) once it has
// listed the USB devices present, and closed as its close box would close it, so the program ends by itself.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "orvane/COrvaneApp.h"
#include "orvane/COrvaneDlg.h"
#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/backend.h"
#include "platform/ui/headless_run.h"
#include "platform/ui/message_box.h"

#ifdef ORVANE_WITH_DISPLAY
#include "platform/ui/fltk/fltk_backend.h"
#endif

namespace {

constexpr int kExitStartupFailed = 1;
// As zem's headless run that found nothing to service.
constexpr int kExitNoUsbBackend = 3;

constexpr const char* kUsage =
    "Usage: orvane [--headless] [--help]\n"
    "\n"
    "Firmware tool for a lighting console: lists the console's USB microcontrollers, scans the IIC bus of\n"
    "the one picked for boards, and writes firmware into a board (Intel HEX file) or into a\n"
    "microcontroller's EEPROM (boot image *.b6, *.c2, *.iic), then reads it back.\n"
    "\n"
    "Options:\n"
    "  --headless  run without a display: the dialog is printed to stdout once it has listed the USB\n"
    "              devices, and closed, so the program ends by itself\n"
    "  -h, --help  print this text and exit\n"
    "\n"
    "Environment:\n"
    "  ZEM_USB_LIBRARY      the USB backend library (a name without a folder is looked for in the program's\n"
    "                       library folder first); the simulated bus is libsim_usb.so\n"
    "  ZEM_SIM_USB_DEVICES  the chips and boards the simulated bus presents, e.g.\n"
    "                       \"fx2:1001:0102:Front panel;board:24:F080:30:05:0102;fx2\"\n"
    "  DISPLAY              the X display the dialog appears on\n"
    "\n"
    "Exit codes: 0 done; 1 no display; 2 bad command line; 3 a headless run had no USB backend (the log and\n"
    "stderr say why).\n";

// How long a headless run lets the dialog run before printing it: one turn of its USB list timer and a
// little more.
constexpr uint32_t kHeadlessLookMs = COrvaneDlg::kUsbListTimerMs + 100;

void leaveBackend() {
#ifdef ORVANE_WITH_DISPLAY
  ui::fltk::uninstall();
#endif
  ui::setBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::optional<int> code = ui::checkCommandLine(argc, argv, "orvane", kUsage)) return *code;
#ifdef ORVANE_WITH_DISPLAY
  const ui::fltk::Start start = ui::fltk::startFromCommandLine(argc, argv);
  if (start == ui::fltk::Start::NoDisplay) return kExitStartupFailed;  // the reason is already on stderr
  const bool headless = start == ui::fltk::Start::Headless;
#else
  const bool headless = true;
#endif

  COrvaneApp app;
  bool noBackend = false;
  app.onDialogCreated = [headless, &noBackend](COrvaneDlg& dlg) {
    // The dialog's log holds the same note.
    if (const std::string note = dlg.Device() ? dlg.Device()->NoBackendNote() : ""; !note.empty()) {
      std::fprintf(stderr, "orvane: %s\n", note.c_str());
      noBackend = true;
    }
    if (!headless) return;
    const uint32_t shownAt = sys::tickCount();
    ui::setModalResponder([shownAt](ui::Form& form) {
      if (form.modalResult() != ui::ModalResult::None) return;
      if (sys::elapsedMs(shownAt, sys::tickCount()) < kHeadlessLookMs) return;
      ui::printWindow("modal window", form);
      form.close();
    });
    ui::setMessageBoxResponder(&ui::printAndAnswerMessageBox);
  };
  app.InitInstance();
  leaveBackend();
  return headless && noBackend ? kExitNoUsbBackend : EXIT_SUCCESS;
}
