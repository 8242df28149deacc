// The configurator on a real display with its real fonts: every caption, list line and label fits the room
// its control gives it, with the longest lines listed, both directions shown and every message in the log
// (the screenshot test runs this binary under Xvfb; without a display it skips).
#include <gtest/gtest.h>

#include "mendaro/CMendaroApp.h"
#include "mendaro/MendaroTexts.h"
#include "mendaro/mendaro_test_support.h"
#include "platform/ui/fltk/display_test_support.h"
#include "platform/ui/text_fit.h"

namespace mendaro {
namespace {

using testing::configuredBlock;

using MendaroFitTest = ui::fltk::testing::OnDisplay<testing::MendaroDialogTest>;

TEST_F(MendaroFitTest, DialogWithTheLongestLinesAndEveryMessageFits) {
  // The widest version and universes a block can hold.
  attach({{.bcdDevice = 0xFFFF, .configBlock = configuredBlock(255, 255, 1, 0)}, {.bcdDevice = 0xFFFF}});
  EXPECT_EQ(lines()[0], "Tavren omnex USB DMX vFF.FF  A:255  B:255");
  ASSERT_TRUE(pick(0));
  type(dlg->reUniverseA, "32");
  type(dlg->reUniverseB, "28");
  for (const char* message : {text::kTooManyDevices, text::kReadFailed, text::kWriteFailed,
                              text::kSelectDevice, text::kNotReadNotWritten})
    dlg->AddToLog(message);
  ui::app().processMessages();
  EXPECT_EQ(ui::clippedTextReport(*dlg), "");
}

TEST_F(MendaroFitTest, BothNoticesFit) {
  for (const char* message : {text::kTakingOver, text::kRestoring}) {
    ui::Owned<CNoticeBox> notice(ui::createForm<CNoticeBox>(message));
    notice->show();
    ui::app().processMessages();
    EXPECT_EQ(ui::clippedTextReport(*notice), "");
  }
}

}  // namespace
}  // namespace mendaro
