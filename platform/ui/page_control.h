// Page control with tab sheets; tabs may be drawn by the program.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/graphics.h"

namespace ui {

class PageControl;

class TabSheet : public WinControl {
 public:
  explicit TabSheet(Component* owner);
  const char* kind() const override { return "TabSheet"; }
  PageControl* pageControl() const;
  void setPageControl(PageControl* pc);
  bool tabVisible() const { return tabVisible_; }
  void setTabVisible(bool on);
  // Index among all pages, or -1.
  int pageIndex() const;

 private:
  bool tabVisible_ = true;
};

enum class TabStyle { Tabs, Buttons, FlatButtons };
// tabIndex counts the visible tabs.
using DrawTabEvent = std::function<void(PageControl* control, int tabIndex, const Rect& rect, bool active)>;
using TabChangingEvent = std::function<void(Component* sender, bool& allowChange)>;

// Where a point in a page control's tab row lands.
struct TabHit {
  enum class Kind { None, Tab, ScrollLeft, ScrollRight };
  Kind kind = Kind::None;
  int tabIndex = -1;  // counts the visible tabs; set for Kind::Tab
};

// Only the active page is shown. Freeing the active page makes the page after it (or else the one
// before it) active, without events.
// Tabs sit on one row. When they are wider than the control the row scrolls: a pair of arrow buttons
// sits at its right end, the row shows the tabs from the first visible one that fit before the
// arrows, and activating a page scrolls its tab into view.
class PageControl : public WinControl {
 public:
  explicit PageControl(Component* owner);
  const char* kind() const override { return "PageControl"; }
  std::string dumpDetails() const override;

  int pageCount() const { return static_cast<int>(pages_.size()); }
  TabSheet* page(int i) const;
  TabSheet* activePage() const { return active_; }
  // Changes the page without events (the program's own change).
  void setActivePage(TabSheet* p);
  int activePageIndex() const;
  void setActivePageIndex(int i) { setActivePage(page(i)); }

  // The user clicks the tab of page p: onChanging may refuse, else the page changes and onChange
  // fires. False when refused, or when p has no visible tab here.
  bool selectPage(TabSheet* p);

  bool ownerDraw() const { return ownerDraw_; }
  void setOwnerDraw(bool on) { ownerDraw_ = on; }
  TabStyle style() const { return style_; }
  void setStyle(TabStyle s) { style_ = s; }
  // 0: from the font.
  int tabHeight() const { return tabHeight_; }
  void setTabHeight(int h);
  int tabWidth() const { return tabWidth_; }
  void setTabWidth(int w) { tabWidth_ = w; }

  // Pages with a visible tab, in order.
  std::vector<TabSheet*> visibleTabs() const;
  // Where the tab is on the row as it is scrolled now: tabs scrolled away lie left of the row or
  // under the arrows. Empty for a bad index.
  Rect tabRect(int tabIndex) const;
  // True when the tab is drawn: from the first visible tab, those that end before the arrows (the
  // first visible one always, cut at the arrows when it alone is too wide).
  bool tabShown(int tabIndex) const;

  // The tabs are wider than the control, so the row scrolls.
  bool tabsOverflow() const;
  int firstVisibleTab() const;
  // Shifts the first visible tab by one; false at the end.
  bool scrollTabsLeft();
  bool scrollTabsRight();
  bool canScrollTabsLeft() const;
  bool canScrollTabsRight() const;
  // The left or right arrow button; empty when the row does not overflow.
  Rect scrollArrowRect(bool right) const;
  // The part of the row the tabs are drawn in (left of the arrows).
  Rect tabRowRect() const;
  // Scrolls as little as needed for the tab to be shown.
  void scrollTabIntoView(int tabIndex);
  // Point in the control's own coordinates.
  TabHit tabHitTest(Point p) const;

  // Paints every visible tab at its tabRect() on canvas(): through onDrawTab when owner-drawn, else
  // plainly. A display paints only the shown ones, through drawTab.
  void drawTabs();
  void drawTab(int tabIndex);
  Canvas& canvas();

  NotifyEvent onChange;
  TabChangingEvent onChanging;
  DrawTabEvent onDrawTab;

  // Every page, shown or not, fills the page area: a window lays out a hidden page by its size.
  void realign() override;

 protected:
  Rect alignRect() const override;
  void childChanged(Control& child, Change what) override;

 private:
  struct TabLayout {
    std::vector<Rect> rects;  // scrolled
    int first = 0;
    int maxFirst = 0;
    bool overflow = false;
    int rowRight = 0;  // where the shown tabs must end
  };
  int rowHeight() const;
  Rect arrowRect(bool right) const;
  TabLayout layoutTabs() const;
  std::vector<TabSheet*> pages_;
  TabSheet* active_ = nullptr;
  bool ownerDraw_ = false;
  TabStyle style_ = TabStyle::Tabs;
  int tabHeight_ = 0;
  int tabWidth_ = 0;
  // Wanted first visible tab; the layout limits it to what the row allows now.
  int firstTab_ = 0;
  Canvas canvas_;
};

}  // namespace ui
