#include "platform/ui/list_box.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/dump.h"
#include "platform/ui/input.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class ListBoxTest : public ShownFormTest {
 protected:
  ListBox* list(int lines) {
    auto* l = add<ListBox>("list");
    for (int i = 0; i < lines; ++i) l->items().add("line " + std::to_string(i), 100 + i);
    l->onSelChange = [this, l](Component*) { picks.push_back(l->itemIndex()); };
    return l;
  }
  std::vector<int> picks;
};

TEST_F(ListBoxTest, ProgramSelectionIsSilentAndBounded) {
  ListBox* l = list(3);
  l->setItemIndex(2);
  EXPECT_EQ(l->itemIndex(), 2);
  l->setItemIndex(3);
  EXPECT_EQ(l->itemIndex(), -1);
  EXPECT_TRUE(picks.empty());
  EXPECT_EQ(l->items().data(1), 101u);
  l->setItemIndex(2);
  l->items().remove(2);
  EXPECT_EQ(l->itemIndex(), -1) << "the selected line went";
  l->setItemIndex(1);
  l->items().clear();
  EXPECT_EQ(l->itemIndex(), -1);
  EXPECT_EQ(dumpControls(*l), "list: ListBox (0,0,121,97) [index -1]\n");
}

TEST_F(ListBoxTest, TheUserPicksByPressKeyOrChoice) {
  ListBox* l = list(3);
  const int h = l->itemHeight();
  input::mouseDown(*l, 10, ListBox::kBorder + h + 1);  // the second line
  input::mouseUp(*l, 10, ListBox::kBorder + h + 1);
  EXPECT_EQ(l->itemIndex(), 1);
  input::click(*l);  // the middle of the box: below the last line picks nothing
  EXPECT_EQ(l->itemIndex(), 1);
  ASSERT_TRUE(l->setFocus());
  input::pressKey(vk::Down);
  input::pressKey(vk::Down);  // already at the last line: no change, no report
  input::pressKey(vk::Home);
  EXPECT_TRUE(input::selectListItem(*l, 0));  // the same line again: reported again
  EXPECT_FALSE(input::selectListItem(*l, 3));
  EXPECT_EQ(picks, (std::vector<int>{1, 2, 0, 0}));
  l->setEnabled(false);
  EXPECT_FALSE(input::selectListItem(*l, 1));
}

TEST_F(ListBoxTest, ScrollsToShowTheLineThatIsPicked) {
  ListBox* l = list(20);
  const int shown = l->visibleCount();
  ASSERT_LT(shown, 20);
  EXPECT_TRUE(l->scrollBarShown());
  ASSERT_TRUE(input::selectListItem(*l, 15));
  EXPECT_EQ(l->topIndex(), 15 - shown + 1);
  EXPECT_EQ(l->itemAtY(ListBox::kBorder), l->topIndex());
  ASSERT_TRUE(input::selectListItem(*l, 2));
  EXPECT_EQ(l->topIndex(), 2);
  l->setTopIndex(100);
  EXPECT_EQ(l->topIndex(), 20 - shown);
  // A press on the scroll bar's lower half pages down and picks nothing.
  input::mouseDown(*l, l->width() - 5, l->height() - 5);
  EXPECT_EQ(l->itemIndex(), 2);
  l->items().clear();
  EXPECT_EQ(l->topIndex(), 0);
}

}  // namespace
}  // namespace ui
