#include "platform/sys/service_control.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/sys/clock.h"
#include "platform/sys/fake_service_testing.h"
#include "platform/sys/process.h"

namespace sys {
namespace {

TEST(ServiceControlTest, SystemServiceManagerCommands) {
  ServiceSettings s = systemServiceSettings("Velmont", "velmont");
  EXPECT_EQ(s.processName, "Velmont");
  EXPECT_EQ(s.stopCommand, "systemctl stop velmont");
  EXPECT_EQ(s.startCommand, "systemctl start velmont");
  EXPECT_EQ(s.limitMs, 30000u);
  EXPECT_EQ(s.pollMs * s.maxPolls, 30000u);
}

class FakeServiceTest : public ::testing::Test {
 protected:
  testing::FakeService service;
  ScopedVirtualClock clock{5000};
};

TEST_F(FakeServiceTest, NotRunningUntilLaunched) {
  ProcessServiceControl control(service.settings());
  EXPECT_FALSE(control.running());
  ASSERT_TRUE(service.launch());
  EXPECT_TRUE(control.running());
}

TEST_F(FakeServiceTest, StopWaitsForTheProcessToEnd) {
  ASSERT_TRUE(service.launch());
  ProcessServiceControl control(service.settings());
  Result<void> r = control.stop();
  EXPECT_TRUE(r.ok()) << r.error();
  EXPECT_FALSE(control.running());
  EXPECT_LT(elapsedMs(5000, tickCount()), 30000u);
}

TEST_F(FakeServiceTest, AServiceThatNeverStopsIsGivenUpAfterTheLimit) {
  ASSERT_TRUE(service.launch());
  ServiceSettings s = service.settings();
  s.stopCommand = "true";
  ProcessServiceControl control(s);
  clock->setRealSlice(0);  // its end never comes: no real time to wait for it
  int passes = 0;
  control.whileWaiting = [&passes] { ++passes; };
  Result<void> r = control.stop();
  EXPECT_EQ(r.error(), "the process \"" + service.name() + "\" still runs after 30 s");
  EXPECT_EQ(passes, 300) << "every pass keeps the program's windows going";
  EXPECT_GE(elapsedMs(5000, tickCount()), 30000u);
  EXPECT_LE(elapsedMs(5000, tickCount()), 30000u + s.pollMs);
  EXPECT_TRUE(control.running());
}

// A stop command that fails at once (no service manager to ask) ends the wait: the service it did not
// stop is not waited for until the limit.
TEST_F(FakeServiceTest, AStopCommandThatFailsEndsTheWaitWithItsCode) {
  ASSERT_TRUE(service.launch());
  ServiceSettings s = service.settings();
  s.stopCommand = "exit 1";
  ProcessServiceControl control(s);
  Result<void> r = control.stop();
  EXPECT_EQ(r.error(), "\"exit 1\" ended with exit code 1");
  EXPECT_LT(elapsedMs(5000, tickCount()), s.limitMs);
  EXPECT_TRUE(control.running());
}

// A command that fails after the service's process has gone is still a failed command.
TEST_F(FakeServiceTest, AStopCommandThatFailsAfterTheProcessEndedIsReported) {
  ASSERT_TRUE(service.launch());
  ServiceSettings s = service.settings();
  s.stopCommand = service.stopAndWaitCommand() + "; exit 3";
  ProcessServiceControl control(s);
  Result<void> r = control.stop();
  EXPECT_EQ(r.error(), "\"" + s.stopCommand + "\" ended with exit code 3");
  EXPECT_FALSE(control.running());
}

// The command is waited for after the process has gone, within the same limit.
TEST_F(FakeServiceTest, AStopCommandThatNeverEndsIsGivenUpAfterTheLimit) {
  ASSERT_TRUE(service.launch());
  ServiceSettings s = service.settings();
  // It stops the instance that ran, then runs on (under the service's name: the clean-up ends it).
  s.stopCommand = service.stopAndWaitCommand() + "; " + service.hangingCommand();
  ProcessServiceControl control(s);
  // Once the instance has ended, the command's end never comes: no real time to wait for it.
  const ProcessWatch instance(*service.startedPid());
  control.whileWaiting = [&] {
    if (!instance.running().value_or(false)) clock->setRealSlice(0);
  };
  Result<void> r = control.stop();
  EXPECT_EQ(r.error(), "\"" + s.stopCommand + "\" did not end within 30 s");
  // The pass that saw the instance end may have taken no time.
  EXPECT_GE(elapsedMs(5000, tickCount()), 30000u - s.pollMs);
  EXPECT_LE(elapsedMs(5000, tickCount()), 30000u + s.pollMs);
  // It runs on; once it has its name the service's clean-up ends it (else it would outlive the test).
  EXPECT_TRUE(service.waitUntilRunning(true));
}

TEST_F(FakeServiceTest, StartWaitsForTheStartCommand) {
  ProcessServiceControl control(service.settings());
  Result<void> r = control.start();
  EXPECT_TRUE(r.ok()) << r.error();
  EXPECT_TRUE(service.waitUntilRunning(true));
  // Stopped and started again, as the configurator does around its window.
  EXPECT_TRUE(control.stop().ok());
  EXPECT_TRUE(control.start().ok());
  EXPECT_TRUE(service.waitUntilRunning(true));
}

// The start wait has a limit like the stop's: a start command that hangs does not hang the program.
TEST_F(FakeServiceTest, AStartCommandThatNeverEndsIsGivenUpAfterTheLimit) {
  ServiceSettings s = service.settings();
  s.startCommand = service.hangingCommand();
  ProcessServiceControl control(s);
  clock->setRealSlice(0);  // its end never comes: no real time to wait for it
  Result<void> r = control.start();
  EXPECT_EQ(r.error(), "\"" + s.startCommand + "\" did not end within 30 s");
  EXPECT_GE(elapsedMs(5000, tickCount()), 30000u);
  EXPECT_LE(elapsedMs(5000, tickCount()), 30000u + 2 * s.pollMs);
  // It runs on; once it has its name the service's clean-up ends it (else it would outlive the test).
  EXPECT_TRUE(service.waitUntilRunning(true));
}

// An instance whose shell has not reached its name when the test ends (a loaded machine) does not
// outlive the test.
TEST(FakeServiceCleanUpTest, AnInstanceNotYetUnderItsNameEndsWithTheService) {
  std::optional<ProcessWatch> watch;  // taken while the instance is ours: its id is not reused meanwhile
  {
    testing::FakeService service;
    Result<Command> started = Command::start(service.startCommand("sleep 2; "));
    ASSERT_TRUE(started.ok()) << started.error();
    ASSERT_TRUE(started.value().waitForEnd(5000));
    ASSERT_TRUE(service.startedPid().has_value());
    watch.emplace(*service.startedPid());
  }
  const bool ended = watch->waitForEnd(5000);
  EXPECT_TRUE(ended);
  if (!ended) ::kill(watch->pid(), SIGKILL);
}

TEST_F(FakeServiceTest, AFailingStartCommandIsReported) {
  ServiceSettings s = service.settings();
  s.startCommand = "exit 5";
  EXPECT_EQ(ProcessServiceControl(s).start().error(), "\"exit 5\" ended with exit code 5");
}

}  // namespace
}  // namespace sys
