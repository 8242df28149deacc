#include "platform/ui/fltk/popups.h"

#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <memory>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/paint.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "platform/ui/text_layout.h"

namespace ui::fltk {

namespace {

// A release this soon after the list opened belongs to the press that opened it.
constexpr uint32_t kOpeningReleaseMs = 300;
// The check-mark room the system adds to an owner-drawn menu item's measured width.
constexpr int kOwnerDrawCheckWidth = 12;

class PopupWindow : public Fl_Menu_Window {
 public:
  PopupWindow(const std::vector<PopupEntry>& entries, int minWidth, const Font& font, int current)
      : Fl_Menu_Window(0, 0, 10, 10), entries_(entries), font_(font), hover_(current) {
    end();
    set_override();
    Canvas canvas;
    canvas.font = font;
    int width = minWidth;
    int top = 2;
    for (const PopupEntry& e : entries_) {
      Size s;
      if (MenuItem* item = e.item) {
        // As the system does for an owner-drawn item, room for a check mark is added to what the program
        // measured, so a caption drawn from the item's left does not run into the popup's edge.
        s = item->measure(canvas);
        s.width += kOwnerDrawCheckWidth;
      } else {
        s = measureText(font, e.text);
        s.width += 16;
        s.height = e.line ? 8 : s.height + 2;
      }
      tops_.push_back(top);
      heights_.push_back(s.height);
      top += s.height;
      width = std::max(width, s.width + 4);
    }
    size(width, top + 2);
    openedAt_ = sys::tickCount();
  }

  bool done() const { return done_; }
  int result() const { return result_; }

  void draw() override {
    fl_color(toolkitColor(clBtnFace));
    fl_rectf(0, 0, w(), h());
    fl_color(toolkitColor(clBlack));
    fl_rect(0, 0, w(), h());
    for (size_t i = 0; i < entries_.size(); ++i) {
      Rect r = boundsToRect(2, tops_[i], w() - 4, heights_[i]);
      bool selected = static_cast<int>(i) == hover_ && selectable(static_cast<int>(i));
      const PopupEntry& e = entries_[i];
      if (MenuItem* item = e.item) {
        Canvas canvas;
        canvas.font = font_;
        item->draw(canvas, r, selected);
        ClipScope clip(r.left, r.top, r.width(), r.height());
        replayCanvas(canvas.ops(), 0, 0);
        continue;
      }
      if (e.line) {
        fl_color(toolkitColor(clBtnShadow));
        fl_xyline(r.left + 2, r.top + r.height() / 2, r.right - 3);
        fl_color(toolkitColor(clBtnHighlight));
        fl_xyline(r.left + 2, r.top + r.height() / 2 + 1, r.right - 3);
        continue;
      }
      if (selected) {
        fl_color(toolkitColor(clHighlight));
        fl_rectf(r.left, r.top, r.width(), r.height());
      }
      useFont(font_);
      fl_color(toolkitColor(!e.enabled ? clGrayText : selected ? clHighlightText : clWindowText));
      std::string text = stripHotkey(e.text);
      fl_draw(text.c_str(), r.left + 8, r.top, r.width() - 10, r.height(), FL_ALIGN_LEFT | FL_ALIGN_CLIP,
              nullptr, 0);
    }
  }

  int handle(int event) override {
    int x = Fl::event_x();
    int y = Fl::event_y();
    bool inside = x >= 0 && y >= 0 && x < w() && y < h();
    switch (event) {
      case FL_PUSH:
        if (!inside) {
          finish(-1);
        } else {
          armed_ = true;
          setHover(entryAt(y));
        }
        return 1;
      case FL_DRAG:
      case FL_MOVE:
        setHover(inside ? entryAt(y) : -1);
        return 1;
      case FL_RELEASE:
        if (inside && selectable(hover_) &&
            (armed_ || sys::elapsedMs(openedAt_, sys::tickCount()) >= kOpeningReleaseMs)) {
          finish(hover_);
        }
        return 1;
      case FL_KEYBOARD:
        switch (Fl::event_key()) {
          case FL_Escape:
            finish(-1);
            break;
          case FL_Enter:
          case FL_KP_Enter:
            if (selectable(hover_)) finish(hover_);
            break;
          case FL_Up:
            step(-1);
            break;
          case FL_Down:
            step(1);
            break;
          default:
            break;
        }
        return 1;
      default:
        return Fl_Menu_Window::handle(event);
    }
  }

 private:
  bool selectable(int i) const {
    if (i < 0 || i >= static_cast<int>(entries_.size())) return false;
    const PopupEntry& e = entries_[static_cast<size_t>(i)];
    if (MenuItem* item = e.item) return item->enabled() && !item->isLine();
    return e.enabled && !e.line;
  }
  int entryAt(int y) const {
    for (size_t i = 0; i < tops_.size(); ++i) {
      if (y >= tops_[i] && y < tops_[i] + heights_[i]) return static_cast<int>(i);
    }
    return -1;
  }
  void setHover(int i) {
    if (i == hover_) return;
    hover_ = i;
    redraw();
  }
  void step(int dir) {
    int n = static_cast<int>(entries_.size());
    for (int k = 1; k <= n; ++k) {
      int i = ((hover_ < 0 ? (dir > 0 ? -1 : 0) : hover_) + dir * k + n * 2) % n;
      if (selectable(i)) {
        setHover(i);
        return;
      }
    }
  }
  void finish(int r) {
    result_ = r;
    done_ = true;
  }

  std::vector<PopupEntry> entries_;
  Font font_;
  std::vector<int> tops_;
  std::vector<int> heights_;
  int hover_ = -1;
  bool armed_ = false;
  bool done_ = false;
  int result_ = -1;
  uint32_t openedAt_ = 0;
};

class HintWindow : public Fl_Menu_Window {
 public:
  HintWindow() : Fl_Menu_Window(0, 0, 10, 10) {
    end();
    set_override();
    set_tooltip_window();
  }
  // The text wraps at maxWidth (the whole window, padding included) when it is above 0.
  void setText(const std::string& text, const Font& font, int maxWidth) {
    font_ = font;
    rows_ = wrapText(font, text, maxWidth > 0 ? std::max(1, maxWidth - 2 * kPadX) : 1 << 20);
    int widest = 0;
    for (const std::string& row : rows_) widest = std::max(widest, measureText(font, row).width);
    size(widest + 2 * kPadX, lineHeight(font) * static_cast<int>(rows_.size()) + 2 * kPadY);
    redraw();
  }
  void draw() override {
    fl_color(toolkitColor(clInfoBk));
    fl_rectf(0, 0, w(), h());
    fl_color(toolkitColor(clBlack));
    fl_rect(0, 0, w(), h());
    useFont(font_);
    const int rowHeight = lineHeight(font_);
    for (size_t i = 0; i < rows_.size(); ++i) {
      fl_draw(rows_[i].c_str(), kPadX, kPadY + static_cast<int>(i) * rowHeight, w() - 2 * kPadX, rowHeight,
              FL_ALIGN_LEFT | FL_ALIGN_TOP, nullptr, 0);
    }
  }
  const std::vector<std::string>& rows() const { return rows_; }

 private:
  static constexpr int kPadX = 4;
  static constexpr int kPadY = 2;
  std::vector<std::string> rows_;
  Font font_;
};

std::unique_ptr<HintWindow> g_hint;

}  // namespace

int runPopup(const std::vector<PopupEntry>& entries, int x, int y, int minWidth, const Font& font,
             int current) {
  if (entries.empty()) return -1;
  PopupWindow popup(entries, minWidth, font, current);
  // Keep the list on the screen.
  int px = std::clamp(x, 0, std::max(0, Fl::w() - popup.w()));
  int py = y + popup.h() > Fl::h() ? std::max(0, y - popup.h()) : y;
  popup.position(px, py);
  popup.show();
  Fl::grab(&popup);
  while (!popup.done() && popup.shown() && !app().terminated()) {
    app().processMessages();
    app().idle();
  }
  if (Fl::grab() == &popup) Fl::grab(nullptr);
  popup.hide();
  return popup.done() ? popup.result() : -1;
}

void showHintWindow(const std::string& text, int x, int y, const Font& font, int maxWidth) {
  if (text.empty()) {
    if (g_hint) g_hint->hide();
    return;
  }
  if (!g_hint) g_hint = std::make_unique<HintWindow>();
  g_hint->setText(text, font, maxWidth);
  g_hint->position(std::clamp(x, 0, std::max(0, Fl::w() - g_hint->w())),
                   std::clamp(y, 0, std::max(0, Fl::h() - g_hint->h())));
  g_hint->show();
}

Size hintWindowSize() {
  return g_hint ? Size{g_hint->w(), g_hint->h()} : Size{};
}

void destroyHintWindow() {
  g_hint.reset();
}

}  // namespace ui::fltk
