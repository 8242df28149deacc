#include "platform/ui/page_control.h"

#include <algorithm>

#include "platform/ui/backend.h"

namespace ui {

TabSheet::TabSheet(Component* owner) : WinControl(owner) {
  setVisible(false);
}

PageControl* TabSheet::pageControl() const {
  return dynamic_cast<PageControl*>(parent());
}

void TabSheet::setPageControl(PageControl* pc) {
  setParent(pc);
}

void TabSheet::setTabVisible(bool on) {
  tabVisible_ = on;
  invalidate();
}

int TabSheet::pageIndex() const {
  PageControl* pc = pageControl();
  if (!pc) return -1;
  for (int i = 0; i < pc->pageCount(); ++i) {
    if (pc->page(i) == this) return i;
  }
  return -1;
}

PageControl::PageControl(Component* owner) : WinControl(owner) {
  setTabStop(true);
  setBounds(0, 0, 289, 193);
}

TabSheet* PageControl::page(int i) const {
  if (i < 0 || i >= pageCount()) return nullptr;
  return pages_[static_cast<size_t>(i)];
}

void PageControl::setActivePage(TabSheet* p) {
  if (p && std::find(pages_.begin(), pages_.end(), p) == pages_.end()) return;
  if (p == active_) return;
  active_ = p;
  for (TabSheet* s : pages_) s->setVisible(s == active_);
  realign();
  invalidate();
}

int PageControl::activePageIndex() const {
  return active_ ? active_->pageIndex() : -1;
}

bool PageControl::selectPage(TabSheet* p) {
  auto tabs = visibleTabs();
  if (!p || std::find(tabs.begin(), tabs.end(), p) == tabs.end()) return false;
  if (p == active_) return true;
  Ref<PageControl> self(this);
  bool allow = true;
  if (onChanging) onChanging(this, allow);
  if (!self || !allow) return false;
  setActivePage(p);
  fireNotify(onChange);
  return true;
}

void PageControl::setTabHeight(int h) {
  tabHeight_ = h;
  realign();
}

std::vector<TabSheet*> PageControl::visibleTabs() const {
  std::vector<TabSheet*> out;
  for (TabSheet* s : pages_) {
    if (s->tabVisible()) out.push_back(s);
  }
  return out;
}

int PageControl::rowHeight() const {
  if (tabHeight_ > 0) return tabHeight_;
  return backend().textExtent(font(), "Xg").height + 6;
}

Rect PageControl::tabRect(int tabIndex) const {
  auto tabs = visibleTabs();
  if (tabIndex < 0 || tabIndex >= static_cast<int>(tabs.size())) return {};
  int gap = style_ == TabStyle::Tabs ? 0 : 3;
  int x = 2;
  for (int i = 0; i <= tabIndex; ++i) {
    int w = tabWidth_ > 0 ? tabWidth_
                          : backend().textExtent(font(), tabs[static_cast<size_t>(i)]->caption()).width + 12;
    if (i == tabIndex) return boundsToRect(x, 2, w, rowHeight());
    x += w + gap;
  }
  return {};
}

void PageControl::drawTabs() {
  Canvas& c = canvas();
  auto tabs = visibleTabs();
  for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
    Rect r = tabRect(i);
    bool isActive = tabs[static_cast<size_t>(i)] == active_;
    if (ownerDraw_ && onDrawTab) {
      onDrawTab(this, i, r, isActive);
    } else {
      c.brush.color = color();
      c.brush.style = BrushStyle::Solid;
      c.fillRect(r);
      c.brush.style = BrushStyle::Clear;
      c.textOut(r.left + 6, r.top + 3, tabs[static_cast<size_t>(i)]->caption());
    }
  }
}

Canvas& PageControl::canvas() {
  canvas_.font = font();
  return canvas_;
}

std::string PageControl::dumpDetails() const {
  return "active " +
         (active_ ? (active_->name().empty() ? std::string("-") : active_->name()) : std::string("none"));
}

Rect PageControl::alignRect() const {
  Rect r = clientRect();
  r.left += 4;
  r.right -= 4;
  r.top += rowHeight() + 4;
  r.bottom -= 4;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void PageControl::childChanged(Control& child, Change what) {
  if (what == Change::Parent) {
    // Compare addresses: a sheet being destroyed no longer has its own type.
    auto it = std::find_if(pages_.begin(), pages_.end(),
                           [&child](TabSheet* p) { return static_cast<Control*>(p) == &child; });
    bool isChild = std::find(controls().begin(), controls().end(), &child) != controls().end();
    if (isChild && it == pages_.end()) {
      if (auto* sheet = dynamic_cast<TabSheet*>(&child)) {
        pages_.push_back(sheet);
        sheet->setAlign(Align::Client);
        if (!active_) {
          setActivePage(sheet);
        } else {
          sheet->setVisible(false);
        }
      }
    } else if (!isChild && it != pages_.end()) {
      size_t index = static_cast<size_t>(it - pages_.begin());
      bool wasActive = active_ == *it;
      pages_.erase(it);
      if (wasActive) {
        active_ = nullptr;
        TabSheet* next = nullptr;
        if (!pages_.empty()) next = pages_[std::min(index, pages_.size() - 1)];
        setActivePage(next);
      }
    }
  }
  WinControl::childChanged(child, what);
}

}  // namespace ui
