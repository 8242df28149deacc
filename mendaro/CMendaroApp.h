// The configurator's application: it takes the USB-DMX boxes over from the sibling DMX service for as
// long as its dialog is open, and hands them back afterwards.
#pragma once

#include <functional>
#include <string>

#include "platform/sys/service_control.h"
#include "platform/ui/form.h"

namespace mendaro {

// The sibling service: the name of its process, and its name for the system's service manager.
inline constexpr const char* kServiceProcess = "Velmont";
inline constexpr const char* kServiceName = "velmont";

// A small window without a close box that says what the program waits for.
class CNoticeBox : public ui::Form {
 public:
  explicit CNoticeBox(const std::string& message);
};

// Where the hand-over tells what went wrong (the program prints it on stderr); it goes on regardless.
using Reporter = std::function<void(const std::string&)>;

class CMendaroApp {
 public:
  CMendaroApp(sys::ServiceControl& service, Reporter report);

  // Stops the service when its process runs (a notice is shown while it waits), then shows the dialog
  // modally until it is closed. A stop that failed is reported, and whether the service's process still
  // runs (its boxes then answer "Busy"); the dialog opens regardless. A USB layer without a backend is
  // reported (as the dialog's log says it): no box can be listed then.
  bool InitInstance();
  // Starts the service again when it was running at start (a notice is shown while it waits).
  int ExitInstance();
  // The program's run: InitInstance, then ExitInstance however the dialog ended, an exception out of it
  // too (passed on once the service has been started again). The application told to end
  // (ui::Application::terminate, on a signal) ends the dialog, or skips it, and ends the same way.
  int Run();
  // The display went away and the program ends at once: the service is started again as the ending
  // starts it, with no notice (nothing can be shown), unless the ending has started it already.
  void RestoreWithoutWindows();

  bool ServiceWasRunning() const { return m_bServiceRunning; }
  // Why the dialog could list no box, when the USB layer had no backend; else empty.
  const std::string& NoBackendNote() const { return m_sNoBackendNote; }

 private:
  // Shows a notice with the text while work runs.
  void WithNotice(const char* text, const std::function<void()>& work);
  // Runs the start command (once) and reports a failure.
  void RestoreService();

  sys::ServiceControl& m_service;
  Reporter m_report;
  bool m_bServiceRunning = false;
  bool m_bRestoreStarted = false;  // the start command has been run: once is enough
  std::string m_sNoBackendNote;
};

}  // namespace mendaro
