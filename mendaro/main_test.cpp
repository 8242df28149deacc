// The program run as a user runs it, ended by the signals a terminal or the system sends it: the DMX
// service (a fake one) runs again once the program has ended.
#include <fcntl.h>
#include <poll.h>
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

// Starts the program, as the leader of a process group of its own (as a terminal starts it), against the
// simulated bus without boxes: headless, or on the display given.
std::optional<pid_t> startProgram(std::vector<std::string> args, const std::string& display = "") {
  if (display.empty()) args.insert(args.begin(), "--headless");
  args.insert(args.begin(), MENDARO_PROGRAM);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {std::string("ZEM_USB_LIBRARY=") + MENDARO_TEST_SIM_LIBRARY,
                                  "ZEM_SIM_USB_DEVICES="};
  if (!display.empty()) env.push_back("DISPLAY=" + display);
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
  // Ended by the signal once its own ending is done, as a shell or script must see it.
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signal)
      << (WIFEXITED(*status) ? "exit code " + std::to_string(WEXITSTATUS(*status)) : "another signal");
  EXPECT_TRUE(service.waitUntilRunning(true));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalEndingTest, ::testing::Values(SIGINT, SIGHUP, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string("SIG") + sigabbrev_np(info.param);
                         });

// A private X server: the display it took, or none when it cannot be started.
struct PrivateDisplay {
  pid_t pid = -1;
  std::string name;
  PrivateDisplay() {
    int number[2];
    if (::pipe(number) != 0) return;
    const std::string fd = std::to_string(number[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fd,          "-screen",
                                     "0",    "800x600x24", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(number[1]);
    if (rc != 0) pid = -1;
    // The server writes its display number once it takes connections.
    pollfd ready{number[0], POLLIN, 0};
    char text[16] = {};
    if (pid > 0 && ::poll(&ready, 1, 30000) == 1 && ::read(number[0], text, sizeof text - 1) > 0) {
      name = std::string(":") + std::to_string(std::atoi(text));
    }
    ::close(number[0]);
  }
  ~PrivateDisplay() { end(); }
  void end() {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
  }
};

// The end of a session takes the display away, often before any signal comes: the service runs again.
TEST(DisplayEndingTest, TheServiceRunsAgainWhenTheDisplayGoesAway) {
  PrivateDisplay display;
  if (display.name.empty()) GTEST_SKIP() << "no Xvfb to run a display";
  sys::testing::FakeService service;
  ASSERT_TRUE(service.launch());
  std::optional<pid_t> pid = startProgram({"--service-process", service.name(), "--stop-command",
                                           service.stopCommand(), "--start-command", service.startCommand()},
                                          display.name);
  ASSERT_TRUE(pid.has_value());
  // Stopped: the program has the display and its window is coming.
  ASSERT_TRUE(service.waitUntilRunning(false));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  display.end();
  const std::optional<int> status = waitForProgram(*pid);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);
  EXPECT_TRUE(service.waitUntilRunning(true));
}

}  // namespace
