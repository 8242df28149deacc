#include "platform/ui/fltk/paint.h"

#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "platform/ui/control.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/xopen.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "platform/ui/screen.h"
#include "platform/ui/up_down.h"

namespace ui::fltk {

namespace {

constexpr Color kDarkShadow = 0x404040;
constexpr int kSpinButtonWidth = 15;
constexpr int kComboButtonWidth = 17;

void setColor(Color c) {
  fl_color(toolkitColor(c));
}

void fill(int x, int y, int w, int h, Color c) {
  if (w <= 0 || h <= 0) return;
  setColor(c);
  fl_rectf(x, y, w, h);
}

// One pixel frame: top and left in tl, bottom and right in br.
void frame(int x, int y, int w, int h, Color tl, Color br) {
  if (w <= 0 || h <= 0) return;
  setColor(tl);
  fl_xyline(x, y, x + w - 1);
  fl_yxline(x, y, y + h - 1);
  setColor(br);
  fl_xyline(x, y + h - 1, x + w - 1);
  fl_yxline(x + w - 1, y, y + h - 1);
}

void bevel(Rect& r, BevelCut cut, int width) {
  if (cut == BevelCut::None) return;
  Color tl = clBtnHighlight;
  Color br = clBtnShadow;
  if (cut == BevelCut::Lowered) std::swap(tl, br);
  if (cut == BevelCut::Space) tl = br = clBtnFace;
  for (int i = 0; i < std::max(1, width); ++i) {
    frame(r.left, r.top, r.width(), r.height(), tl, br);
    r = r.inflate(-1, -1);
  }
}

// The two-pixel edges of push buttons (raised) and of edit fields (sunken).
void raisedEdge(int x, int y, int w, int h) {
  frame(x, y, w, h, clBtnHighlight, kDarkShadow);
  frame(x + 1, y + 1, w - 2, h - 2, clBtnFace, clBtnShadow);
}

void sunkenEdge(int x, int y, int w, int h) {
  frame(x, y, w, h, clBtnShadow, clBtnHighlight);
  frame(x + 1, y + 1, w - 2, h - 2, kDarkShadow, clBtnFace);
}

// Greyed when the control or a parent inside its form is disabled; a form disabled by a modal window
// keeps its look.
bool looksEnabled(const Control& c) {
  for (const Control* a = &c; a && a->parent(); a = a->parent()) {
    if (!a->enabled()) return false;
  }
  return true;
}

// Controls follow their parent's colour until they are given one of their own.
bool ownBackground(const Control& c) {
  return c.color() != clBtnFace;
}

// A disabled edit or list is greyed unless the program gave it a colour of its own for that state (a
// read-only "Auto" box, a list greyed by its window).
Color editFill(const Control& c) {
  return looksEnabled(c) || c.color() != clWindow ? c.color() : clBtnFace;
}

void drawText(const std::string& text, int x, int y, int w, int h, Fl_Align align, const Font& f, Color color,
              bool enabled = true) {
  if (text.empty()) return;
  useFont(f);
  std::string shown = stripHotkey(text);
  if (!enabled) {
    setColor(clBtnHighlight);
    fl_draw(shown.c_str(), x + 1, y + 1, w, h, align, nullptr, 0);
    color = clGrayText;
  }
  setColor(color);
  fl_draw(shown.c_str(), x, y, w, h, align, nullptr, 0);
}

Fl_Align horizontal(Alignment a) {
  switch (a) {
    case Alignment::Left:
      return FL_ALIGN_LEFT;
    case Alignment::Right:
      return FL_ALIGN_RIGHT;
    case Alignment::Center:
      return FL_ALIGN_CENTER;
  }
  return FL_ALIGN_CENTER;
}

void focusRect(int x, int y, int w, int h) {
  setColor(clBlack);
  fl_line_style(FL_DOT);
  fl_rect(x, y, w, h);
  fl_line_style(0);
}

void arrow(int cx, int cy, bool up, Color c) {
  setColor(c);
  for (int i = 0; i < 4; ++i) {
    int y = up ? cy - 2 + i : cy + 1 - i;
    fl_xyline(cx - i, y, cx + i);
  }
}

void sideArrow(int cx, int cy, bool right, Color c) {
  setColor(c);
  for (int i = 0; i < 4; ++i) {
    int x = right ? cx + 1 - i : cx - 2 + i;
    fl_yxline(x, cy - i, cy + i);
  }
}

// A panel's caption keeps its colour when the panel is disabled (panels are disabled to let presses
// through to what lies under them).
void paintPanel(Panel& p, int x, int y) {
  int w = p.width();
  int h = p.height();
  fill(x, y, w, h, p.color());
  Rect r = boundsToRect(x, y, w, h);
  bevel(r, p.bevelOuter(), p.bevelWidth());
  bevel(r, p.bevelInner(), p.bevelWidth());
  drawText(p.caption(), r.left + 2, r.top, r.width() - 4, r.height(),
           horizontal(p.alignment()) | FL_ALIGN_CLIP, p.font(), p.font().color);
}

void paintLabel(Label& l, int x, int y) {
  if (!l.transparent() && ownBackground(l)) fill(x, y, l.width(), l.height(), l.color());
  Fl_Align a = horizontal(l.alignment()) | FL_ALIGN_TOP | FL_ALIGN_CLIP;
  if (l.wordWrap()) a |= FL_ALIGN_WRAP;
  drawText(l.caption(), x, y, l.width(), l.height(), a, l.font(), l.font().color, looksEnabled(l));
}

void paintSpeedButton(SpeedButton& b, int x, int y, const PaintContext& ctx) {
  int w = b.width();
  int h = b.height();
  bool down = b.pressed();
  if (b.flat()) {
    if (down) {
      frame(x, y, w, h, clBtnShadow, clBtnHighlight);
    } else if (ctx.hovered == &b && looksEnabled(b)) {
      frame(x, y, w, h, clBtnHighlight, clBtnShadow);
    }
  } else {
    fill(x, y, w, h, b.color());
    if (down) {
      frame(x, y, w, h, kDarkShadow, clBtnHighlight);
      frame(x + 1, y + 1, w - 2, h - 2, clBtnShadow, clBtnFace);
    } else {
      raisedEdge(x, y, w, h);
    }
  }
  int shift = down ? 1 : 0;
  drawText(b.caption(), x + shift, y + shift, w, h, FL_ALIGN_CENTER | FL_ALIGN_CLIP, b.font(), b.font().color,
           looksEnabled(b));
}

void paintButton(Button& b, int x, int y) {
  int w = b.width();
  int h = b.height();
  bool down = screen().captureControl() == &b;
  fill(x, y, w, h, b.color());
  int inset = 0;
  if (b.isDefault() || b.focused()) {
    frame(x, y, w, h, clBlack, clBlack);
    inset = 1;
  }
  if (down) {
    frame(x + inset, y + inset, w - 2 * inset, h - 2 * inset, clBtnShadow, clBtnShadow);
  } else {
    raisedEdge(x + inset, y + inset, w - 2 * inset, h - 2 * inset);
  }
  int shift = down ? 1 : 0;
  drawText(b.caption(), x + shift, y + shift, w, h, FL_ALIGN_CENTER | FL_ALIGN_CLIP, b.font(), b.font().color,
           looksEnabled(b));
  if (b.focused()) focusRect(x + 4, y + 4, w - 8, h - 8);
}

// A push-like check box is a button that stays pressed while it is checked.
void paintToggleButton(CheckBox& c, int x, int y) {
  int w = c.width();
  int h = c.height();
  bool down = c.checked() || screen().captureControl() == &c;
  fill(x, y, w, h, c.color());
  if (down) {
    frame(x, y, w, h, kDarkShadow, clBtnHighlight);
    frame(x + 1, y + 1, w - 2, h - 2, clBtnShadow, clBtnFace);
  } else {
    raisedEdge(x, y, w, h);
  }
  int shift = down ? 1 : 0;
  drawText(c.caption(), x + shift, y + shift, w, h, FL_ALIGN_CENTER | FL_ALIGN_CLIP, c.font(), c.font().color,
           looksEnabled(c));
  if (c.focused()) focusRect(x + 4, y + 4, w - 8, h - 8);
}

void paintCheckBox(CheckBox& c, int x, int y) {
  if (c.pushLike()) return paintToggleButton(c, x, y);
  if (ownBackground(c)) fill(x, y, c.width(), c.height(), c.color());
  int box = 13;
  int by = y + (c.height() - box) / 2;
  fill(x + 2, by + 2, box - 4, box - 4, looksEnabled(c) ? clWindow : clBtnFace);
  sunkenEdge(x, by, box, box);
  if (c.checked()) {
    setColor(looksEnabled(c) ? clWindowText : clGrayText);
    for (int i = 0; i < 3; ++i) {
      fl_line(x + 3, by + 5 + i, x + 5, by + 7 + i);
      fl_line(x + 5, by + 7 + i, x + 9, by + 3 + i);
    }
  }
  // A caption with line breaks shows one row per line, centred as a whole beside the box.
  drawText(lineBreaksAsLineFeeds(c.caption()), x + box + 4, y, c.width() - box - 4, c.height(),
           FL_ALIGN_LEFT | FL_ALIGN_CLIP, c.font(), c.font().color, looksEnabled(c));
  if (c.focused()) focusRect(x + box + 2, y, c.width() - box - 2, c.height());
}

void paintGroupBox(GroupBox& g, int x, int y) {
  if (ownBackground(g)) fill(x, y, g.width(), g.height(), g.color());
  Size t = measureText(g.font(), stripHotkey(g.caption()));
  int top = y + t.height / 2;
  frame(x, top, g.width() - 1, g.height() - (top - y) - 1, clBtnShadow, clBtnShadow);
  frame(x + 1, top + 1, g.width() - 1, g.height() - (top - y) - 1, clBtnHighlight, clBtnHighlight);
  if (!g.caption().empty()) {
    Color bg = g.color();
    fill(x + 6, y, t.width + 4, t.height, bg);
    drawText(g.caption(), x + 8, y, t.width, t.height, FL_ALIGN_LEFT, g.font(), g.font().color,
             looksEnabled(g));
  }
}

void roundRect(int x, int y, int w, int h, int r, bool filled) {
  r = std::min({r, w / 2, h / 2});
  if (filled) {
    fl_rectf(x + r, y, w - 2 * r, h);
    fl_rectf(x, y + r, w, h - 2 * r);
    fl_pie(x, y, 2 * r, 2 * r, 90, 180);
    fl_pie(x + w - 2 * r, y, 2 * r, 2 * r, 0, 90);
    fl_pie(x, y + h - 2 * r, 2 * r, 2 * r, 180, 270);
    fl_pie(x + w - 2 * r, y + h - 2 * r, 2 * r, 2 * r, 270, 360);
  } else {
    fl_xyline(x + r, y, x + w - r - 1);
    fl_xyline(x + r, y + h - 1, x + w - r - 1);
    fl_yxline(x, y + r, y + h - r - 1);
    fl_yxline(x + w - 1, y + r, y + h - r - 1);
    fl_arc(x, y, 2 * r, 2 * r, 90, 180);
    fl_arc(x + w - 2 * r, y, 2 * r, 2 * r, 0, 90);
    fl_arc(x, y + h - 2 * r, 2 * r, 2 * r, 180, 270);
    fl_arc(x + w - 2 * r, y + h - 2 * r, 2 * r, 2 * r, 270, 360);
  }
}

void paintShape(Shape& s, int x, int y) {
  int w = s.width();
  int h = s.height();
  ShapeType t = s.shape();
  if (t == ShapeType::Square || t == ShapeType::RoundSquare || t == ShapeType::Circle) {
    int side = std::min(w, h);
    x += (w - side) / 2;
    y += (h - side) / 2;
    w = h = side;
  }
  bool round = t == ShapeType::RoundRect || t == ShapeType::RoundSquare;
  bool ellipse = t == ShapeType::Ellipse || t == ShapeType::Circle;
  int radius = std::min(w, h) / 4;
  setColor(s.brushColor());
  if (ellipse) {
    fl_pie(x, y, w, h, 0, 360);
  } else if (round) {
    roundRect(x, y, w, h, radius, true);
  } else {
    fl_rectf(x, y, w, h);
  }
  setColor(s.penColor());
  if (ellipse) {
    fl_arc(x, y, w, h, 0, 360);
  } else if (round) {
    roundRect(x, y, w, h, radius, false);
  } else {
    fl_rect(x, y, w, h);
  }
}

void paintProgressBar(ProgressBar& p, int x, int y) {
  int w = p.width();
  int h = p.height();
  fill(x, y, w, h, p.color());
  frame(x, y, w, h, clBtnShadow, clBtnHighlight);
  int range = p.max() - p.min();
  if (range <= 0) return;
  int inner = w - 4;
  int done = static_cast<int>(static_cast<long long>(inner) * (p.position() - p.min()) / range);
  if (p.smooth()) {
    fill(x + 2, y + 2, done, h - 4, clHighlight);
    return;
  }
  int block = std::max(2, (h - 4) * 2 / 3);
  for (int bx = 0; bx < done; bx += block + 2)
    fill(x + 2 + bx, y + 2, std::min(block, done - bx), h - 4, clHighlight);
}

void paintEdit(Edit& e, int x, int y) {
  int w = e.width();
  int h = e.height();
  bool spin = dynamic_cast<SpinEdit*>(&e) != nullptr;
  fill(x, y, w, h, editFill(e));
  sunkenEdge(x, y, w, h);
  int textW = w - 6 - (spin ? kSpinButtonWidth : 0);
  useFont(e.font());
  const std::string& t = e.caption();
  int tw = static_cast<int>(std::ceil(fl_width(t.c_str(), static_cast<int>(t.size()))));
  {
    ClipScope clip(x + 2, y + 2, textW + 2, h - 4);
    if (e.focused() && e.allSelected() && !t.empty()) {
      fill(x + 3, y + 3, std::min(tw + 1, textW), h - 6, clHighlight);
      drawText(t, x + 3, y, textW, h, FL_ALIGN_LEFT, e.font(), clHighlightText);
    } else {
      drawText(t, x + 3, y, textW, h, FL_ALIGN_LEFT, e.font(), e.font().color, looksEnabled(e));
    }
    if (e.focused() && !e.readOnly()) {
      setColor(clWindowText);
      int cx = x + 3 + std::min(tw, textW);
      fl_yxline(cx, y + 4, y + h - 5);
    }
  }
  if (spin) {
    int bx = x + w - 2 - kSpinButtonWidth;
    int half = (h - 4) / 2;
    fill(bx, y + 2, kSpinButtonWidth, h - 4, clBtnFace);
    raisedEdge(bx, y + 2, kSpinButtonWidth, half);
    raisedEdge(bx, y + 2 + half, kSpinButtonWidth, h - 4 - half);
    arrow(bx + kSpinButtonWidth / 2, y + 2 + half / 2, true, clBtnText);
    arrow(bx + kSpinButtonWidth / 2, y + 2 + half + (h - 4 - half) / 2, false, clBtnText);
  }
}

void paintComboBox(ComboBox& c, int x, int y) {
  int w = c.width();
  int h = c.height();
  fill(x, y, w, h, editFill(c));
  sunkenEdge(x, y, w, h);
  int textW = w - 6 - kComboButtonWidth;
  if (c.focused()) {
    fill(x + 3, y + 3, textW, h - 6, clHighlight);
    drawText(c.caption(), x + 4, y, textW - 2, h, FL_ALIGN_LEFT | FL_ALIGN_CLIP, c.font(), clHighlightText);
  } else {
    drawText(c.caption(), x + 4, y, textW - 2, h, FL_ALIGN_LEFT | FL_ALIGN_CLIP, c.font(), c.font().color,
             looksEnabled(c));
  }
  int bx = x + w - 2 - kComboButtonWidth;
  fill(bx, y + 2, kComboButtonWidth, h - 4, clBtnFace);
  raisedEdge(bx, y + 2, kComboButtonWidth, h - 4);
  arrow(bx + kComboButtonWidth / 2, y + h / 2, false, looksEnabled(c) ? clBtnText : clGrayText);
}

// A vertical scroll bar at bx, top, bh high, for `first` of `count` lines with `fit` shown.
void scrollBar(int bx, int top, int bh, int first, int count, int fit) {
  fill(bx, top, 16, bh, 0xE0E0E0);
  if (count > fit && bh > 8) {
    int thumb = std::max(8, bh * fit / count);
    int pos = (bh - thumb) * first / std::max(1, count - fit);
    fill(bx, top + pos, 16, thumb, clBtnFace);
    raisedEdge(bx, top + pos, 16, thumb);
  }
}

void paintRichEdit(RichEdit& r, int x, int y, const PaintContext& ctx) {
  int w = r.width();
  int h = r.height();
  fill(x, y, w, h, r.color());
  const int inset = r.textInset();
  if (r.border()) sunkenEdge(x, y, w, h);
  bool vbar = r.scrollBars() == ScrollStyle::Vertical || r.scrollBars() == ScrollStyle::Both;
  int textW = r.textWidth() + 2;
  struct Row {
    std::string text;
    Color color;
  };
  std::vector<Row> rows;
  for (auto& [text, line] : r.rows()) rows.push_back({std::move(text), r.lineColor(line)});
  useFont(r.font());
  int lineH = fl_height();
  int fit = std::max(1, (h - 2 * inset) / std::max(1, lineH));
  int count = static_cast<int>(rows.size());
  int back = ctx.scrollBack ? ctx.scrollBack(r) : 0;
  int first = std::clamp(count - fit - back, 0, std::max(0, count - fit));
  {
    ClipScope clip(x + inset, y + inset, textW, h - 2 * inset);
    // A one-line box's text selected on focus shows highlighted, as an edit's.
    const bool selected = r.focused() && r.allSelected() && count == 1 && !rows[0].text.empty();
    if (selected) {
      int tw = static_cast<int>(std::ceil(fl_width(rows[0].text.c_str())));
      fill(x + inset + 1, y + inset, std::min(tw + 1, textW - 2), lineH, clHighlight);
    }
    for (int i = first; i < count && i < first + fit + 1; ++i) {
      const Row& row = rows[static_cast<size_t>(i)];
      drawText(row.text, x + inset + 1, y + inset + (i - first) * lineH, textW - 2, lineH,
               FL_ALIGN_LEFT | FL_ALIGN_TOP, r.font(), selected ? clHighlightText : row.color);
    }
    if (r.focused() && !r.readOnly()) {
      int last = std::max(0, count - 1);
      int tw = count ? static_cast<int>(fl_width(rows[static_cast<size_t>(last)].text.c_str())) : 0;
      setColor(clWindowText);
      int ly = y + inset + (last - first) * lineH;
      fl_yxline(x + inset + 1 + tw, ly + 1, ly + lineH - 2);
    }
  }
  if (vbar) scrollBar(x + w - inset - 16, y + inset, h - 2 * inset, first, count, fit);
}

void paintListBox(ListBox& l, int x, int y) {
  int w = l.width();
  int h = l.height();
  bool enabled = looksEnabled(l);
  fill(x, y, w, h, enabled ? l.color() : clBtnFace);
  sunkenEdge(x, y, w, h);
  const int b = ListBox::kBorder;
  const bool bar = l.scrollBarShown();
  const int textW = w - 2 * b - (bar ? ListBox::kScrollBarWidth : 0);
  const int lineH = l.itemHeight();
  {
    ClipScope clip(x + b, y + b, textW, h - 2 * b);
    for (int i = l.topIndex(), row = 0; i < l.items().count() && row * lineH < h - 2 * b; ++i, ++row) {
      int ly = y + b + row * lineH;
      bool selected = i == l.itemIndex();
      if (selected) fill(x + b, ly, textW, lineH, enabled ? clHighlight : clBtnShadow);
      drawText(l.items()[i], x + b + 2, ly, textW - 4, lineH, FL_ALIGN_LEFT | FL_ALIGN_CLIP, l.font(),
               selected ? clHighlightText : l.font().color, enabled || selected);
      if (selected && l.focused()) focusRect(x + b, ly, textW, lineH);
    }
  }
  if (bar)
    scrollBar(x + w - b - ListBox::kScrollBarWidth, y + b, h - 2 * b, l.topIndex(), l.items().count(),
              l.visibleCount());
}

// Two arrow buttons side by side (horizontal: left lowers, right raises) or one above the other.
void paintUpDown(UpDown& u, int x, int y) {
  int w = u.width();
  int h = u.height();
  Color c = looksEnabled(u) ? clBtnText : clGrayText;
  fill(x, y, w, h, clBtnFace);
  if (u.orientation() == UpDownOrientation::Horizontal) {
    int half = w / 2;
    raisedEdge(x, y, half, h);
    raisedEdge(x + half, y, w - half, h);
    sideArrow(x + half / 2, y + h / 2, false, c);
    sideArrow(x + half + (w - half) / 2, y + h / 2, true, c);
  } else {
    int half = h / 2;
    raisedEdge(x, y, w, half);
    raisedEdge(x, y + half, w, h - half);
    arrow(x + w / 2, y + half / 2, true, c);
    arrow(x + w / 2, y + half + (h - half) / 2, false, c);
  }
}

void paintPageControl(PageControl& pc, int x, int y) {
  int w = pc.width();
  int h = pc.height();
  auto tabs = pc.visibleTabs();
  int rowBottom = 0;
  for (int i = 0; i < static_cast<int>(tabs.size()); ++i)
    rowBottom = std::max(rowBottom, pc.tabRect(i).bottom);
  if (tabs.empty()) rowBottom = 2;
  fill(x, y + rowBottom, w, h - rowBottom, pc.color());
  frame(x, y + rowBottom, w, h - rowBottom, clBtnHighlight, kDarkShadow);
  frame(x + 1, y + rowBottom + 1, w - 2, h - rowBottom - 2, clBtnFace, clBtnShadow);
  // Tabs scrolled away are not drawn; a first tab wider than the room is cut at the arrows.
  Rect row = pc.tabRowRect().offset(x, y);
  {
    ClipScope clip(row.left, row.top, row.width(), row.height() + 1);
    // The system draws each tab's edges; the program (owner draw) or the plain look fills it.
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
      if (!pc.tabShown(i)) continue;
      Rect r = pc.tabRect(i).offset(x, y);
      bool active = tabs[static_cast<size_t>(i)] == pc.activePage();
      Rect edge = active ? Rect{r.left - 2, r.top - 2, r.right + 2, r.bottom + 1} : r;
      fill(edge.left, edge.top, edge.width(), edge.height(), pc.color());
      setColor(clBtnHighlight);
      fl_xyline(edge.left, edge.top, edge.right - 2);
      fl_yxline(edge.left, edge.top, edge.bottom - 1);
      setColor(kDarkShadow);
      fl_yxline(edge.right - 1, edge.top + 1, edge.bottom - 1);
      setColor(clBtnShadow);
      fl_yxline(edge.right - 2, edge.top + 1, edge.bottom - 1);
    }
    Canvas& canvas = pc.canvas();
    canvas.clearOps();
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
      if (pc.tabShown(i)) pc.drawTab(i);
    }
    replayCanvas(canvas.ops(), x, y);
    canvas.clearOps();
    if (pc.focused() && pc.activePage()) {
      for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        if (tabs[static_cast<size_t>(i)] != pc.activePage() || !pc.tabShown(i)) continue;
        Rect r = pc.tabRect(i).offset(x, y).inflate(-2, -2);
        focusRect(r.left, r.top, r.width(), r.height());
      }
    }
  }
  if (pc.tabsOverflow()) {
    bool enabled = looksEnabled(pc);
    for (bool right : {false, true}) {
      Rect a = pc.scrollArrowRect(right).offset(x, y);
      fill(a.left, a.top, a.width(), a.height(), clBtnFace);
      raisedEdge(a.left, a.top, a.width(), a.height());
      bool can = right ? pc.canScrollTabsRight() : pc.canScrollTabsLeft();
      Color c = enabled && can ? clBtnText : clGrayText;
      sideArrow(a.left + a.width() / 2, a.top + a.height() / 2, right, c);
    }
  }
}

void paintToolButton(ToolButton& b, int x, int y, const PaintContext& ctx) {
  bool down = screen().captureControl() == &b;
  if (down) {
    frame(x, y, b.width(), b.height(), clBtnShadow, clBtnHighlight);
  } else if (ctx.hovered == &b && looksEnabled(b)) {
    frame(x, y, b.width(), b.height(), clBtnHighlight, clBtnShadow);
  }
  drawText(b.caption(), x, y, b.width(), b.height(), FL_ALIGN_CENTER | FL_ALIGN_CLIP, b.font(),
           b.font().color, looksEnabled(b));
}

void paintSelf(Control& c, int x, int y, const PaintContext& ctx) {
  if (auto* p = dynamic_cast<Panel*>(&c)) return paintPanel(*p, x, y);
  if (auto* l = dynamic_cast<Label*>(&c)) return paintLabel(*l, x, y);
  if (auto* b = dynamic_cast<SpeedButton*>(&c)) return paintSpeedButton(*b, x, y, ctx);
  if (auto* b = dynamic_cast<Button*>(&c)) return paintButton(*b, x, y);
  if (auto* b = dynamic_cast<CheckBox*>(&c)) return paintCheckBox(*b, x, y);
  if (auto* g = dynamic_cast<GroupBox*>(&c)) return paintGroupBox(*g, x, y);
  if (auto* s = dynamic_cast<Shape*>(&c)) return paintShape(*s, x, y);
  if (auto* i = dynamic_cast<Image*>(&c)) {
    drawBitmap(i->picture(), boundsToRect(x, y, i->width(), i->height()), i->stretch(), i->center(),
               i->transparent() || i->picture().transparent());
    return;
  }
  if (auto* p = dynamic_cast<ProgressBar*>(&c)) return paintProgressBar(*p, x, y);
  if (auto* e = dynamic_cast<Edit*>(&c)) return paintEdit(*e, x, y);
  if (auto* b = dynamic_cast<ComboBox*>(&c)) return paintComboBox(*b, x, y);
  if (auto* l = dynamic_cast<ListBox*>(&c)) return paintListBox(*l, x, y);
  if (auto* u = dynamic_cast<UpDown*>(&c)) return paintUpDown(*u, x, y);
  if (auto* r = dynamic_cast<RichEdit*>(&c)) return paintRichEdit(*r, x, y, ctx);
  if (auto* pc = dynamic_cast<PageControl*>(&c)) return paintPageControl(*pc, x, y);
  if (auto* b = dynamic_cast<ToolButton*>(&c)) return paintToolButton(*b, x, y, ctx);
  // Forms, tab sheets, tool bars and composite controls: their colour under their children.
  if (c.isWindowed()) fill(x, y, c.width(), c.height(), c.color());
}

// The clips of the open scopes, innermost last, each with the region the toolkit made of it.
struct OpenClip {
  Rect rect;
  Fl_Region region = nullptr;
};
std::vector<OpenClip> g_clips;

// What went wrong in drawing, for takeDrawingFaults(); the window being painted, to name it.
constexpr size_t kMaxFaults = 32;
std::vector<std::string> g_faults;
const Control* g_painting = nullptr;

Rect intersection(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// The toolkit's clip of the innermost scope goes; another scope's takes its place.
void closeInnermostClip() {
  if (fl_clip_region() != g_clips.back().region)
    noteDrawingFault("a clip of the toolkit opened inside a clip scope was not closed in it");
  fl_pop_clip();
}

void openClip(const Rect& r) {
  fl_push_clip(r.left, r.top, r.width(), r.height());
  g_clips.push_back({r, fl_clip_region()});
}

// The active page of every shown page control, in the order they lie in the window.
void pagesInFront(const Control& c, std::string& out) {
  if (!c.visible()) return;
  if (const auto* pc = dynamic_cast<const PageControl*>(&c); pc && pc->activePage())
    out += std::string(out.empty() ? "" : ", ") + '"' + stripHotkey(pc->activePage()->caption()) + '"';
  if (const auto* w = dynamic_cast<const WinControl*>(&c)) {
    for (const Control* child : w->controls()) pagesInFront(*child, out);
  }
}

}  // namespace

ClipScope::ClipScope(int x, int y, int w, int h) {
  Rect r = boundsToRect(x, y, std::max(0, w), std::max(0, h));
  if (!g_clips.empty()) {
    r = intersection(r, g_clips.back().rect);
    closeInnermostClip();
  }
  openClip(r);
}

ClipScope::~ClipScope() {
  closeInnermostClip();
  g_clips.pop_back();
  if (g_clips.empty()) return;
  const Rect outer = g_clips.back().rect;
  g_clips.pop_back();
  openClip(outer);
}

void noteDrawingFault(const std::string& what) {
  if (g_faults.size() >= kMaxFaults) return;
  std::string where = "drawing";
  if (const Control* f = g_painting) {
    where = "window \"" + (f->caption().empty() ? f->name() : f->caption()) + "\"";
    std::string pages;
    pagesInFront(*f, pages);
    if (!pages.empty()) where += " (pages " + pages + ")";
  }
  g_faults.push_back(where + ": " + what);
}

namespace {

// The drawing faults noted in its scope name the window.
class Painting {
 public:
  explicit Painting(const Control& form) : outer_(std::exchange(g_painting, &form)) {}
  ~Painting() { g_painting = outer_; }
  Painting(const Painting&) = delete;
  Painting& operator=(const Painting&) = delete;

 private:
  const Control* outer_;
};

// The painting runs inside a clip of the window's own, which must be the toolkit's innermost again at
// the end: a clip opened and not closed, or closed twice, or a toolkit clip stack that ran over and
// dropped some, leaves another there.
void paintChecked(Control& form, const PaintContext& ctx) {
  fl_push_clip(0, 0, form.width(), form.height());
  const Fl_Region mine = fl_clip_region();
  paintControl(form, 0, 0, ctx);
  if (fl_clip_region() != mine)
    noteDrawingFault("the painting left the toolkit's clip stack otherwise than it found it");
  fl_pop_clip();
}

}  // namespace

void paintWindow(Control& form, const PaintContext& ctx) {
  Painting painting(form);
  paintChecked(form, ctx);
}

void paintWindowOffscreen(Control& form, const PaintContext& ctx) {
  if (form.width() <= 0 || form.height() <= 0) return;
  Painting painting(form);
  detail::paintOffscreen(form.width(), form.height(), [&] { paintChecked(form, ctx); });
}

std::vector<std::string> takeDrawingFaults() {
  return std::exchange(g_faults, {});
}

void useFont(const Font& f) {
  fl_font(toolkitFace(f), std::max(1, f.pixelHeight()));
}

Size measureText(const Font& f, const std::string& text) {
  useFont(f);
  int w = static_cast<int>(std::ceil(fl_width(text.c_str(), static_cast<int>(text.size()))));
  return {w, fl_height()};
}

void paintControl(Control& c, int x, int y, const PaintContext& ctx) {
  if (!c.visible() || c.width() <= 0 || c.height() <= 0) return;
  if (!fl_not_clipped(x, y, c.width(), c.height())) return;
  ClipScope clip(x, y, c.width(), c.height());
  paintSelf(c, x, y, ctx);
  if (auto* w = dynamic_cast<WinControl*>(&c)) {
    // Controls without a window of their own are painted on their parent, below its windowed children.
    for (bool windowed : {false, true}) {
      for (Control* child : w->controls()) {
        if (child->isWindowed() == windowed) paintControl(*child, x + child->left(), y + child->top(), ctx);
      }
    }
  }
}

void replayCanvas(const std::vector<CanvasOp>& ops, int dx, int dy) {
  for (const CanvasOp& op : ops) {
    Rect r = op.rect.offset(dx, dy);
    bool solid = op.brushStyle == BrushStyle::Solid;
    switch (op.kind) {
      case CanvasOp::Kind::FillRect:
        if (solid) fill(r.left, r.top, r.width(), r.height(), op.brushColor);
        break;
      case CanvasOp::Kind::Rectangle:
        if (solid) fill(r.left, r.top, r.width(), r.height(), op.brushColor);
        setColor(op.penColor);
        if (r.width() > 0 && r.height() > 0) fl_rect(r.left, r.top, r.width(), r.height());
        break;
      case CanvasOp::Kind::Ellipse:
        if (solid) {
          setColor(op.brushColor);
          fl_pie(r.left, r.top, r.width(), r.height(), 0, 360);
        }
        setColor(op.penColor);
        fl_arc(r.left, r.top, r.width(), r.height(), 0, 360);
        break;
      case CanvasOp::Kind::TextOut: {
        if (solid) fill(r.left, r.top, r.width(), r.height(), op.brushColor);
        useFont(op.font);
        setColor(op.font.color);
        fl_draw(op.text.c_str(), op.point.x + dx, op.point.y + dy + fl_height() - fl_descent());
        break;
      }
      case CanvasOp::Kind::MoveTo:
        break;
      case CanvasOp::Kind::LineTo:
        setColor(op.penColor);
        fl_line(op.from.x + dx, op.from.y + dy, op.point.x + dx, op.point.y + dy);
        break;
      case CanvasOp::Kind::Draw:
        if (op.bitmap) drawBitmap(*op.bitmap, r, false, false, op.bitmap->transparent());
        break;
      case CanvasOp::Kind::StretchDraw:
        if (op.bitmap) drawBitmap(*op.bitmap, r, true, false, op.bitmap->transparent());
        break;
    }
  }
}

void drawBitmap(const Bitmap& b, const Rect& r, bool stretch, bool center, bool transparent) {
  if (b.empty() || r.width() <= 0 || r.height() <= 0) return;
  int bw = b.width();
  int bh = b.height();
  Color clear = b.transparentColor();
  std::vector<unsigned char> rgba(static_cast<size_t>(bw) * static_cast<size_t>(bh) * 4);
  size_t i = 0;
  for (int y = 0; y < bh; ++y) {
    for (int x = 0; x < bw; ++x) {
      Color c = b.pixelColor(x, y) & 0xFFFFFF;
      rgba[i++] = redOf(c);
      rgba[i++] = greenOf(c);
      rgba[i++] = blueOf(c);
      rgba[i++] = (transparent && c == (clear & 0xFFFFFF)) ? 0 : 255;
    }
  }
  Fl_RGB_Image image(rgba.data(), bw, bh, 4);
  if (stretch) {
    std::unique_ptr<Fl_Image> scaled(image.copy(r.width(), r.height()));
    scaled->draw(r.left, r.top);
    return;
  }
  int x = r.left;
  int y = r.top;
  if (center) {
    x += (r.width() - bw) / 2;
    y += (r.height() - bh) / 2;
  }
  ClipScope clip(r.left, r.top, r.width(), r.height());
  image.draw(x, y);
}

Control* controlAt(WinControl& root, Point p, Point& local) {
  WinControl* current = &root;
  for (;;) {
    Control* hit = nullptr;
    for (bool windowed : {true, false}) {
      const auto& children = current->controls();
      for (auto it = children.rbegin(); it != children.rend() && !hit; ++it) {
        Control* c = *it;
        if (c->isWindowed() == windowed && c->visible() && c->boundsRect().contains(p)) hit = c;
      }
      if (hit) break;
    }
    if (!hit) {
      local = p;
      return current;
    }
    p.x -= hit->left();
    p.y -= hit->top();
    auto* w = dynamic_cast<WinControl*>(hit);
    if (!w) {
      local = p;
      return hit;
    }
    current = w;
  }
}

Point originInForm(const Control& c) {
  Point p;
  for (const Control* a = &c; a && a->parent(); a = a->parent()) {
    p.x += a->left();
    p.y += a->top();
  }
  return p;
}

std::string shownTabs(const Control& root) {
  std::string out;
  if (!root.visible()) return out;
  if (const auto* pc = dynamic_cast<const PageControl*>(&root)) {
    const Point origin = originInForm(*pc);
    const std::vector<TabSheet*> tabs = pc->visibleTabs();
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
      if (!pc->tabShown(i)) continue;
      const Rect r = pc->tabRect(i).offset(origin.x, origin.y);
      const bool active = tabs[static_cast<size_t>(i)] == pc->activePage();
      out += std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.width()) + ' ' +
             std::to_string(r.height()) + (active ? " 1 " : " 0 ") +
             stripHotkey(tabs[static_cast<size_t>(i)]->caption()) + '\n';
    }
  }
  if (const auto* w = dynamic_cast<const WinControl*>(&root)) {
    for (const Control* child : w->controls()) out += shownTabs(*child);
  }
  return out;
}

}  // namespace ui::fltk
