#include "zem/link/LinkReport.h"

#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"

namespace {

// The default sink: the program's own error boxes and the open window's write-back timer.
class DefaultSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLinkReportSink(nullptr);
    ui::clearShownMessageBoxes();
    ActiveWriteBackTimer = &timer_;
  }
  void TearDown() override {
    ActiveWriteBackTimer = nullptr;
    ui::setMessageBoxResponder(nullptr);
    ui::clearShownMessageBoxes();
    ui::app().reset();
  }
  ui::Timer timer_{200};
};

TEST_F(DefaultSinkTest, AnErrorIsTheModalErrorBox) {
  LinkReportSink().ShowError("YOLB1 error 1(4)");
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "YOLB1 error 1(4)");
}

TEST_F(DefaultSinkTest, APauseStopsTheTimerAndGivesBackTheStateItHad) {
  for (const bool wasEnabled : {true, false}) {
    timer_.setEnabled(wasEnabled);
    const std::function<void()> resume = LinkReportSink().PauseWriteBack();
    EXPECT_FALSE(timer_.enabled());
    resume();
    EXPECT_EQ(timer_.enabled(), wasEnabled);
  }
}

TEST_F(DefaultSinkTest, ATimerWhoseWindowClosedMeanwhileStaysStopped) {
  timer_.setEnabled(true);
  const std::function<void()> resume = LinkReportSink().PauseWriteBack();
  ActiveWriteBackTimer = nullptr;  // the window went away
  resume();
  EXPECT_FALSE(timer_.enabled());
}

TEST_F(DefaultSinkTest, WithoutAWindowAPauseDoesNothing) {
  ActiveWriteBackTimer = nullptr;
  LinkReportSink().PauseWriteBack()();
  EXPECT_TRUE(ui::shownMessageBoxes().empty());
}

TEST(LinkReportSinkTest, AnInstalledSinkTakesTheReports) {
  struct Sink : TLinkReportSink {
    void ShowError(const std::string& text) override { shown = text; }
    std::function<void()> PauseWriteBack() override {
      return [] {};
    }
    std::string shown;
  } sink;
  SetLinkReportSink(&sink);
  LinkReportSink().ShowError("x");
  SetLinkReportSink(nullptr);
  EXPECT_EQ(sink.shown, "x");
  EXPECT_NE(&LinkReportSink(), &sink);
}

}  // namespace
