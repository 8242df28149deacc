// Where the fixture link reports what the user must see. The link never opens a window itself: it tells
// the installed sink. The default sink shows the program's modal error boxes and holds the open fixture
// window's write-back timer (ActiveWriteBackTimer) still while asked to; a test or another front end may
// install its own.
#pragma once

#include <functional>
#include <string>

class TLinkReportSink {
 public:
  virtual ~TLinkReportSink() = default;
  // An error the user must acknowledge; returns once it has been acknowledged. Window messages (timers
  // included) may run meanwhile.
  virtual void ShowError(const std::string& text) = 0;
  // Keeps the open window's write-back timer from starting another send (behind an error box, for
  // example); the returned action gives the timer back the state it had.
  [[nodiscard]] virtual std::function<void()> PauseWriteBack() = 0;
};

// The sink the link reports to: the one installed, else the default.
TLinkReportSink& LinkReportSink();
// Installs a sink (nullptr: back to the default). The caller keeps it alive while installed.
void SetLinkReportSink(TLinkReportSink* sink);
