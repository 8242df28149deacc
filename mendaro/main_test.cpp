// The program run as a user runs it, ended by the signals a terminal or the system sends it: the DMX
// service (a fake one) runs again once the program has ended.
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/fake_service_testing.h"

#ifndef MENDARO_PROGRAM
#error "MENDARO_PROGRAM names the program under test"
#endif
#ifndef MENDARO_TEST_SIM_LIBRARY
#error "MENDARO_TEST_SIM_LIBRARY names the simulated bus library"
#endif

extern char** environ;

namespace {

// Starts the program headless, as the leader of a process group of its own (as a terminal starts it),
// against the simulated bus without boxes.
std::optional<pid_t> startProgram(std::vector<std::string> args) {
  args.insert(args.begin(), {MENDARO_PROGRAM, "--headless"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {std::string("ZEM_USB_LIBRARY=") + MENDARO_TEST_SIM_LIBRARY,
                                  "ZEM_SIM_USB_DEVICES="};
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    if (var.rfind("ZEM_", 0) != 0 && var.rfind("DISPLAY=", 0) != 0) env.push_back(var);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, MENDARO_PROGRAM, nullptr, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return std::nullopt;
  return pid;
}

// The program's exit status, waited for at most 60 s of real time (then it is killed).
std::optional<int> waitForProgram(pid_t pid) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status;
}

class SignalEndingTest : public ::testing::TestWithParam<int> {};

// The signal comes to the program's whole process group, as Ctrl-C or a closed terminal come to every
// process of the terminal's group: first while the program waits for the service to stop, then again
// while the command that starts the service again runs. Neither may leave the service stopped.
TEST_P(SignalEndingTest, TheServiceRunsAgainAfterTheProgramEnds) {
  const int signal = GetParam();
  sys::testing::FakeService service;
  ASSERT_TRUE(service.launch());
  // The commands' shell is the program's child: its parent is the program, the leader of the group.
  const std::string toGroup = std::string("kill -s ") + sigabbrev_np(signal) + " -- -$PPID";
  std::optional<pid_t> pid = startProgram({"--service-process", service.name(), "--stop-command",
                                           service.stopCommand() + "; " + toGroup, "--start-command",
                                           toGroup + "; " + service.startCommand()});
  ASSERT_TRUE(pid.has_value());
  const std::optional<int> status = waitForProgram(*pid);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << " itself";
  if (WIFEXITED(*status)) {
    EXPECT_EQ(WEXITSTATUS(*status), 128 + signal);
  }
  EXPECT_TRUE(service.waitUntilRunning(true));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalEndingTest, ::testing::Values(SIGINT, SIGHUP, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string("SIG") + sigabbrev_np(info.param);
                         });

}  // namespace
