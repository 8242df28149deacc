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

// Only the active page is shown. Freeing the active page makes the page after it (or else the one
// before it) active, without events.
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
  Rect tabRect(int tabIndex) const;
  // Paints every visible tab on canvas(): through onDrawTab when owner-drawn, else plainly.
  void drawTabs();
  Canvas& canvas();

  NotifyEvent onChange;
  TabChangingEvent onChanging;
  DrawTabEvent onDrawTab;

 protected:
  Rect alignRect() const override;
  void childChanged(Control& child, Change what) override;

 private:
  int rowHeight() const;
  std::vector<TabSheet*> pages_;
  TabSheet* active_ = nullptr;
  bool ownerDraw_ = false;
  TabStyle style_ = TabStyle::Tabs;
  int tabHeight_ = 0;
  int tabWidth_ = 0;
  Canvas canvas_;
};

}  // namespace ui
