#include "platform/ui/fltk/xopen.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdlib>

namespace ui::fltk::detail {

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
  return true;
}

void setWindowText(const Fl_Window& window, const char* property, const std::string& text) {
  const Window xid = fl_xid(&window);
  if (!fl_display || !xid) return;
  XChangeProperty(fl_display, xid, XInternAtom(fl_display, property, False),
                  XInternAtom(fl_display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void closeDisplay() {
  fl_close_display();
}

}  // namespace ui::fltk::detail
