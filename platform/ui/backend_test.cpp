// The hooks a display backend uses: event processing in the message loop, and a person answering
// modal windows and dialogs.
#include "platform/ui/backend.h"

#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"
#include "platform/ui/graphics.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"

namespace ui {
namespace {

// A display stand-in: counts event passes and plays the user through a script run on each pass.
class FakeDisplay : public Backend {
 public:
  void processEvents() override {
    ++eventPasses;
    if (onEvents) onEvents();
  }
  bool interactive() const override { return true; }
  ModalResult messageBox(const MessageBoxRequest& r) override {
    boxes.push_back(r.text);
    return ModalResult::No;
  }
  std::optional<std::string> fileDialog(const FileDialogRequest&) override { return chosenFile; }

  int eventPasses = 0;
  std::function<void()> onEvents;
  std::vector<std::string> boxes;
  std::optional<std::string> chosenFile;
};

class BackendHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().reset();
    setBackend(&display_);
  }
  void TearDown() override {
    setBackend(nullptr);
    app().reset();
  }
  sys::ScopedVirtualClock clock_;
  FakeDisplay display_;
};

TEST_F(BackendHooksTest, ProcessMessagesHandlesDisplayEventsFirst) {
  std::vector<std::string> order;
  display_.onEvents = [&] { order.push_back("events"); };
  app().post([&] { order.push_back("posted"); });
  app().processMessages();
  EXPECT_EQ(order, (std::vector<std::string>{"events", "posted"}));
}

TEST_F(BackendHooksTest, ModalFormWaitsForTheUserPastThePassLimitWithTimersRunning) {
  setModalPassLimit(50);
  Owned<Form> dialog(createForm<Form>());
  auto* ok = new Button(dialog.get());
  ok->setParent(dialog.get());
  ok->setModalResult(ModalResult::Ok);
  Timer timer(10);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  timer.setEnabled(true);
  // The person clicks OK only after a long look at the dialog.
  display_.onEvents = [&] {
    if (display_.eventPasses == 500 && dialog->visible()) input::click(*ok);
  };
  EXPECT_EQ(dialog->showModal(), ModalResult::Ok);
  EXPECT_GE(display_.eventPasses, 500);
  EXPECT_GT(ticks, 10);
}

TEST_F(BackendHooksTest, DialogsWithoutResponderGoToTheDisplayAndRespondersStillWin) {
  EXPECT_EQ(messageBox({MessageKind::Confirmation, "c", "Replace?", MessageButtons::YesNo}), ModalResult::No);
  EXPECT_EQ(display_.boxes, (std::vector<std::string>{"Replace?"}));
  setMessageBoxResponder([](const MessageBoxRequest&) { return ModalResult::Yes; });
  EXPECT_EQ(messageBox({MessageKind::Confirmation, "c", "Again?", MessageButtons::YesNo}), ModalResult::Yes);
  EXPECT_EQ(display_.boxes.size(), 1u);

  OpenDialog open(nullptr);
  display_.chosenFile = "/tmp/picked.hex";
  EXPECT_TRUE(open.execute());
  EXPECT_EQ(open.fileName, "/tmp/picked.hex");
  display_.chosenFile.reset();
  EXPECT_FALSE(open.execute());
}

TEST_F(BackendHooksTest, HeadlessBackendStillCancelsModalFormsAtOnce) {
  setBackend(nullptr);
  Owned<Form> dialog(createForm<Form>());
  EXPECT_EQ(dialog->showModal(), ModalResult::Cancel);
}

TEST_F(BackendHooksTest, CanvasKeepsTheBitmapsDrawnForReplay) {
  Canvas c;
  Bitmap b(2, 1);
  b.setPixelValue(1, 0, clRed);
  c.draw(3, 4, b);
  c.stretchDraw({0, 0, 8, 8}, b);
  b.setPixelValue(1, 0, clBlue);  // later changes do not reach what was drawn
  ASSERT_EQ(c.ops().size(), 2u);
  for (const CanvasOp& op : c.ops()) {
    ASSERT_TRUE(op.bitmap);
    EXPECT_EQ(op.bitmap->pixelColor(1, 0), clRed);
  }
}

}  // namespace
}  // namespace ui
