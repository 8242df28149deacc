#include "platform/ui/fltk/xopen.h"

#include <FL/Fl.H>
#include <FL/Fl_Device.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/ui/fltk/fltk_backend.h"

namespace ui::fltk {

namespace {

std::function<void()> g_lastWork;
XIOErrorHandler g_endOnDisplayLost = nullptr;

// The X library ends the program once this returns; the handler before ours says why and ends it.
int displayLost(::Display* display) {
  if (std::function<void()> work = std::exchange(g_lastWork, nullptr)) work();
  return g_endOnDisplayLost ? g_endOnDisplayLost(display) : 0;
}

}  // namespace

void onDisplayLost(std::function<void()> lastWork) {
  g_lastWork = std::move(lastWork);
}

namespace detail {

bool openDisplay(const char* name, std::string& error) {
  // The toolkit keeps the fonts it loaded for the connection it has: a second connection would be drawn
  // on with them and show no text. Installing the backend again therefore reuses the open one.
  if (fl_display) return true;
  const char* shown = name ? name : std::getenv("DISPLAY");
  if (!shown || !*shown) {
    error = "no display: DISPLAY is not set";
    return false;
  }
  ::Display* d = XOpenDisplay(name);
  if (!d) {
    error = std::string("cannot open display \"") + shown + "\"";
    return false;
  }
  fl_open_display(d);
  // Over the toolkit's own (or the X library's), which still says why and ends the program afterwards.
  if (XIOErrorHandler before = XSetIOErrorHandler(displayLost); before != displayLost)
    g_endOnDisplayLost = before;
  return true;
}

void setWindowText(const Fl_Window& window, const char* property, const std::string& text) {
  const Window xid = fl_xid(&window);
  if (!fl_display || !xid) return;
  XChangeProperty(fl_display, xid, XInternAtom(fl_display, property, False),
                  XInternAtom(fl_display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void paintOffscreen(int width, int height, const std::function<void()>& paint) {
  Fl_Offscreen picture = fl_create_offscreen(width, height);
  fl_begin_offscreen(picture);
  paint();
  fl_end_offscreen();
  fl_delete_offscreen(picture);
}

void closeDisplay() {
  fl_close_display();
}

}  // namespace detail

}  // namespace ui::fltk
