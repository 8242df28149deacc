// Handing a device over from a system service: find the service's process running, stop the service and
// wait for its process to end, start it again and wait for the start command. Every wait is bounded and
// reads the one tick source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/sys/result.h"

namespace sys {

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  // Runs on every pass of the waits of stop() and start(): a program keeps its windows painted with it.
  std::function<void()> whileWaiting;
  // True when the service's process runs now.
  virtual bool running() = 0;
  // Runs the stop command and waits until the process that was running has ended and the command has
  // ended too. A command that ends with an error ends the wait at once, whether the process still runs
  // or not: running() tells which. The error says what went wrong: the command could not be run, the
  // process could not be watched, the command ended with an error (its exit code), the process still ran
  // when the wait's limit was reached, or the command still ran then.
  virtual Result<void> stop() = 0;
  // Runs the start command and waits until it has ended. The error says why the command could not be
  // run, did not end within the limit, or ended with an error. The command may use the program's terminal,
  // and the terminal's Ctrl-C or hang-up while a program ends passes it by (it ignores them).
  virtual Result<void> start() = 0;
};

struct ServiceSettings {
  std::string processName;   // exact, case-sensitive (findProcesses)
  std::string stopCommand;   // a shell command line
  std::string startCommand;  // a shell command line
  uint32_t pollMs = 100;     // each look at the process, or at the start command
  uint32_t maxPolls = 300;   // looks at the stopping process
  uint32_t limitMs = 30000;  // either wait at most
};

// The system's service manager for the service: "systemctl stop NAME" and "systemctl start NAME".
ServiceSettings systemServiceSettings(const std::string& processName, const std::string& serviceName);

// A service found by its process name and driven by two command lines.
class ProcessServiceControl : public ServiceControl {
 public:
  explicit ProcessServiceControl(ServiceSettings settings) : settings_(std::move(settings)) {}
  const ServiceSettings& settings() const { return settings_; }
  bool running() override;
  Result<void> stop() override;
  Result<void> start() override;

 private:
  ServiceSettings settings_;
};

}  // namespace sys
