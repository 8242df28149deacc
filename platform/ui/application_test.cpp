#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/backend.h"
#include "platform/ui/headless_run.h"
#include "platform/ui/message_box.h"
#include "platform/ui/post_message.h"

namespace ui {
namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override { app().reset(); }
  void TearDown() override { app().reset(); }
  sys::ScopedVirtualClock clock_;
};

TEST_F(ApplicationTest, PostedMessagesReachTheirWindowInOrderAndFromOtherThreads) {
  std::vector<uint32_t> seen;
  Handle h = app().registerWindow([&](const Message& m) { seen.push_back(m.msg); });
  std::thread t([&] { app().postMessage(h, 1); });
  t.join();
  app().postMessage(h, 2, 7, -1);
  EXPECT_FALSE(app().postMessage(h + 100, 3));
  app().processMessages();
  EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2}));
}

TEST_F(ApplicationTest, CodeOutsideTheLayerPostsThroughTheExportedDoor) {
  std::vector<Message> seen;
  Handle h = app().registerWindow([&](const Message& m) { seen.push_back(m); });
  std::thread t([&] { EXPECT_TRUE(postMessageToProcess(h, 0x401, 1, 5)); });
  t.join();
  EXPECT_FALSE(postMessageToProcess(h + 100, 0x401, 0, 0));
  app().processMessages();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, 0x401u);
  EXPECT_EQ(seen[0].wParam, 1u);
  EXPECT_EQ(seen[0].lParam, 5);
}

TEST_F(ApplicationTest, MessageForAWindowGoneBeforeDeliveryIsDropped) {
  int calls = 0;
  Handle h = app().registerWindow([&](const Message&) { ++calls; });
  app().postMessage(h, 1);
  app().unregisterWindow(h);
  app().processMessages();
  EXPECT_EQ(calls, 0);
}

TEST_F(ApplicationTest, AMessagePostedByAHandlerWaitsForTheNextPass) {
  int calls = 0;
  std::function<void()> again = [&] {
    ++calls;
    app().post(again);
  };
  app().post(again);
  app().processMessages();
  EXPECT_EQ(calls, 1);
  app().processMessages();
  EXPECT_EQ(calls, 2);
}

TEST_F(ApplicationTest, TimerFiresEachIntervalAndNotWhileItsHandlerRuns) {
  Timer t(200);
  int fired = 0;
  t.onTimer = [&] {
    ++fired;
    clock_->advance(500);
    app().processMessages();  // a nested loop must not re-enter this handler
  };
  t.setEnabled(true);
  clock_->advance(199);
  app().processMessages();
  EXPECT_EQ(fired, 0);
  clock_->advance(1);
  app().processMessages();
  EXPECT_EQ(fired, 1);
  t.setEnabled(false);
  clock_->advance(1000);
  app().processMessages();
  EXPECT_EQ(fired, 1);
}

TEST_F(ApplicationTest, IdleLoopsWaitUntilTheNextTimerOrAMessage) {
  EXPECT_EQ(app().idleWaitMs(1000), 1000u);  // nothing to wake for: the whole limit
  Timer slow(300);
  slow.onTimer = [] {};
  slow.setEnabled(true);
  Timer off(10);  // disabled timers don't count
  off.onTimer = [] {};
  clock_->advance(120);
  EXPECT_EQ(app().idleWaitMs(1000), 180u);
  EXPECT_EQ(app().idleWaitMs(50), 50u);
  EXPECT_EQ(app().idleWaitMs(), Application::kMaxIdleWaitMs);
  app().post([] {});
  EXPECT_EQ(app().idleWaitMs(1000), 0u);
  app().processMessages();
  clock_->advance(500);
  EXPECT_EQ(app().idleWaitMs(1000), 0u);  // overdue
}

TEST_F(ApplicationTest, ChangingTheIntervalRestartsThePeriod) {
  Timer t(nullptr, 100);
  std::vector<uint32_t> at;
  t.onTimer = [&] { at.push_back(sys::tickCount()); };
  t.setEnabled(true);
  clock_->advance(60);
  t.setInterval(100);
  t.setEnabled(true);  // already on: no restart
  for (int i = 0; i < 300; ++i) {
    clock_->advance(1);
    app().processMessages();
  }
  EXPECT_EQ(at, (std::vector<uint32_t>{160, 260, 360}));
}

// A handler that takes a while and starts another timer: that timer's interval runs from its start, not
// from the start of the pass that ran the handler.
TEST_F(ApplicationTest, ATimerStartedByAnEarlierHandlerOfThePassWaitsItsWholeInterval) {
  Timer first(nullptr, 100);
  Timer second(nullptr, 50);
  std::vector<uint32_t> at;
  first.onTimer = [&] {
    clock_->advance(30);
    second.setEnabled(true);
    first.setEnabled(false);
  };
  second.onTimer = [&] {
    at.push_back(sys::tickCount());
    second.setEnabled(false);
  };
  first.setEnabled(true);
  for (int i = 0; i < 300; ++i) {
    clock_->advance(1);
    app().processMessages();
  }
  EXPECT_EQ(at, (std::vector<uint32_t>{180}));
}

TEST_F(ApplicationTest, TimerMayBeDestroyedByItsOwnHandler) {
  auto* t = new Timer(10);
  int fired = 0;
  t->onTimer = [&] {
    ++fired;
    delete t;
  };
  t->setEnabled(true);
  clock_->advance(10);
  app().processMessages();
  EXPECT_EQ(fired, 1);
}

// Help requests reach the backend's viewer as the place to open: the topic's anchor, or the file's start.
TEST_F(ApplicationTest, HelpRequestsGoToTheBackendAsTheFileAndTheTopicsAnchor) {
  struct Viewer : Backend {
    void showHelp(const HelpRequest& r) override { opened.push_back(r.location()); }
    std::vector<std::string> opened;
  } viewer;
  setBackend(&viewer);
  EXPECT_FALSE(app().helpJump("Monitor"));  // no help file: nothing
  app().setHelpFile("/usr/share/zem/Zem.hlp");
  EXPECT_TRUE(app().helpJump("Monitor"));
  EXPECT_TRUE(app().helpCommand(kHelpTopics, 0));
  EXPECT_TRUE(app().helpCommand(kHelpContents, 0));
  setBackend(nullptr);
  EXPECT_EQ(viewer.opened, (std::vector<std::string>{"/usr/share/zem/Zem.hlp#Monitor",
                                                     "/usr/share/zem/Zem.hlp", "/usr/share/zem/Zem.hlp"}));
  ASSERT_EQ(app().helpRequests().size(), 3u);
  EXPECT_EQ(app().helpRequests()[0].topic, "Monitor");
  EXPECT_EQ(app().helpRequests()[1].command, kHelpTopics);
}

TEST_F(ApplicationTest, HeadlessRunPrintsWhereHelpWouldOpen) {
  HeadlessUser user;
  setBackend(&user);
  app().setHelpFile("Zem.hlp");
  testing::internal::CaptureStdout();
  (void)app().helpJump("FileMenu");
  (void)app().helpCommand(kHelpTopics, 0);
  const std::string out = testing::internal::GetCapturedStdout();
  setBackend(nullptr);
  EXPECT_EQ(out, "== help: Zem.hlp#FileMenu ==\n== help: Zem.hlp ==\n");
}

TEST_F(ApplicationTest, ErrorBoxIsRecordedAndRunsTimersWhileUp) {
  Timer t(5);
  int fired = 0;
  t.onTimer = [&] { ++fired; };
  t.setEnabled(true);
  clock_->advance(5);
  std::string answered;
  setMessageBoxResponder([&](const MessageBoxRequest& r) {
    answered = r.text;
    return ModalResult::Ok;
  });
  showErrorBox("YOLB1 error 1(4)");
  EXPECT_EQ(answered, "YOLB1 error 1(4)");
  ASSERT_EQ(shownMessageBoxes().size(), 1u);
  EXPECT_EQ(shownMessageBoxes()[0].kind, MessageKind::Error);
  EXPECT_EQ(fired, 1);
}

// What one test's boxes left behind does not reach the next: reset forgets the boxes shown and the
// responder that answered them.
TEST_F(ApplicationTest, ResetForgetsTheMessageBoxesShownAndTheirResponder) {
  setMessageBoxResponder([](const MessageBoxRequest&) { return ModalResult::No; });
  showErrorBox("YOLB1 error 1(4)");
  app().reset();
  EXPECT_TRUE(shownMessageBoxes().empty());
  EXPECT_EQ(messageBox({MessageKind::Confirmation, "c", "Replace?", MessageButtons::YesNo}), ModalResult::Yes)
      << "answered by its default button";
}

}  // namespace
}  // namespace ui
