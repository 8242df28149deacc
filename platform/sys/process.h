// Process services: finding running processes by name, watching one until it ends, and running a command
// line as a child of this program. Every wait reads the one tick source (clock.h).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/result.h"

namespace sys {

// The running processes whose name is exactly name (case-sensitive): the kernel's command name, or the
// file name of the first word of the command line (so a name longer than the kernel keeps still counts).
// Processes that have ended but not yet been collected by their parent do not count.
std::vector<pid_t> findProcesses(std::string_view name);

// The command line of a running process, its words each ended by a NUL; empty when the process has
// ended or cannot be seen.
std::string commandLine(pid_t pid);

// A watch on one process, by a reference that a later process with the same id cannot be mistaken for.
class ProcessWatch {
 public:
  // A watch on pid; an invalid one when the process cannot be queried (gone, or not ours to see).
  explicit ProcessWatch(pid_t pid);
  ~ProcessWatch();
  ProcessWatch(ProcessWatch&& other) noexcept;
  ProcessWatch& operator=(ProcessWatch&& other) noexcept;
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  bool valid() const { return fd_ >= 0; }
  pid_t pid() const { return pid_; }
  // True while the process runs; nothing when it cannot be queried.
  std::optional<bool> running() const;
  // Waits at most ms for the process's end; true when it has ended (or cannot be queried).
  bool waitForEnd(uint32_t ms) const;

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
};

// A command line run by the shell (/bin/sh -c) as a child of this program, which collects its exit code.
// It runs in this program's process group, so it may use the program's terminal as the program does, and
// starts with no signal blocked, whatever this program blocks (EndingSignals).
class Command {
 public:
  // What the terminal's Ctrl-C, Ctrl-\ and hang-up (SIGINT, SIGQUIT, SIGHUP) do to the command: end it as
  // they end the program, or pass it by (ignored in it from its start, and in what it starts).
  enum class TerminalSignals { End, Ignored };
  // Starts the command; the error says why it could not be started.
  static Result<Command> start(const std::string& commandLine,
                               TerminalSignals terminalSignals = TerminalSignals::End);
  ~Command();
  Command(Command&& other) noexcept;
  Command& operator=(Command&& other) = delete;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  pid_t pid() const { return pid_; }
  // Nothing while the command runs; then its exit code (128 + the signal that ended it).
  std::optional<int> exitCode();
  // Waits at most ms for the command's end; true when it has ended.
  bool waitForEnd(uint32_t ms);

 private:
  Command(pid_t pid, ProcessWatch watch) : pid_(pid), watch_(std::move(watch)) {}
  pid_t pid_ = -1;
  ProcessWatch watch_;
  std::optional<int> exitCode_;
};

}  // namespace sys
