// Mendaro: configurator of USB-DMX boxes.
//
// While it runs it has the boxes to itself: a running DMX service (its process found by name) is stopped
// before the window opens and started again after it closes. On a display the window appears as a real
// window. Without one the program says so and stops, unless it was started with --headless: then every
// window is printed to stdout, and the configurator's window, once it has listed the boxes, is printed
// and closed with its Close button, so the program ends by itself.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "mendaro/CMendaroApp.h"
#include "mendaro/CMendaroDlg.h"
#include "platform/sys/clock.h"
#include "platform/sys/ending_signals.h"
#include "platform/sys/service_control.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/headless_run.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"

#ifdef MENDARO_WITH_DISPLAY
#include "platform/ui/fltk/fltk_backend.h"
#endif

namespace {

constexpr int kExitStartupFailed = 1;
// As zem's headless run that found nothing to service.
constexpr int kExitNoUsbBackend = 3;
// A headless run looks at the window after two device watches: the boxes are listed by then.
constexpr uint32_t kHeadlessSettleMs = 2 * mendaro::CMendaroDlg::kWatchMs + 200;

constexpr const char* kUsage =
    "Usage: mendaro [--headless] [--service-process NAME] [--stop-command CMD] [--start-command CMD]\n"
    "               [--help]\n"
    "\n"
    "Configurator of USB-DMX boxes: lists the attached boxes, makes the picked one blink, and writes its\n"
    "universes and port directions into the box.\n"
    "\n"
    "While it runs it has the boxes to itself: when the DMX service's process runs, the service is stopped\n"
    "before the window opens (at most 30 s are waited for its process to end) and started again after the\n"
    "window closes (at most 30 s are waited for the start command). Ctrl-C, a closed terminal or kill\n"
    "(SIGINT, SIGHUP, SIGTERM) close the window and end the program the same way, the service started\n"
    "again; a second one while it ends is ignored.\n"
    "\n"
    "Options:\n"
    "  --headless              run without a display: every window is printed to stdout, and the\n"
    "                          configurator's window is closed once it has listed the boxes\n"
    "  --service-process NAME  the service's process name (default Velmont)\n"
    "  --stop-command CMD      shell command that stops the service (default: systemctl stop velmont)\n"
    "  --start-command CMD     shell command that starts it (default: systemctl start velmont)\n"
    "  -h, --help              print this text and exit\n"
    "\n"
    "Environment:\n"
    "  ZEM_USB_LIBRARY      the USB backend library (a name without a folder is looked for in the program's\n"
    "                       library folder first); the simulated bus is libsim_usb.so\n"
    "  ZEM_SIM_USB_DEVICES  the devices the simulated bus has plugged in, e.g. \"dmx:F0A9;dmx:F028\"\n"
    "  DISPLAY              the X display the window appears on\n"
    "\n"
    "Exit codes: 0 done; 1 start-up failed (no display), or the display went away (the service is started\n"
    "again first); 2 bad command line; 3 a headless run had no USB backend (the log and stderr say why);\n"
    "128 + N, as a shell shows it, the signal N ended it once the service ran again (the program ends by\n"
    "that signal).\n";

struct Options {
  bool help = false;
  sys::ServiceSettings service = sys::systemServiceSettings(mendaro::kServiceProcess, mendaro::kServiceName);
};

// The command line (--headless has been taken out already); the exit code when it cannot be used.
std::optional<int> parseCommandLine(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    std::string* value = nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
      continue;
    } else if (std::strcmp(arg, "--headless") == 0) {
      continue;
    } else if (std::strcmp(arg, "--service-process") == 0) {
      value = &options.service.processName;
    } else if (std::strcmp(arg, "--stop-command") == 0) {
      value = &options.service.stopCommand;
    } else if (std::strcmp(arg, "--start-command") == 0) {
      value = &options.service.startCommand;
    } else {
      std::fprintf(stderr, "mendaro: unknown option '%s'\n\n%s", arg, kUsage);
      return ui::kExitUsage;
    }
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
      std::fprintf(stderr, "mendaro: %s needs a value\n\n%s", arg, kUsage);
      return ui::kExitUsage;
    }
    *value = argv[++i];
  }
  return std::nullopt;
}

// Headless: the configurator's window is looked at once it has listed the boxes, then closed with its
// Close button; any other modal window is answered as its close box would.
void answerModal(ui::Form& form) {
  static ui::Ref<ui::Form> seen;
  static uint32_t seenAt = 0;
  auto* dialog = dynamic_cast<mendaro::CMendaroDlg*>(&form);
  if (!dialog) return ui::printAndCloseModal(form);
  if (dialog->modalResult() != ui::ModalResult::None) return;
  if (seen.get() != &form) {
    seen = &form;
    seenAt = sys::tickCount();
  }
  if (sys::elapsedMs(seenAt, sys::tickCount()) < kHeadlessSettleMs) return;
  ui::printWindow("modal window", form);
  ui::input::click(*dialog->bClose);
}

void leaveBackend() {
#ifdef MENDARO_WITH_DISPLAY
  ui::fltk::uninstall();
  ui::fltk::onDisplayLost(nullptr);
#endif
  ui::setBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (std::optional<int> code = parseCommandLine(argc, argv, options)) return *code;
  if (options.help) {
    std::fputs(kUsage, stdout);
    return EXIT_SUCCESS;
  }
  ui::HeadlessUser user;
#ifdef MENDARO_WITH_DISPLAY
  const ui::fltk::Start start = ui::fltk::startFromCommandLine(argc, argv);
  if (start == ui::fltk::Start::NoDisplay) return kExitStartupFailed;  // the reason is already on stderr
  const bool headless = start == ui::fltk::Start::Headless;
#else
  const bool headless = true;
#endif
  if (headless) {
    ui::setBackend(&user);
    ui::setModalResponder(&answerModal);
    ui::setMessageBoxResponder(&ui::printAndAnswerMessageBox);
  }
  ui::app().setTitle("Mendaro");
  // Taken once the window backend is in place and before any thread starts (the USB layer's threads
  // inherit them blocked): Ctrl-C, a closed terminal or kill end the window's loop, and the program's own
  // ending starts the service again.
  sys::EndingSignals signals([](int) { ui::app().post([] { ui::app().terminate(); }); });

  int exitCode = EXIT_SUCCESS;
  sys::ProcessServiceControl service(options.service);
  mendaro::CMendaroApp application(
      service, [](const std::string& what) { std::fprintf(stderr, "mendaro: %s\n", what.c_str()); });
#ifdef MENDARO_WITH_DISPLAY
  // The end of the session may take the display away before any signal comes: the program ends there.
  ui::fltk::onDisplayLost([&application] { application.RestoreWithoutWindows(); });
#endif
  try {
    exitCode = application.Run();
    // The service runs again: what the signals said until now, read by their thread yet or not, is final.
    signals.stop();
    if (signals.first() != 0) {
      exitCode = 128 + signals.first();
    } else if (headless && !application.NoBackendNote().empty()) {
      exitCode = kExitNoUsbBackend;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mendaro: %s\n", e.what());
    exitCode = kExitStartupFailed;
  }
  signals.stop();  // its thread posts to the backend that goes now
  leaveBackend();
  // Ended by a signal, the program's end says so to the shell or script that started it.
  signals.endByFirst();
  return exitCode;
}
