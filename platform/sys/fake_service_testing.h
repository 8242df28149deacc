// Test support: a fake system service. Its process is a real one with a name of its own (a sleeping
// process started under that name), and the shell commands that stop and start it are the service's
// commands. Whatever runs under the name is ended when the object goes.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/sys/process.h"
#include "platform/sys/service_control.h"

namespace sys::testing {

class FakeService {
 public:
  FakeService()
      : name_(uniqueName()), pidFile_((std::filesystem::temp_directory_path() / (name_ + ".pid")).string()) {}
  ~FakeService() {
    for (pid_t pid : findProcesses(name_)) ::kill(pid, SIGKILL);
    // The last instance started may not carry the name yet (its shell has not reached the exec): it is
    // found by the process id its start command noted, and is ours while its command line names us.
    if (const auto pid = startedPid(); pid && instanceCommandLine(*pid).find(name_) != std::string::npos) {
      ::kill(*pid, SIGKILL);
    }
    std::remove(pidFile_.c_str());
  }
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  const std::string& name() const { return name_; }
  // Starts an instance in the background and notes its process id; beforeName runs in the instance's
  // shell before it takes the name (a slow start).
  std::string startCommand(const std::string& beforeName = "") const {
    return "bash -c '" + beforeName + "exec -a " + name_ +
           " sleep 300' </dev/null >/dev/null 2>&1 & echo $! > " + pidFile_;
  }
  // The process id the last start command noted.
  std::optional<pid_t> startedPid() const {
    std::ifstream in(pidFile_);
    pid_t pid = 0;
    if (in >> pid && pid > 0) return pid;
    return std::nullopt;
  }
  // Ends the instance the start command started.
  std::string stopCommand() const { return "kill $(cat " + pidFile_ + ")"; }
  // Ends the instance and returns once it has ended (or is a zombie), at most about 10 s later: what
  // follows in a stop command comes after the service's end.
  std::string stopAndWaitCommand() const {
    return "p=$(cat " + pidFile_ + "); kill $p; i=0; while [ $i -lt 1000 ] && [ -e /proc/$p ] && " +
           "! grep -q ') Z' /proc/$p/stat 2>/dev/null; do sleep 0.01; i=$((i+1)); done";
  }
  // A start command that runs under the service's name and does not end by itself.
  std::string hangingCommand() const { return "exec bash -c 'exec -a " + name_ + " sleep 300'"; }

  ServiceSettings settings() const { return {name_, stopCommand(), startCommand()}; }

  // Starts an instance as a test's set-up does, and waits (real time, bounded) until it runs.
  bool launch() {
    Result<Command> c = Command::start(startCommand());
    return c.ok() && waitUntilRunning(true);
  }
  // Waits (real time, bounded) until the service's process runs, or until none does.
  bool waitUntilRunning(bool running) const {
    for (int i = 0; i < 5000; ++i) {
      if (findProcesses(name_).empty() != running) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

 private:
  // The instance's command line. A process in the middle of an exec (the start command's shell becoming
  // bash, bash becoming the named sleep) reads an empty one for a moment: it is read again while the
  // process runs, so the instance is not taken for another process and left running.
  static std::string instanceCommandLine(pid_t pid) {
    const ProcessWatch watch(pid);
    std::string line = commandLine(pid);
    for (int i = 0; i < 5000 && line.empty() && watch.running().value_or(false); ++i) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      line = commandLine(pid);
    }
    return line;
  }
  static std::string uniqueName() {
    static std::atomic<int> counter{0};
    return "fakesvc-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  }
  std::string name_;
  std::string pidFile_;
};

}  // namespace sys::testing
