#include "platform/ui/fltk/help_viewer.h"

#include "platform/ui/fltk/toolkit.h"

#include <FL/Fl_Help_Dialog.H>
#include <FL/Fl_Help_View.H>
#include <FL/Fl_Shared_Image.H>

#include <algorithm>
#include <climits>

#include "platform/ui/fltk/xopen.h"

namespace ui::fltk {

namespace {

// Room for a page of text and the program's pictures (600 pixels wide) beside the scroll bar.
constexpr int kWidth = 680;
constexpr int kHeight = 560;
constexpr int kScreenMargin = 8;

// The first button of the group (and its groups) whose label its face cuts.
std::string clippedButton(const Fl_Group& group) {
  for (int i = 0; i < group.children(); ++i) {
    Fl_Widget* child = group.child(i);
    if (const Fl_Group* inner = child->as_group()) {
      std::string found = clippedButton(*inner);
      if (!found.empty()) return found;
      continue;
    }
    const char* label = child->label();
    if (!label || !*label || !dynamic_cast<const Fl_Button*>(child)) continue;
    fl_font(child->labelfont(), child->labelsize());
    int w = 0;
    int h = 0;
    fl_measure(label, w, h, 1);
    const Fl_Boxtype box = child->box();
    const int roomW = child->w() - Fl::box_dw(box);
    const int roomH = child->h() - Fl::box_dh(box);
    if (w > roomW || h > roomH) {
      return "help viewer: button \"" + std::string(label) + "\" cuts its label (needs " + std::to_string(w) +
             "x" + std::to_string(h) + ", has " + std::to_string(roomW) + "x" + std::to_string(roomH) + ")";
    }
  }
  return {};
}

}  // namespace

HelpViewer::HelpViewer() = default;

HelpViewer::~HelpViewer() {
  close();
}

void HelpViewer::open(const std::string& location) {
  if (!dialog_) {
    // The pictures of the help pages are PNG files.
    fl_register_images();
    dialog_ = std::make_unique<Fl_Help_Dialog>();
    dialog_->resize(dialog_->x(), dialog_->y(), kWidth, kHeight);
  }
  location_ = location;
  // Loads the page and scrolls to the anchor; the window takes the page's title.
  dialog_->load(location.c_str());
  if (!placed_) {
    // At the screen's right edge: beside the program's windows, which open in the middle, where there is
    // room.
    int sx = 0;
    int sy = 0;
    int sw = 0;
    int sh = 0;
    Fl::screen_xywh(sx, sy, sw, sh);
    dialog_->position(std::max(sx, sx + sw - kWidth - kScreenMargin), sy + kScreenMargin);
    placed_ = true;
  }
  dialog_->show();
  if (Fl_Window* w = window()) detail::setWindowText(*w, detail::kHelpProperty, location_);
}

void HelpViewer::close() {
  if (!dialog_) return;
  dialog_->hide();
  dialog_.reset();
  placed_ = false;
}

bool HelpViewer::shown() const {
  return dialog_ && dialog_->visible();
}

std::string HelpViewer::title() const {
  Fl_Help_View* v = view();
  return v && v->title() ? v->title() : "";
}

int HelpViewer::scrolledTo() const {
  const Fl_Help_View* v = view();
  return v ? v->topline() : 0;
}

std::string HelpViewer::clippedTextReport() {
  Fl_Window* w = window();
  if (!w) return "help viewer: not shown";
  std::string found = clippedButton(*w);
  if (!found.empty()) return found;
  Fl_Help_View* v = view();
  if (!v) return {};
  // The view scrolls sideways only as far as the page is wider than itself.
  const int left = v->leftline();
  v->leftline(INT_MAX);
  const int wider = v->leftline();
  v->leftline(left);
  if (wider > 0)
    return "help viewer: the page \"" + title() + "\" is wider than the view (" + std::to_string(v->w()) +
           ")";
  return {};
}

// The dialog keeps its window to itself: it is the shown window that holds a help view.
Fl_Window* HelpViewer::window() const {
  if (!dialog_) return nullptr;
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    for (int i = 0; i < w->children(); ++i) {
      if (dynamic_cast<Fl_Help_View*>(w->child(i))) return w;
    }
  }
  return nullptr;
}

Fl_Help_View* HelpViewer::view() const {
  Fl_Window* w = window();
  if (!w) return nullptr;
  for (int i = 0; i < w->children(); ++i) {
    if (auto* v = dynamic_cast<Fl_Help_View*>(w->child(i))) return v;
  }
  return nullptr;
}

}  // namespace ui::fltk
