// A small X client for the screenshot tests: waits for a window with a given title, then clicks in it
// or saves a picture of it as PNG and checks its size and that it is not blank.
//
//   ui_fltk_shot --title TEXT [--timeout SECONDS] [--settle MS]
//                [--click X,Y] [--out FILE.png] [--size WxH | --min-size WxH] [--min-colours N]
//                [--gone] [--root] [--list] [--close] [--type TEXT] [--click-tab CAPTION]
//                [--icon-sizes N,N,...] [--help-location TEXT]
//
// --gone waits until no such window is shown; --root takes the whole screen instead of a window;
// --list prints the shown windows' sizes, places and titles; --close presses the window's close box; --type
// types the text into the window (after the click, if any; "\n" in it is the Enter key); --click-tab clicks
// the middle of the tab with that caption, as the window lists its shown tabs, and waits until it is the
// active one (so a changed layout fails instead of clicking another tab); --icon-sizes checks that the
// window's icon (as the window manager reads it) has a picture of each of these sizes, none of one colour;
// --help-location waits until the window (the help viewer) says it opened a place ending in TEXT
// ("Zem.hlp#Monitor"). Exit code 0 when everything asked for held, 1 when a check failed or the window did
// not come (or go) in time, 2 for bad arguments or no display.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <png.h>

#include "platform/ui/fltk/xopen.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
  std::string title;
  double timeout = 15;
  int settleMs = 700;
  bool click = false;
  int clickX = 0;
  int clickY = 0;
  std::string out;
  int width = 0;
  int height = 0;
  bool exactSize = false;
  int minColours = 0;
  bool gone = false;
  bool root = false;
  bool list = false;
  bool close = false;
  std::string type;
  std::string tab;
  std::vector<int> iconSizes;
  std::string helpLocation;
};

// One tab as the window lists it (platform/ui/fltk/paint.h, shownTabs).
struct Tab {
  int left = 0, top = 0, width = 0, height = 0;
  bool active = false;
  std::string caption;
};

std::string windowTitle(::Display* d, Window w) {
  Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count;
  unsigned long after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!title.empty()) return title;
  }
  char* name = nullptr;
  if (XFetchName(d, w, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

// The shown window with exactly this title, searched from the root down; 0 when there is none.
Window findWindow(::Display* d, Window w, const std::string& title) {
  XWindowAttributes a;
  if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && windowTitle(d, w) == title) return w;
  Window root;
  Window parent;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < n && !found; ++i) found = findWindow(d, children[i], title);
  if (children) XFree(children);
  return found;
}

// Prints every shown window with a title: its size and title.
void listWindows(::Display* d, Window w) {
  XWindowAttributes a;
  if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) {
    std::string t = windowTitle(d, w);
    if (!t.empty()) std::printf("%dx%d+%d+%d \"%s\"\n", a.width, a.height, a.x, a.y, t.c_str());
  }
  Window root;
  Window parent;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return;
  for (unsigned int i = 0; i < n; ++i) listWindows(d, children[i]);
  if (children) XFree(children);
}

int channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  unsigned long max = mask >> shift;
  return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

bool writePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    png_write_row(png,
                  const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// Presses and releases one key with the pointer over the window (the server gives it the focus that way),
// with Shift when the key's plain symbol is another.
void typeKey(::Display* d, KeySym sym) {
  KeyCode code = XKeysymToKeycode(d, sym);
  if (code == 0) return;
  const bool shift = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
  const KeyCode shiftCode = XKeysymToKeycode(d, XK_Shift_L);
  if (shift) XTestFakeKeyEvent(d, shiftCode, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(d, shiftCode, False, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void typeText(::Display* d, Window w, const std::string& text) {
  XWindowAttributes attr;
  XGetWindowAttributes(d, w, &attr);
  Window child;
  int rx = 0;
  int ry = 0;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), attr.width / 2, attr.height / 2, &rx, &ry, &child);
  XTestFakeMotionEvent(d, -1, rx, ry, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (char c : text) typeKey(d, c == '\n' ? XK_Return : static_cast<KeySym>(static_cast<unsigned char>(c)));
}

// A text property of a window (xopen.h), empty when it has none.
std::string windowText(::Display* d, Window w, const char* name) {
  Atom property = XInternAtom(d, name, False);
  Atom type;
  int format;
  unsigned long count;
  unsigned long after;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(d, w, property, 0, 1 << 16, False, AnyPropertyType, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    text.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return text;
}

std::vector<Tab> shownTabs(::Display* d, Window w) {
  const std::string text = windowText(d, w, ui::fltk::detail::kTabsProperty);
  std::vector<Tab> tabs;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    Tab t;
    int active = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%d %d %d %d %d %n", &t.left, &t.top, &t.width, &t.height, &active, &used) <
        5)
      continue;
    t.active = active != 0;
    t.caption = line.substr(static_cast<size_t>(used));
    tabs.push_back(t);
  }
  return tabs;
}

const Tab* findTab(const std::vector<Tab>& tabs, const std::string& caption) {
  for (const Tab& t : tabs) {
    if (t.caption == caption) return &t;
  }
  return nullptr;
}

void clickAt(::Display* d, Window w, int x, int y) {
  Window child;
  int rx = 0;
  int ry = 0;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(d, -1, rx, ry, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);
}

// Clicks the tab and waits (until the deadline) for the window to list it as active.
bool clickTab(::Display* d, Window w, const std::string& caption,
              std::chrono::steady_clock::time_point deadline) {
  std::vector<Tab> tabs = shownTabs(d, w);
  const Tab* t = findTab(tabs, caption);
  if (!t) {
    std::string shown;
    for (const Tab& other : tabs) shown += " \"" + other.caption + "\"";
    std::fprintf(stderr, "no tab \"%s\" shown; the tabs shown:%s\n", caption.c_str(),
                 shown.empty() ? " none" : shown.c_str());
    return false;
  }
  clickAt(d, w, t->left + t->width / 2, t->top + t->height / 2);
  for (;;) {
    tabs = shownTabs(d, w);
    t = findTab(tabs, caption);
    if (t && t->active) return true;
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "the tab \"%s\" did not become active\n", caption.c_str());
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// The window's icon pictures as the window manager reads them (_NET_WM_ICON: width, height, then the
// pixels, each one after the other): size, and the number of colours of each.
std::vector<std::pair<int, size_t>> iconPictures(::Display* d, Window w) {
  Atom property = XInternAtom(d, "_NET_WM_ICON", False);
  Atom type;
  int format;
  unsigned long count;
  unsigned long after;
  unsigned char* data = nullptr;
  std::vector<std::pair<int, size_t>> pictures;
  if (XGetWindowProperty(d, w, property, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) != Success ||
      !data) {
    return pictures;
  }
  // Format 32 comes as longs, whatever their width.
  const auto* values = reinterpret_cast<const unsigned long*>(data);
  unsigned long at = 0;
  while (at + 2 <= count) {
    const unsigned long width = values[at];
    const unsigned long height = values[at + 1];
    at += 2;
    if (width == 0 || width != height || width * height > count - at) break;
    std::set<unsigned long> colours(values + at, values + at + width * height);
    pictures.emplace_back(static_cast<int>(width), colours.size());
    at += width * height;
  }
  XFree(data);
  return pictures;
}

bool parsePair(const char* s, char sep, int& a, int& b) {
  return std::sscanf(s, sep == 'x' ? "%dx%d" : "%d,%d", &a, &b) == 2;
}

// A window can go between finding it in the tree and asking about it (a progress window closing): the
// call then fails and the search takes it for another window, instead of the tool ending.
int onXError(::Display* d, XErrorEvent* e) {
  if (e->error_code == BadWindow || e->error_code == BadDrawable) return 0;
  char text[256];
  XGetErrorText(d, e->error_code, text, sizeof(text));
  std::fprintf(stderr, "X error: %s\n", text);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--title") {
      o.title = next();
    } else if (a == "--timeout") {
      o.timeout = std::atof(next());
    } else if (a == "--settle") {
      o.settleMs = std::atoi(next());
    } else if (a == "--click") {
      o.click = parsePair(next(), ',', o.clickX, o.clickY);
      if (!o.click) return 2;
    } else if (a == "--out") {
      o.out = next();
    } else if (a == "--size" || a == "--min-size") {
      o.exactSize = a == "--size";
      if (!parsePair(next(), 'x', o.width, o.height)) return 2;
    } else if (a == "--min-colours") {
      o.minColours = std::atoi(next());
    } else if (a == "--gone") {
      o.gone = true;
    } else if (a == "--close") {
      o.close = true;
    } else if (a == "--root") {
      o.root = true;
    } else if (a == "--list") {
      o.list = true;
    } else if (a == "--type") {
      o.type = next();
    } else if (a == "--icon-sizes") {
      for (const char* s = next(); *s;) {
        char* end = nullptr;
        const long size = std::strtol(s, &end, 10);
        if (end == s || size <= 0) return 2;
        o.iconSizes.push_back(static_cast<int>(size));
        s = *end == ',' ? end + 1 : end;
      }
      if (o.iconSizes.empty()) return 2;
    } else if (a == "--click-tab") {
      o.tab = next();
      if (o.tab.empty()) return 2;
    } else if (a == "--help-location") {
      o.helpLocation = next();
      if (o.helpLocation.empty()) return 2;
    } else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (o.title.empty() && !o.root && !o.list) return 2;
  XSetErrorHandler(onXError);
  ::Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "cannot open the display\n");
    return 2;
  }
  if (o.list) {
    listWindows(d, DefaultRootWindow(d));
    XCloseDisplay(d);
    return 0;
  }
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(o.timeout * 1000));
  Window w = 0;
  for (;;) {
    if (o.root) {
      w = DefaultRootWindow(d);
      break;
    }
    w = findWindow(d, DefaultRootWindow(d), o.title);
    if (o.gone ? w == 0 : w != 0) break;
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "window \"%s\" %s within %.0f s\n", o.title.c_str(),
                   o.gone ? "still shown" : "not shown", o.timeout);
      XCloseDisplay(d);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (o.gone) {
    XCloseDisplay(d);
    return 0;
  }
  int status = 0;
  if (!o.helpLocation.empty()) {
    // The help viewer publishes the place it opened; a request may still be on its way.
    for (;;) {
      const std::string shown = windowText(d, w, ui::fltk::detail::kHelpProperty);
      if (shown.size() >= o.helpLocation.size() &&
          shown.compare(shown.size() - o.helpLocation.size(), std::string::npos, o.helpLocation) == 0)
        break;
      if (std::chrono::steady_clock::now() > deadline) {
        std::fprintf(stderr, "the help viewer shows \"%s\", not \"...%s\"\n", shown.c_str(),
                     o.helpLocation.c_str());
        status = 1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  // Let the program finish painting.
  std::this_thread::sleep_for(std::chrono::milliseconds(o.settleMs));
  XWindowAttributes attr;
  XGetWindowAttributes(d, w, &attr);
  std::printf("\"%s\": %dx%d\n", o.title.c_str(), attr.width, attr.height);
  if (o.width > 0) {
    bool ok = o.exactSize ? (attr.width == o.width && attr.height == o.height)
                          : (attr.width >= o.width && attr.height >= o.height);
    if (!ok) {
      std::fprintf(stderr, "size %dx%d, expected %s%dx%d\n", attr.width, attr.height,
                   o.exactSize ? "" : "at least ", o.width, o.height);
      status = 1;
    }
  }
  if (!o.iconSizes.empty()) {
    const auto pictures = iconPictures(d, w);
    std::string shown;
    for (const auto& picture : pictures) {
      shown += ' ';
      shown += std::to_string(picture.first);
    }
    std::printf("\"%s\": icon sizes%s\n", o.title.c_str(), shown.empty() ? " none" : shown.c_str());
    for (int size : o.iconSizes) {
      auto it =
          std::find_if(pictures.begin(), pictures.end(), [&](const auto& p) { return p.first == size; });
      if (it == pictures.end()) {
        std::fprintf(stderr, "the window's icon has no picture of %dx%d pixels\n", size, size);
        status = 1;
      } else if (it->second < 2) {
        std::fprintf(stderr, "the window's %dx%d icon is of one colour\n", size, size);
        status = 1;
      }
    }
  }
  if (!o.out.empty() || o.minColours > 0) {
    XImage* img = XGetImage(d, w, 0, 0, static_cast<unsigned>(attr.width), static_cast<unsigned>(attr.height),
                            AllPlanes, ZPixmap);
    if (!img) {
      std::fprintf(stderr, "cannot read the window's picture\n");
      XCloseDisplay(d);
      return 1;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(attr.width) * static_cast<size_t>(attr.height) * 3);
    std::set<unsigned long> colours;
    size_t k = 0;
    for (int y = 0; y < attr.height; ++y) {
      for (int x = 0; x < attr.width; ++x) {
        unsigned long p = XGetPixel(img, x, y);
        colours.insert(p);
        rgb[k++] = static_cast<unsigned char>(channel(p, img->red_mask));
        rgb[k++] = static_cast<unsigned char>(channel(p, img->green_mask));
        rgb[k++] = static_cast<unsigned char>(channel(p, img->blue_mask));
      }
    }
    XDestroyImage(img);
    std::printf("\"%s\": %zu colours\n", o.title.c_str(), colours.size());
    if (static_cast<int>(colours.size()) < o.minColours) {
      std::fprintf(stderr, "only %zu colours: the window looks blank\n", colours.size());
      status = 1;
    }
    if (!o.out.empty() && !writePng(o.out, attr.width, attr.height, rgb)) {
      std::fprintf(stderr, "cannot write %s\n", o.out.c_str());
      status = 1;
    }
  }
  if (o.click) clickAt(d, w, o.clickX, o.clickY);
  if (!o.tab.empty()) {
    const auto tabDeadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(o.timeout * 1000));
    if (!clickTab(d, w, o.tab, tabDeadline)) status = 1;
  }
  if (!o.type.empty()) typeText(d, w, o.type);
  if (o.close) {
    // What the window manager sends when the user presses the close box.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
  }
  XCloseDisplay(d);
  return status;
}
