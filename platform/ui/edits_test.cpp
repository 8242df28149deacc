#include "platform/ui/edits.h"

#include <gtest/gtest.h>

#include "platform/ui/dump.h"
#include "platform/ui/input.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class EditsTest : public ShownFormTest {};

TEST_F(EditsTest, NumbersOnlyRefusesAllButDigitsAndEditingKeys) {
  auto* e = add<Edit>("e");
  e->setNumbersOnly(true);
  ASSERT_TRUE(e->setFocus());
  input::typeText("1a-2 3");
  EXPECT_EQ(e->text(), "123");
  input::keyPress('\b');
  EXPECT_EQ(e->text(), "12");
  e->setText("x9");  // the program's own text is not checked
  EXPECT_EQ(e->text(), "x9");
}

TEST_F(EditsTest, OneLineRichEditWithALengthLimit) {
  auto* r = add<RichEdit>("r");
  r->setMultiLine(false);
  r->setMaxLength(2);
  r->setNumbersOnly(true);
  r->setContent("1");
  ASSERT_TRUE(r->setFocus());
  input::typeText("\r2\r3x");
  EXPECT_EQ(r->content(), "23") << "no line for Enter, nothing past two characters";
  input::keyPress('\b');
  input::keyPress('\b');
  input::typeText("307");
  EXPECT_EQ(r->content(), "30");
  r->setContent("");
  EXPECT_EQ(r->lines().count(), 0);
  r->setContent("a\r\nb");
  EXPECT_EQ(r->lines().count(), 2);
  EXPECT_EQ(r->content(), "a\r\nb");
}

// As an edit's: what is typed into a one-line box just focused replaces what it held.
TEST_F(EditsTest, FocusingAOneLineRichEditSelectsItsText) {
  auto* r = add<RichEdit>("r");
  r->setMultiLine(false);
  r->setMaxLength(2);
  r->setContent("12");
  ASSERT_TRUE(r->setFocus());
  EXPECT_TRUE(r->allSelected());
  input::typeText("5");
  EXPECT_EQ(r->content(), "5") << "not refused for the length the old text took";
  input::typeText("6");
  EXPECT_EQ(r->content(), "56") << "the selection ended with the first key";

  auto* other = add<Edit>("other");
  ASSERT_TRUE(other->setFocus());
  ASSERT_TRUE(r->setFocus());
  input::keyPress('\b');
  EXPECT_EQ(r->content(), "");
  r->setContent("7");
  r->selectAll();
  input::keyDown(vk::Delete);
  EXPECT_EQ(r->content(), "");

  auto* log = add<RichEdit>("log");  // several lines: the caret goes to the end, nothing is selected
  log->setContent("first");
  ASSERT_TRUE(log->setFocus());
  EXPECT_FALSE(log->allSelected());
  input::typeText("!");
  EXPECT_EQ(log->content(), "first!");
}

TEST_F(EditsTest, MemoGrowsByAppendedTextAndBreaks) {
  auto* m = add<Memo>("log");
  EXPECT_TRUE(m->readOnly());
  EXPECT_EQ(m->scrollBars(), ScrollStyle::Vertical);
  m->appendText("Starting");
  m->appendText("... done\r\n");
  m->appendText("Two\nlines\r\n");
  m->appendText("");
  EXPECT_EQ(m->content(), "Starting... done\r\nTwo\r\nlines\r\n");
  EXPECT_EQ(dumpControls(*m),
            "log: Memo (0,0,185,89) [4 lines: \"Starting... done\" \"Two\" \"lines\" \"\"]\n");
}

}  // namespace
}  // namespace ui
