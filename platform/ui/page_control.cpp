#include "platform/ui/page_control.h"

#include <algorithm>

#include "platform/ui/backend.h"

namespace ui {

namespace {
// The row starts this far in from the control's left and top edge.
constexpr int kRowInset = 2;
// Space between the last shown tab and the arrows.
constexpr int kArrowGap = 2;
}  // namespace

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
  if (p) {
    auto tabs = visibleTabs();
    auto it = std::find(tabs.begin(), tabs.end(), p);
    if (it != tabs.end()) scrollTabIntoView(static_cast<int>(it - tabs.begin()));
  }
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
  if (p == active_) {
    setActivePage(p);  // brings its tab into view
    return true;
  }
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

PageControl::TabLayout PageControl::layoutTabs() const {
  TabLayout l;
  auto tabs = visibleTabs();
  int n = static_cast<int>(tabs.size());
  if (n == 0) return l;
  int gap = style_ == TabStyle::Tabs ? 0 : 3;
  int h = rowHeight();
  std::vector<int> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
  int x = kRowInset;
  for (size_t i = 0; i < tabs.size(); ++i) {
    int w = tabWidth_ > 0 ? tabWidth_ : backend().textExtent(font(), tabs[i]->caption()).width + 12;
    left[i] = x;
    right[i] = x + w;
    x += w + gap;
  }
  l.overflow = right.back() > width() - kRowInset;
  l.rowRight = l.overflow ? arrowRect(false).left - kArrowGap : width() - kRowInset;
  l.rowRight = std::max(l.rowRight, kRowInset + 1);
  if (l.overflow) {
    // The last first tab from which the rest of the row fits before the arrows.
    while (l.maxFirst < n - 1 &&
           right.back() - left[static_cast<size_t>(l.maxFirst)] > l.rowRight - kRowInset)
      ++l.maxFirst;
    l.first = std::clamp(firstTab_, 0, l.maxFirst);
  }
  int shift = left[static_cast<size_t>(l.first)] - kRowInset;
  for (size_t i = 0; i < tabs.size(); ++i)
    l.rects.push_back({left[i] - shift, kRowInset, right[i] - shift, kRowInset + h});
  return l;
}

Rect PageControl::tabRect(int tabIndex) const {
  TabLayout l = layoutTabs();
  if (tabIndex < 0 || tabIndex >= static_cast<int>(l.rects.size())) return {};
  return l.rects[static_cast<size_t>(tabIndex)];
}

bool PageControl::tabShown(int tabIndex) const {
  TabLayout l = layoutTabs();
  if (tabIndex < l.first || tabIndex >= static_cast<int>(l.rects.size())) return false;
  return tabIndex == l.first || l.rects[static_cast<size_t>(tabIndex)].right <= l.rowRight;
}

bool PageControl::tabsOverflow() const {
  return layoutTabs().overflow;
}

int PageControl::firstVisibleTab() const {
  return layoutTabs().first;
}

bool PageControl::canScrollTabsLeft() const {
  return layoutTabs().first > 0;
}

bool PageControl::canScrollTabsRight() const {
  TabLayout l = layoutTabs();
  return l.first < l.maxFirst;
}

bool PageControl::scrollTabsLeft() {
  TabLayout l = layoutTabs();
  if (l.first <= 0) return false;
  firstTab_ = l.first - 1;
  invalidate();
  return true;
}

bool PageControl::scrollTabsRight() {
  TabLayout l = layoutTabs();
  if (l.first >= l.maxFirst) return false;
  firstTab_ = l.first + 1;
  invalidate();
  return true;
}

Rect PageControl::arrowRect(bool right) const {
  int h = rowHeight();
  int w = std::max(12, h * 3 / 4);
  int x = width() - kRowInset - 2 * w;
  return boundsToRect(right ? x + w : x, kRowInset, w, h);
}

Rect PageControl::scrollArrowRect(bool right) const {
  return layoutTabs().overflow ? arrowRect(right) : Rect{};
}

Rect PageControl::tabRowRect() const {
  return {0, 0, layoutTabs().rowRight, kRowInset + rowHeight()};
}

void PageControl::scrollTabIntoView(int tabIndex) {
  TabLayout l = layoutTabs();
  if (!l.overflow || tabIndex < 0 || tabIndex >= static_cast<int>(l.rects.size())) return;
  int first = l.first;
  if (tabIndex < first) {
    first = tabIndex;
  } else {
    const Rect& target = l.rects[static_cast<size_t>(tabIndex)];
    while (first < tabIndex &&
           target.right - l.rects[static_cast<size_t>(first)].left > l.rowRight - kRowInset)
      ++first;
  }
  if (first == l.first) return;
  firstTab_ = first;
  invalidate();
}

TabHit PageControl::tabHitTest(Point p) const {
  TabLayout l = layoutTabs();
  TabHit hit;
  if (l.overflow) {
    if (arrowRect(false).contains(p)) {
      hit.kind = TabHit::Kind::ScrollLeft;
      return hit;
    }
    if (arrowRect(true).contains(p)) {
      hit.kind = TabHit::Kind::ScrollRight;
      return hit;
    }
  }
  for (int i = l.first; i < static_cast<int>(l.rects.size()); ++i) {
    Rect r = l.rects[static_cast<size_t>(i)];
    if (i != l.first && r.right > l.rowRight) break;
    r.right = std::min(r.right, l.rowRight);
    if (r.contains(p)) {
      hit.kind = TabHit::Kind::Tab;
      hit.tabIndex = i;
      return hit;
    }
  }
  return hit;
}

void PageControl::drawTabs() {
  for (int i = 0; i < static_cast<int>(visibleTabs().size()); ++i) drawTab(i);
}

void PageControl::drawTab(int tabIndex) {
  auto tabs = visibleTabs();
  if (tabIndex < 0 || tabIndex >= static_cast<int>(tabs.size())) return;
  Rect r = tabRect(tabIndex);
  TabSheet* sheet = tabs[static_cast<size_t>(tabIndex)];
  bool isActive = sheet == active_;
  if (ownerDraw_ && onDrawTab) {
    onDrawTab(this, tabIndex, r, isActive);
  } else {
    Canvas& c = canvas();
    c.brush.color = color();
    c.brush.style = BrushStyle::Solid;
    c.fillRect(r);
    c.brush.style = BrushStyle::Clear;
    c.textOut(r.left + 6, r.top + 3, sheet->caption());
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

void PageControl::realign() {
  WinControl::realign();
  const Rect area = alignRect();
  for (TabSheet* s : pages_) {
    if (!s->visible()) s->setBounds(area.left, area.top, area.width(), area.height());
  }
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
