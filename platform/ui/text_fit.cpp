#include "platform/ui/text_fit.h"

#include <algorithm>
#include <optional>

#include "platform/ui/backend.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "platform/ui/text_layout.h"

namespace ui {

namespace {

// Room the display's painter leaves around text (platform/ui/fltk/paint.cpp draws with these).
constexpr int kButtonEdge = 2;     // raised or sunken edge of buttons and edits
constexpr int kPanelMargin = 2;    // panel caption inset inside the bevels, each side
constexpr int kCheckBoxRoom = 17;  // box and gap left of a check box's caption
constexpr int kComboButton = 17;
constexpr int kSpinButtons = 15;
constexpr int kGroupFrame = 2;        // a group box's frame, each side
constexpr int kGroupCaptionLeft = 8;  // where a group box's caption starts
constexpr int kTabTextInset = 2;      // owner-drawn tab captions are drawn 2 pixels in
constexpr int kListItemInset = 2;     // list box lines are drawn 2 pixels in from each side

struct Checker {
  Form& form;
  std::vector<ClippedText> found;

  std::string windowName() const { return form.caption().empty() ? form.name() : form.caption(); }

  static std::string path(const Control& c) {
    std::string p = c.name().empty() ? std::string(c.kind()) : c.name();
    for (const Control* a = c.parent(); a && a->parent(); a = a->parent())
      p = (a->name().empty() ? std::string(a->kind()) : a->name()) + "/" + p;
    return p;
  }

  void report(const Control& c, const std::string& text, Size needed, Size room) {
    found.push_back({windowName(), path(c), c.kind(), text, needed, room, {}, {}, false});
  }

  // One line of text in a room of width x height.
  void line(const Control& c, const std::string& text, int width, int height) {
    if (text.empty()) return;
    const std::string shown = stripHotkey(text);
    const Size need = backend().textExtent(c.font(), shown);
    if (need.width > width || need.height > height) report(c, shown, need, {width, height});
  }

  // Where the text is drawn in its parent must lie inside the parent's client area (inside a group
  // box's frame). textLeft: the text's left edge in the control; its height is taken centred.
  // need: the text's extent when it is not one line.
  void insideParent(const Control& c, const std::string& text, int textLeft,
                    std::optional<Size> extent = {}) {
    const WinControl* p = c.parent();
    if (!p || text.empty()) return;
    const std::string shown = stripHotkey(text);
    const Size need = extent ? *extent : backend().textExtent(c.font(), shown);
    const int frame = dynamic_cast<const GroupBox*>(p) ? kGroupFrame : 0;
    const int right = p->width() - frame;
    const int bottom = p->height() - frame;
    const int left = c.left() + textLeft;
    const int top = c.top() + std::max(0, (c.height() - need.height) / 2);
    if (left + need.width > right || top + need.height > bottom || left < frame) {
      report(c, shown, {left + need.width, top + need.height}, {right, bottom});
    }
  }
  // The left edge of text drawn centred in a control of width w.
  int centred(const Control& c, const std::string& text) const {
    return (c.width() - backend().textExtent(c.font(), stripHotkey(text)).width) / 2;
  }

  void check(Control& c) {
    const std::string& text = c.caption();
    const int w = c.width();
    const int h = c.height();
    if (auto* l = dynamic_cast<Label*>(&c)) {
      if (l->wordWrap()) {
        const Size need = wrappedTextExtent(c.font(), text, w);
        if (!text.empty() && need.height > h) report(c, text, need, {w, h});
        insideParent(c, text, 0, need);
        return;
      } else {
        line(c, text, w, h);
      }
      const int tw = backend().textExtent(c.font(), stripHotkey(text)).width;
      insideParent(c, text,
                   l->alignment() == Alignment::Left    ? 0
                   : l->alignment() == Alignment::Right ? w - tw
                                                        : (w - tw) / 2);
    } else if (auto* p = dynamic_cast<Panel*>(&c)) {
      const int bevels = ((p->bevelOuter() != BevelCut::None) + (p->bevelInner() != BevelCut::None)) *
                         std::max(1, p->bevelWidth());
      line(c, text, w - 2 * bevels - 2 * kPanelMargin, h - 2 * bevels);
      insideParent(c, text, p->alignment() == Alignment::Center ? centred(c, text) : bevels + kPanelMargin);
    } else if (dynamic_cast<SpeedButton*>(&c) || dynamic_cast<Button*>(&c)) {
      line(c, text, w - 2 * kButtonEdge, h - 2 * kButtonEdge);
      insideParent(c, text, centred(c, text));
    } else if (auto* box = dynamic_cast<CheckBox*>(&c); box && box->pushLike()) {
      // A toggle button: its caption on its face, as a button's.
      line(c, text, w - 2 * kButtonEdge, h - 2 * kButtonEdge);
      insideParent(c, text, centred(c, text));
    } else if (dynamic_cast<CheckBox*>(&c)) {
      checkRows(c, text, w - kCheckBoxRoom, h, kCheckBoxRoom);
    } else if (auto* lb = dynamic_cast<ListBox*>(&c)) {
      const int room = w - 2 * ListBox::kBorder - (lb->scrollBarShown() ? ListBox::kScrollBarWidth : 0) -
                       2 * kListItemInset;
      for (int i = 0; i < lb->items().count(); ++i) line(c, lb->items()[i], room, lb->itemHeight());
    } else if (auto* cb = dynamic_cast<ComboBox*>(&c)) {
      const int room = w - 2 * kButtonEdge - kComboButton - 2 * kButtonEdge;
      line(c, text, room, h);
      for (int i = 0; i < cb->items().count(); ++i) line(c, cb->items()[i], room, h);
      insideParent(c, text.empty() && cb->items().count() > 0 ? cb->items()[0] : text, 2 * kButtonEdge);
    } else if (dynamic_cast<Edit*>(&c)) {
      const int spin = dynamic_cast<SpinEdit*>(&c) ? kSpinButtons : 0;
      line(c, text, w - 3 * kButtonEdge - spin, h);
      insideParent(c, text, kButtonEdge + 1);
    } else if (dynamic_cast<GroupBox*>(&c)) {
      line(c, text, w - kGroupCaptionLeft - 2 * kGroupFrame, h);
    } else if (dynamic_cast<ToolButton*>(&c)) {
      line(c, text, w, h);
    } else if (auto* pc = dynamic_cast<PageControl*>(&c)) {
      checkTabs(*pc);
    } else if (auto* re = dynamic_cast<RichEdit*>(&c)) {
      checkRichEdit(*re);
    }
  }

  // A caption whose line breaks start rows (a check box's): every row must fit the width, all of them the
  // height, and the whole must lie inside the parent.
  void checkRows(const Control& c, const std::string& text, int width, int height, int textLeft) {
    if (text.empty()) return;
    Size need{0, 0};
    for (const std::string& row : Strings::splitLines(lineBreaksAsLineFeeds(stripHotkey(text)))) {
      const Size s = backend().textExtent(c.font(), row);
      need.width = std::max(need.width, s.width);
      need.height += s.height;
    }
    if (need.width > width || need.height > height) report(c, text, need, {width, height});
    insideParent(c, text, textLeft, need);
  }

  // A rich edit's rows must fit its width unless it scrolls sideways, and its height unless it scrolls
  // up and down.
  void checkRichEdit(RichEdit& re) {
    const ScrollStyle bars = re.scrollBars();
    const bool hbar = bars == ScrollStyle::Horizontal || bars == ScrollStyle::Both;
    const bool vbar = bars == ScrollStyle::Vertical || bars == ScrollStyle::Both;
    const auto rows = re.rows();
    if (!hbar || re.wordWrap()) {
      for (const auto& [row, line] : rows) {
        (void)line;
        const Size need = backend().textExtent(re.font(), row);
        if (need.width > re.textWidth() + 2) report(re, row, need, {re.textWidth() + 2, re.height()});
      }
    }
    if (!vbar && re.heightForText() > re.height() && !rows.empty()) {
      report(re, rows.back().first, {re.width(), re.heightForText()}, {re.width(), re.height()});
    }
  }

  void checkTabs(PageControl& pc) {
    const std::vector<TabSheet*> tabs = pc.visibleTabs();
    if (pc.tabsOverflow()) {
      std::string all;
      for (TabSheet* t : tabs) all += (all.empty() ? "" : " | ") + t->caption();
      const Rect last = tabs.empty() ? Rect{} : pc.tabRect(static_cast<int>(tabs.size()) - 1);
      report(pc, all, {last.right - pc.tabRect(0).left, last.height()}, {pc.width(), last.height()});
      return;
    }
    for (size_t i = 0; i < tabs.size(); ++i) {
      const Rect r = pc.tabRect(static_cast<int>(i));
      line(*tabs[i], tabs[i]->caption(), r.width() - 2 * kTabTextInset, r.height() - kTabTextInset);
    }
  }

  // Where a label draws its text in its parent: its rows from the top, aligned, clipped to its bounds.
  static Rect drawnText(const Label& l) {
    const std::string shown = stripHotkey(l.caption());
    const Size need =
        l.wordWrap() ? wrappedTextExtent(l.font(), shown, l.width()) : backend().textExtent(l.font(), shown);
    const int w = std::min(need.width, l.width());
    const int offset = l.alignment() == Alignment::Left    ? 0
                       : l.alignment() == Alignment::Right ? l.width() - w
                                                           : (l.width() - w) / 2;
    const int left = l.left() + offset;
    return {left, l.top(), left + w, l.top() + std::min(need.height, l.height())};
  }

  static bool intersect(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  }

  // Shown labels of one parent whose drawn texts cover each other (each pair once), and label texts that
  // a shown control of the same parent is painted over: a later control without a window of its own, or
  // any windowed one (the display paints those last).
  void overlappingLabels(const WinControl& parent) {
    struct Text {
      const Label* label;
      Rect rect;
      size_t index;  // in the parent's controls
    };
    std::vector<Text> texts;
    const std::vector<Control*>& children = parent.controls();
    for (size_t k = 0; k < children.size(); ++k) {
      const auto* l = dynamic_cast<const Label*>(children[k]);
      if (l == nullptr || !l->visible() || stripHotkey(l->caption()).empty()) continue;
      const Rect r = drawnText(*l);
      if (r.width() > 0 && r.height() > 0) texts.push_back({l, r, k});
    }
    auto overlap = [&](const Text& t, const Control& other, std::string otherText, bool under) {
      const Rect& a = t.rect;
      found.push_back({windowName(),
                       path(*t.label),
                       t.label->kind(),
                       stripHotkey(t.label->caption()),
                       {a.width(), a.height()},
                       {a.width(), a.height()},
                       path(other),
                       std::move(otherText),
                       under});
    };
    for (size_t i = 0; i < texts.size(); ++i) {
      for (size_t j = i + 1; j < texts.size(); ++j) {
        if (intersect(texts[i].rect, texts[j].rect))
          overlap(texts[i], *texts[j].label, stripHotkey(texts[j].label->caption()), false);
      }
      for (size_t k = 0; k < children.size(); ++k) {
        const Control& c = *children[k];
        if (!c.visible() || dynamic_cast<const Label*>(&c) || (!c.isWindowed() && k < texts[i].index))
          continue;
        if (intersect(texts[i].rect, {c.left(), c.top(), c.left() + c.width(), c.top() + c.height()}))
          overlap(texts[i], c, std::string(), true);
      }
    }
  }

  // Checks the shown controls; page controls met on the way are collected.
  void walk(Control& c, bool root, std::vector<PageControl*>& pageControls) {
    if (!root && !c.visible()) return;
    if (!root) check(c);
    if (auto* pc = dynamic_cast<PageControl*>(&c)) pageControls.push_back(pc);
    if (auto* w = dynamic_cast<WinControl*>(&c)) {
      for (Control* child : w->controls()) walk(*child, false, pageControls);
      overlappingLabels(*w);
    }
  }

  void add(const ClippedText& t) {
    for (const ClippedText& f : found) {
      if (f.control == t.control && f.text == t.text && f.overlapped == t.overlapped && f.under == t.under)
        return;
    }
    found.push_back(t);
  }

  // The window as it shows now: its shown controls checked (the page controls met on the way collected),
  // and drawn whole by the display, so that a page it cannot draw shows too.
  void checkShown(std::vector<PageControl*>& pageControls, std::vector<ClippedText>& all) {
    found.clear();
    walk(form, true, pageControls);
    for (const ClippedText& t : found) all.push_back(t);
    backend().paintOffscreen(form);
  }

  static bool inside(const Control& c, const Control& page) {
    for (const Control* a = c.parent(); a; a = a->parent()) {
      if (a == &page) return true;
    }
    return false;
  }

  // Every other page of each page control, each shown in turn (silently) with the page controls on it
  // checked the same way, then the page shown before.
  void checkOtherPages(const std::vector<PageControl*>& pageControls, std::vector<ClippedText>& all) {
    for (PageControl* pc : pageControls) {
      Ref<TabSheet> before(pc->activePage());
      for (TabSheet* page : pc->visibleTabs()) {
        if (page == before.get()) continue;
        pc->setActivePage(page);
        std::vector<PageControl*> shown;
        checkShown(shown, all);
        std::vector<PageControl*> onPage;
        for (PageControl* inner : shown) {
          if (inside(*inner, *page)) onPage.push_back(inner);
        }
        checkOtherPages(onPage, all);
      }
      if (before) pc->setActivePage(before);
    }
  }

  // Every page of every page control (pages inside pages too), then the pages shown before.
  void checkEveryPage() {
    std::vector<PageControl*> pageControls;
    std::vector<ClippedText> all;
    checkShown(pageControls, all);
    checkOtherPages(pageControls, all);
    found.clear();
    for (const ClippedText& t : all) add(t);
  }
};

}  // namespace

std::string ClippedText::describe() const {
  if (under) {
    return "window \"" + window + "\": control \"" + control + "\" (" + kind + ") draws \"" + text +
           "\" under control \"" + overlapped + "\"";
  }
  if (!overlapped.empty()) {
    return "window \"" + window + "\": control \"" + control + "\" (" + kind + ") draws \"" + text +
           "\" over \"" + overlappedText + "\" of control \"" + overlapped + "\"";
  }
  return "window \"" + window + "\": control \"" + control + "\" (" + kind + ") cuts \"" + text +
         "\" (needs " + std::to_string(needed.width) + "x" + std::to_string(needed.height) + ", has " +
         std::to_string(room.width) + "x" + std::to_string(room.height) + ")";
}

std::vector<ClippedText> findClippedText(Form& form) {
  Checker checker{form, {}};
  checker.checkEveryPage();
  return checker.found;
}

std::string clippedTextReport(Form& form) {
  const std::vector<ClippedText> found = findClippedText(form);
  return found.empty() ? std::string() : found.front().describe();
}

}  // namespace ui
