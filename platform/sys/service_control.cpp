#include "platform/sys/service_control.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/sys/process.h"

namespace sys {

ServiceSettings systemServiceSettings(const std::string& processName, const std::string& serviceName) {
  ServiceSettings s;
  s.processName = processName;
  s.stopCommand = "systemctl stop " + serviceName;
  s.startCommand = "systemctl start " + serviceName;
  return s;
}

bool ProcessServiceControl::running() {
  return !findProcesses(settings_.processName).empty();
}

Result<void> ProcessServiceControl::stop() {
  // Watched before the command runs: a process that ends at once is not missed.
  std::vector<ProcessWatch> watches;
  for (pid_t pid : findProcesses(settings_.processName)) watches.emplace_back(pid);
  Result<Command> started = Command::start(settings_.stopCommand);
  if (!started) return Error(started.error());
  Command& command = started.value();
  // A process that cannot be watched ends the wait at once.
  if (std::any_of(watches.begin(), watches.end(), [](const ProcessWatch& w) { return !w.valid(); }))
    return Error("the process \"" + settings_.processName + "\" cannot be watched");

  auto firstRunning = [&watches]() -> const ProcessWatch* {
    for (const ProcessWatch& w : watches) {
      if (w.running().value_or(false)) return &w;
    }
    return nullptr;
  };
  // A code of -1 is a command collected elsewhere: ended, its code unknown, not a failure.
  auto failed = [this](const std::optional<int>& code) -> std::optional<Error> {
    if (!code || *code <= 0) return std::nullopt;
    return Error("\"" + settings_.stopCommand + "\" ended with exit code " + std::to_string(*code));
  };
  const uint32_t start = tickCount();
  for (uint32_t pass = 0; pass < settings_.maxPolls && !timeExceeded(start, settings_.limitMs, tickCount());
       ++pass) {
    // A command that failed ends the wait (looked at on every pass): a service it did not stop is not
    // waited for. Its end is waited for after the process has gone too, so that a failure after the
    // stop is not taken for success.
    const std::optional<int> code = command.exitCode();
    if (std::optional<Error> error = failed(code)) return *error;
    if (const ProcessWatch* w = firstRunning()) {
      (void)w->waitForEnd(settings_.pollMs);
    } else if (code) {
      return {};
    } else {
      (void)command.waitForEnd(settings_.pollMs);
    }
    if (whileWaiting) whileWaiting();
  }
  const std::optional<int> code = command.exitCode();
  if (std::optional<Error> error = failed(code)) return *error;
  if (firstRunning())
    return Error("the process \"" + settings_.processName + "\" still runs after " +
                 std::to_string(settings_.limitMs / 1000) + " s");
  if (!code)
    return Error("\"" + settings_.stopCommand + "\" did not end within " +
                 std::to_string(settings_.limitMs / 1000) + " s");
  return {};
}

Result<void> ProcessServiceControl::start() {
  // A second Ctrl-C, or the hang-up of the terminal the program was started from, while the program ends
  // must not end the command that starts the service again; it may still ask at that terminal (the service
  // manager asking for a password), so it stays in the program's process group, the terminal's foreground.
  Result<Command> command = Command::start(settings_.startCommand, Command::TerminalSignals::Ignored);
  if (!command) return Error(command.error());
  const uint32_t start = tickCount();
  while (!command.value().waitForEnd(settings_.pollMs)) {
    if (whileWaiting) whileWaiting();
    if (timeExceeded(start, settings_.limitMs, tickCount()))
      return Error("\"" + settings_.startCommand + "\" did not end within " +
                   std::to_string(settings_.limitMs / 1000) + " s");
  }
  const int code = *command.value().exitCode();
  if (code != 0)
    return Error("\"" + settings_.startCommand + "\" ended with exit code " + std::to_string(code));
  return {};
}

}  // namespace sys
