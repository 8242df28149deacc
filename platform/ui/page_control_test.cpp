#include "platform/ui/page_control.h"

#include <gtest/gtest.h>

#include "platform/ui/controls.h"
#include "platform/ui/input.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

// Six tabs "Page0".."Page5", each 5 * 6 + 12 = 42 pixels wide with the headless metrics, on a row
// that starts at x 2: 254 pixels in a 200 pixel control. The arrows (14 wide each) take 170..198, so
// tabs must end by 168: three tabs show at a time.
class PageControlScrollTest : public ShownFormTest {
 protected:
  void SetUp() override {
    ShownFormTest::SetUp();
    pc_ = add<PageControl>("pc");
    pc_->setBounds(0, 0, 200, 120);
    for (const char* name : {"Page0", "Page1", "Page2", "Page3", "Page4", "Page5"}) {
      pages_.push_back(add<TabSheet>(name, pc_));
      pages_.back()->setCaption(name);
    }
  }
  // Presses the middle of a rectangle of the tab row.
  bool press(const Rect& r) {
    return input::pressTabRow(*pc_, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::vector<int> shownTabs() const {
    std::vector<int> out;
    for (int i = 0; i < 6; ++i) {
      if (pc_->tabShown(i)) out.push_back(i);
    }
    return out;
  }

  PageControl* pc_ = nullptr;
  std::vector<TabSheet*> pages_;
};

TEST_F(PageControlScrollTest, ArrowsShiftTheRowByOneTabAndStopAtTheEnds) {
  ASSERT_TRUE(pc_->tabsOverflow());
  EXPECT_EQ(pc_->scrollArrowRect(false), (Rect{170, 2, 184, 21}));
  EXPECT_EQ(pc_->scrollArrowRect(true), (Rect{184, 2, 198, 21}));
  EXPECT_EQ(pc_->tabRect(1), (Rect{44, 2, 86, 21}));
  EXPECT_EQ(shownTabs(), (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(pc_->canScrollTabsLeft());

  Rect right = pc_->scrollArrowRect(true);
  for (int first = 1; first <= 3; ++first) {
    EXPECT_TRUE(press(right));
    EXPECT_EQ(pc_->firstVisibleTab(), first);
  }
  EXPECT_EQ(shownTabs(), (std::vector<int>{3, 4, 5})) << "the last tab ends before the arrows";
  EXPECT_EQ(pc_->tabRect(3).left, 2);
  EXPECT_FALSE(press(right));
  EXPECT_EQ(pc_->firstVisibleTab(), 3);

  Rect left = pc_->scrollArrowRect(false);
  for (int first = 2; first >= 0; --first) {
    EXPECT_TRUE(press(left));
    EXPECT_EQ(pc_->firstVisibleTab(), first);
  }
  EXPECT_FALSE(press(left));
  EXPECT_EQ(pc_->activePage(), pages_[0]) << "arrows never change the page";
}

TEST_F(PageControlScrollTest, PressesOnAShiftedRowSelectTheTabUnderThePoint) {
  int changes = 0;
  pc_->onChange = [&](Component*) { ++changes; };
  pc_->scrollTabsRight();
  pc_->scrollTabsRight();
  EXPECT_EQ(pc_->tabHitTest({3, 10}).tabIndex, 2);
  EXPECT_TRUE(press(pc_->tabRect(3)));
  EXPECT_EQ(pc_->activePage(), pages_[3]);
  EXPECT_EQ(changes, 1);
  // Tab 5 lies partly before the arrows but is not shown: pressing there selects nothing.
  EXPECT_EQ(pc_->tabHitTest({pc_->tabRect(5).left + 1, 10}).kind, TabHit::Kind::None);
  EXPECT_EQ(pc_->tabHitTest({1, 10}).kind, TabHit::Kind::None) << "tab 1, scrolled away, is left of the row";

  // Owner-drawn tabs are painted at their place on the scrolled row, with their own index.
  pc_->setOwnerDraw(true);
  std::vector<std::pair<int, Rect>> drawn;
  pc_->onDrawTab = [&](PageControl*, int i, const Rect& r, bool) { drawn.push_back({i, r}); };
  pc_->drawTab(3);
  EXPECT_EQ(drawn, (std::vector<std::pair<int, Rect>>{{3, Rect{44, 2, 86, 21}}}));
}

TEST_F(PageControlScrollTest, ActivatingAPageScrollsItsTabIntoView) {
  pc_->setActivePage(pages_[5]);
  EXPECT_EQ(pc_->firstVisibleTab(), 3);
  pc_->setActivePage(pages_[1]);
  EXPECT_EQ(pc_->firstVisibleTab(), 1);
  EXPECT_TRUE(input::selectTab(*pc_, *pages_[4]));
  EXPECT_EQ(pc_->firstVisibleTab(), 2) << "scrolls only as far as needed";

  // A hidden tab does not count: the row shrinks and the rest fits.
  pages_[0]->setTabVisible(false);
  pages_[1]->setTabVisible(false);
  EXPECT_FALSE(pc_->tabsOverflow());
  EXPECT_EQ(pc_->firstVisibleTab(), 0);
}

TEST_F(PageControlScrollTest, NoArrowsWhenEveryTabFits) {
  pc_->setActivePage(pages_[5]);
  pc_->setWidth(300);
  EXPECT_FALSE(pc_->tabsOverflow());
  EXPECT_EQ(pc_->firstVisibleTab(), 0) << "a wider control shows the whole row again";
  EXPECT_EQ(pc_->scrollArrowRect(true), Rect{});
  EXPECT_EQ(shownTabs(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_FALSE(pc_->scrollTabsRight());
  EXPECT_FALSE(input::pressTabRow(*pc_, 290, 10));
  EXPECT_TRUE(press(pc_->tabRect(0)));
  EXPECT_EQ(pc_->activePage(), pages_[0]);
}

TEST_F(PageControlScrollTest, HiddenPagesHaveThePageAreaSoTheirContentCanBeLaidOut) {
  pc_->setBounds(0, 0, 300, 200);
  const Rect area = pages_[0]->boundsRect();
  EXPECT_GT(area.width(), 0);
  EXPECT_GT(area.height(), 0);
  for (TabSheet* page : pages_) {
    EXPECT_EQ(page->boundsRect(), area) << page->name();
  }
  // A page made later, and the page control resized again.
  TabSheet* late = add<TabSheet>("Late", pc_);
  EXPECT_EQ(late->boundsRect(), area);
  pc_->setTabHeight(30);
  EXPECT_EQ(late->boundsRect(), pages_[0]->boundsRect());
  EXPECT_LT(late->height(), area.height());
}

// A page control on a page of another, drawing its own tabs: its tabs are drawn on its own canvas, a
// press on its row picks its pages, and its pages show only while the outer page does.
class NestedPageControlTest : public ShownFormTest {
 protected:
  void SetUp() override {
    ShownFormTest::SetUp();
    outer_ = add<PageControl>("outer");
    outer_->setBounds(0, 0, 400, 300);
    first_ = add<TabSheet>("first", outer_);
    first_->setCaption("First");
    second_ = add<TabSheet>("second", outer_);
    second_->setCaption("Second");
    inner_ = add<PageControl>("inner", first_);
    inner_->setAlign(Align::Client);
    inner_->setTabHeight(20);
    inner_->setOwnerDraw(true);
    inner_->onDrawTab = [this](PageControl* c, int i, const Rect& r, bool active) {
      c->canvas().brush.color = active ? clWhite : clSilver;
      c->canvas().fillRect(r);
      drawn_.push_back(std::to_string(i) + (active ? " active" : ""));
    };
    a_ = add<TabSheet>("a", inner_);
    a_->setCaption("Intensity");
    b_ = add<TabSheet>("b", inner_);
    b_->setCaption("Gobo");
    control_ = add<Panel>("onB", b_);
  }
  PageControl *outer_ = nullptr, *inner_ = nullptr;
  TabSheet *first_ = nullptr, *second_ = nullptr, *a_ = nullptr, *b_ = nullptr;
  Panel* control_ = nullptr;
  std::vector<std::string> drawn_;
};

TEST_F(NestedPageControlTest, DrawsItsOwnTabsAndPicksItsOwnPages) {
  EXPECT_EQ(inner_->activePage(), a_);
  inner_->drawTabs();
  EXPECT_EQ(drawn_, (std::vector<std::string>{"0 active", "1"}));
  ASSERT_EQ(inner_->canvas().ops().size(), 2u);
  EXPECT_EQ(inner_->canvas().ops()[1].rect, inner_->tabRect(1));
  EXPECT_EQ(inner_->canvas().ops()[1].brushColor, colorToRGB(clSilver));

  const Rect tab = inner_->tabRect(1);
  EXPECT_TRUE(input::pressTabRow(*inner_, (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2));
  EXPECT_EQ(inner_->activePage(), b_);
  EXPECT_EQ(outer_->activePage(), first_) << "the outer control keeps its page";
  EXPECT_TRUE(control_->showing());
  ASSERT_TRUE(input::selectTab(*outer_, *second_));
  EXPECT_FALSE(control_->showing());
  EXPECT_EQ(inner_->activePage(), b_);
}

}  // namespace
}  // namespace ui
