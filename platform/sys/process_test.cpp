#include "platform/sys/process.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "platform/sys/clock.h"
#include "platform/sys/fake_service_testing.h"

namespace sys {
namespace {

// Asks until the answer is yes, for at most 30 s of real time: on the virtual clock each look gives the
// outside world only a moment of it, so a count of looks would be no bound under load.
template <typename Ask>
bool waitUntilReal(Ask&& ask) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!ask()) {
    if (std::chrono::steady_clock::now() > end) return false;
  }
  return true;
}

// Runs a command to its end, on either clock.
std::optional<int> runToEnd(const std::string& line) {
  Result<Command> c = Command::start(line);
  if (!c) return std::nullopt;
  (void)waitUntilReal([&] { return c.value().waitForEnd(100); });
  return c.value().exitCode();
}

TEST(ProcessTest, FindsARunningProcessByItsExactNameOnly) {
  testing::FakeService service;
  ASSERT_TRUE(service.launch());
  const std::vector<pid_t> found = findProcesses(service.name());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(findProcesses(service.name().substr(0, service.name().size() - 1)).empty());
  EXPECT_TRUE(findProcesses(service.name() + "0").empty());
  EXPECT_TRUE(findProcesses("FAKESVC" + service.name().substr(7)).empty()) << "names are case-sensitive";
  EXPECT_TRUE(findProcesses("").empty());
  // By the kernel's command name too.
  EXPECT_FALSE(findProcesses("sleep").empty());
}

TEST(ProcessTest, AScanWhileProcessesComeAndGoNeitherRaisesNorMissesALivingOne) {
  testing::FakeService service;
  ASSERT_TRUE(service.launch());
  // A swarm of processes that end at once, so that some vanish between the listing and the reads.
  std::atomic<bool> done{false};
  std::thread churn([&] {
    while (!done) (void)runToEnd("i=0; while [ $i -lt 200 ]; do /bin/true & i=$((i+1)); done; wait");
  });
  size_t wrong = 0;
  std::string raised;
  try {
    for (int i = 0; i < 100; ++i) wrong += findProcesses(service.name()).size() != 1u;
  } catch (const std::exception& e) {
    raised = e.what();
  }
  done = true;
  churn.join();
  EXPECT_EQ(raised, "");
  EXPECT_EQ(wrong, 0u);
}

TEST(ProcessTest, WatchSeesTheEndOfAProcessThatIsNotOurs) {
  testing::FakeService service;
  ASSERT_TRUE(service.launch());
  const pid_t pid = findProcesses(service.name()).at(0);
  ProcessWatch watch(pid);
  ASSERT_TRUE(watch.valid());
  EXPECT_EQ(watch.running(), true);
  ScopedVirtualClock clock(1000);
  EXPECT_FALSE(watch.waitForEnd(100));
  EXPECT_EQ(tickCount(), 1100u) << "no end: the clock moved on by the wait";
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_TRUE(waitUntilReal([&] { return watch.waitForEnd(100); }));
  EXPECT_EQ(watch.running(), false);
  EXPECT_TRUE(findProcesses(service.name()).empty()) << "an ended process does not count, collected or not";
}

TEST(ProcessTest, CommandLineOfARunningProcessAndOfOneThatHasGone) {
  testing::FakeService service;
  ASSERT_TRUE(service.launch());
  const std::vector<pid_t> found = findProcesses(service.name());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(commandLine(found[0]), service.name() + std::string("\0"
                                                                "300"
                                                                "\0",
                                                                5));
  Result<Command> c = Command::start("exit 0");
  ASSERT_TRUE(c.ok());
  while (!c.value().waitForEnd(100)) {
  }
  EXPECT_EQ(commandLine(c.value().pid()), "") << "collected: the id names no process now";
}

TEST(ProcessTest, AProcessThatIsGoneCannotBeWatched) {
  Result<Command> c = Command::start("exit 0");
  ASSERT_TRUE(c.ok());
  const pid_t pid = c.value().pid();
  while (!c.value().waitForEnd(100)) {
  }
  ProcessWatch gone(pid);  // collected: the id names no process now
  EXPECT_FALSE(gone.valid());
  EXPECT_EQ(gone.running(), std::nullopt);
  EXPECT_TRUE(gone.waitForEnd(100));
  EXPECT_FALSE(ProcessWatch(0).valid());
}

TEST(ProcessTest, CommandsGiveTheirExitCodes) {
  ScopedVirtualClock clock;
  EXPECT_EQ(runToEnd("exit 3"), 3);
  EXPECT_EQ(runToEnd("true"), 0);
  EXPECT_EQ(runToEnd("kill -9 $$"), 128 + SIGKILL);
  EXPECT_EQ(runToEnd("no-such-command-here 2>/dev/null"), 127);
}

// A program that blocks the signals asking it to end (to read them itself) starts its commands without
// them blocked: a command's own kill, and the service it starts, still end by them. A command may let the
// terminal's signals pass it by, and what it starts with it, while it stays in the program's process group
// (the terminal's foreground, where it may read the terminal); kill still ends it.
TEST(ProcessTest, CommandsStartWithNoSignalBlockedAndMayIgnoreTheTerminalsSignals) {
  sigset_t ending, before;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &ending, &before), 0);
  ScopedVirtualClock clock;
  EXPECT_EQ(runToEnd("kill -TERM $$; exec sleep 30"), 128 + SIGTERM);
  EXPECT_EQ(runToEnd("kill -INT $$; exec sleep 30"), 128 + SIGINT);
  const std::string terminalSignals = "kill -INT $$; kill -QUIT $$; kill -HUP $$; ";
  Result<Command> passedBy = Command::start(terminalSignals + "sh -c '" + terminalSignals + "exit 7'",
                                            Command::TerminalSignals::Ignored);
  Result<Command> killed = Command::start("exec sleep 30", Command::TerminalSignals::Ignored);
  ASSERT_EQ(pthread_sigmask(SIG_SETMASK, &before, nullptr), 0);
  ASSERT_TRUE(passedBy.ok());
  EXPECT_TRUE(waitUntilReal([&] { return passedBy.value().waitForEnd(100); }));
  EXPECT_EQ(passedBy.value().exitCode(), 7);
  ASSERT_TRUE(killed.ok());
  EXPECT_EQ(::getpgid(killed.value().pid()), ::getpgrp());
  ASSERT_EQ(::kill(killed.value().pid(), SIGTERM), 0);
  EXPECT_TRUE(waitUntilReal([&] { return killed.value().waitForEnd(100); }));
  EXPECT_EQ(killed.value().exitCode(), 128 + SIGTERM);
}

TEST(ProcessTest, CommandWaitIsBoundedOnTheTickSource) {
  ScopedVirtualClock clock;
  Result<Command> c = Command::start("exec sleep 300");
  ASSERT_TRUE(c.ok());
  EXPECT_FALSE(c.value().waitForEnd(30000));
  EXPECT_EQ(tickCount(), 30000u);
  EXPECT_EQ(c.value().exitCode(), std::nullopt);
  ASSERT_EQ(::kill(c.value().pid(), SIGTERM), 0);
  EXPECT_TRUE(waitUntilReal([&] { return c.value().waitForEnd(100); }));
  EXPECT_EQ(c.value().exitCode(), 128 + SIGTERM);
}

TEST(ProcessTest, WaitReadableOnBothClocks) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    ScopedVirtualClock clock(50);
    EXPECT_FALSE(waitReadable(fds[0], 100));
    EXPECT_EQ(tickCount(), 150u);
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    EXPECT_TRUE(waitReadable(fds[0], 100));
    EXPECT_EQ(tickCount(), 150u) << "the event came at once: no time passed";
  }
  char c;
  ASSERT_EQ(::read(fds[0], &c, 1), 1);
  // The real clock blocks until the event, not until the limit.
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    (void)!::write(fds[1], "y", 1);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(waitReadable(fds[0], 10000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  writer.join();
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace sys
