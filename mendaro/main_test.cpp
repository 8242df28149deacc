// The program run as a user runs it, ended by the signals a terminal or the system sends it: the DMX
// service (a fake one) runs again once the program has ended.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
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
// simulated bus without boxes: headless, or on the display given. Given a terminal (a pseudo-terminal's
// path), the program leads a session of its own with that terminal as its controlling one and its
// standard streams, in the terminal's foreground, as a shell starts it there.
std::optional<pid_t> startProgram(std::vector<std::string> args, const std::string& display = "",
                                  const std::string& terminal = "") {
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (terminal.empty()) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  } else {
    // The first terminal a session leader opens becomes its controlling terminal.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_addopen(&actions, 0, terminal.c_str(), O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions, 0, 1);
    posix_spawn_file_actions_adddup2(&actions, 0, 2);
  }
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, MENDARO_PROGRAM, &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return std::nullopt;
  return pid;
}

// A pseudo-terminal for the program to run in; the test types at its master side and reads what it shows.
struct PseudoTerminal {
  int master = -1;
  std::string path;  // of the terminal the program opens
  std::string shown;
  PseudoTerminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0)
      return;
    path = name;
  }
  ~PseudoTerminal() {
    if (master >= 0) ::close(master);
  }
  // Reads what the terminal shows, waiting at most ms for it.
  void read(int ms) {
    pollfd ready{master, POLLIN, 0};
    if (::poll(&ready, 1, ms) <= 0) return;
    char chunk[256];
    for (ssize_t n; (n = ::read(master, chunk, sizeof chunk)) > 0;)
      shown.append(chunk, static_cast<size_t>(n));
  }
  // Reads what the terminal shows until text shows after position from (at most 60 s of real time); where
  // it shows, or nothing.
  std::optional<size_t> waitFor(const std::string& text, size_t from = 0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (shown.find(text, from) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end) return std::nullopt;
      read(100);
    }
    return shown.find(text, from);
  }
  bool type(const std::string& keys) {
    return ::write(master, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
  }
};

// The program's exit status, waited for at most 60 s of real time (then it is killed). What it shows on a
// terminal given is read on, so that it never waits for the terminal.
std::optional<int> waitForProgram(pid_t pid, PseudoTerminal* terminal = nullptr) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (terminal) terminal->read(0);
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

// Ctrl-C and a closed terminal come to the program's whole process group, as they come to every process
// of the terminal's group; kill and the end of the session come to the program. The signal comes first
// while the program waits for the service to stop, then again while the command that starts the service
// again runs. Neither may leave the service stopped.
TEST_P(SignalEndingTest, TheServiceRunsAgainAfterTheProgramEnds) {
  const int signal = GetParam();
  sys::testing::FakeService service;
  ASSERT_TRUE(service.launch());
  // The commands' shell is the program's child: its parent is the program, the leader of the group.
  const std::string send =
      std::string("kill -s ") + sigabbrev_np(signal) + (signal == SIGTERM ? " " : " -- -");
  const std::string toProgram = send + "$PPID";
  std::optional<pid_t> pid = startProgram({"--service-process", service.name(), "--stop-command",
                                           service.stopCommand() + "; " + toProgram, "--start-command",
                                           toProgram + "; " + service.startCommand()});
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

// A start command may ask at the terminal the program was started from (the service manager asking a
// user for a password): it reads that terminal, and a Ctrl-C typed there while it asks ends the program
// but not the command, which starts the service.
TEST(TerminalTest, TheStartCommandReadsTheTerminalAndOutlivesCtrlC) {
  PseudoTerminal terminal;
  ASSERT_FALSE(terminal.path.empty()) << "no pseudo-terminal";
  sys::testing::FakeService service;
  ASSERT_TRUE(service.launch());
  const std::string ask = "printf 'Password: '; read -r answer </dev/tty && [ \"$answer\" = secret ] && { ";
  std::optional<pid_t> pid =
      startProgram({"--service-process", service.name(), "--stop-command", service.stopCommand(),
                    "--start-command", ask + service.startCommand() + "; }"},
                   "", terminal.path);
  ASSERT_TRUE(pid.has_value());
  const std::optional<size_t> asked = terminal.waitFor("Password: ");
  ASSERT_TRUE(asked.has_value()) << terminal.shown;
  // The terminal echoes the Ctrl-C once it has sent the signal and flushed what was typed before.
  ASSERT_TRUE(terminal.type("\x03"));
  ASSERT_TRUE(terminal.waitFor("^C", *asked).has_value()) << terminal.shown;
  ASSERT_TRUE(terminal.type("secret\n"));
  const std::optional<int> status = waitForProgram(*pid, &terminal);
  ASSERT_TRUE(status.has_value()) << "the program did not end";
  terminal.read(200);
  EXPECT_TRUE(service.waitUntilRunning(true)) << terminal.shown;
  // The Ctrl-C reached the program: it ends by it.
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGINT)
      << (WIFEXITED(*status) ? "exit code " + std::to_string(WEXITSTATUS(*status)) : "another signal")
      << terminal.shown;
}

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
