// Zem: service program for lighting fixtures.
//
// On a display every window appears as a real window. Without one the program says so and stops, unless
// it was started with --headless: then every window it shows is printed to stdout
// (its caption and its controls), and, with nobody to answer, every window is answered the way its
// close box would: a modal window (demonstration menu, message box) ends with Cancel, a fixture window
// is closed (windows without a close box, such as progress windows, are only printed). The program therefore
// ends by itself: at the demonstration menu without interface hardware, or after opening the identified
// fixture's window when a driver library finds one, or after one round of the search that found nothing
// to service (exit code 3).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/backend.h"
#include "platform/ui/form.h"
#include "platform/ui/headless_run.h"
#include "platform/ui/message_box.h"
#include "zem/link/USB_ft245bm.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/ZemMain.h"

#ifdef ZEM_WITH_DISPLAY
#include "platform/ui/fltk/fltk_backend.h"
#endif

namespace {

constexpr int kExitStartupFailed = 1;
constexpr int kExitNothingServiced = 3;

constexpr const char* kUsage =
    "Usage: zem [--headless] [--help]\n"
    "\n"
    "Service program for lighting fixtures reached through the YOLB-1 interface box.\n"
    "\n"
    "Options:\n"
    "  --headless  run without a display: every window is printed to stdout and answered the way its\n"
    "              close box would answer it, so the program ends by itself\n"
    "  -h, --help  print this text and exit\n"
    "\n"
    "Modes:\n"
    "  With a driver library that finds the interface box, zem searches for a fixture, identifies it,\n"
    "  checks its firmware and opens its service window. Without one it runs in demonstration mode: a\n"
    "  menu opens any model's service window without a fixture.\n"
    "\n"
    "Environment:\n"
    "  ZEM_D2XX_LIBRARY  the driver library to load (default libftd2xx.so); a name without a folder is\n"
    "                    looked for in the program's library folder first; the simulated box and fixture\n"
    "                    are libsim_fixture.so\n"
    "  ZEM_SIM_MODEL     the model the simulated fixture plays: a type code (BV600, GRB__:1) or a name\n"
    "  ZEM_SIM_FAULT     a fault the simulator shows: no-fixture, silent-box, unsupported, old-firmware,\n"
    "                    newer-program\n"
    "  DISPLAY           the X display the windows appear on\n"
    "  XDG_DATA_HOME     the user's data folder (default ~/.local/share), under which an installed zem\n"
    "                    keeps its memory files\n"
    "\n"
    "Exit codes: 0 done; 1 start-up failed (no display, a driver library without its entry points);\n"
    "2 bad command line; 3 a headless run found nothing to service.\n";

// Leaves the display (if one was opened) and the headless user behind.
void leaveBackend() {
#ifdef ZEM_WITH_DISPLAY
  ui::fltk::uninstall();
#endif
  ui::setBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::optional<int> code = ui::checkCommandLine(argc, argv, "zem", kUsage)) return *code;
  ui::HeadlessUser user;
#ifdef ZEM_WITH_DISPLAY
  const ui::fltk::Start start = ui::fltk::startFromCommandLine(argc, argv);
  if (start == ui::fltk::Start::NoDisplay) return kExitStartupFailed;  // the reason is already on stderr
  const bool headless = start == ui::fltk::Start::Headless;
#else
  (void)argc;
  (void)argv;
  const bool headless = true;
#endif
  if (headless) {
    ui::setBackend(&user);
    ui::setModalResponder(&ui::printAndCloseModal);
    ui::setMessageBoxResponder(&ui::printAndAnswerMessageBox);
  }

  // A driver library without an entry point we need: say so and stop before any window exists.
  if (ReportD2xxStartupError()) {
    std::fprintf(stderr, "zem: %s\n", ui::forTerminal(D2xxStartupError()).c_str());
    leaveBackend();
    return kExitStartupFailed;
  }
  // A driver library that could not be loaded: demonstration mode, but the user is told why.
  if (!D2xxLoadNote().empty()) std::fprintf(stderr, "zem: %s\n", D2xxLoadNote().c_str());

  int exitCode = EXIT_SUCCESS;
  ui::app().setTitle("ZEM");
  {
    ui::Ref<TZEMMainForm> mainWindow(ui::createForm<TZEMMainForm>(nullptr));
    ui::setMainForm(mainWindow);
    mainWindow->ShowDriverNote(D2xxLoadNote());
    if (headless) {
      // Nobody will connect another fixture: one round of the search that found nothing ends the run.
      mainWindow->OnSearchRoundEnded = [&exitCode](const std::string& what) {
        std::fprintf(stderr, "zem: %s; nothing to service, so the headless run ends.\n", what.c_str());
        exitCode = kExitNothingServiced;
        TerminateFlag = true;
      };
    }
    try {
      mainWindow->show();
      ui::app().run();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "Fatal Error.\n%s\n", e.what());
      exitCode = kExitStartupFailed;
    }
    if (mainWindow) {
      if (headless) ui::printWindow("window at exit", *mainWindow);
      // Frees the fixture object, the device with its interface and the box object.
      mainWindow->free();
    }
  }
  leaveBackend();
  return exitCode;
}
