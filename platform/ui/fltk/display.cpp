#include "platform/ui/fltk/display.h"

#include "platform/ui/fltk/toolkit.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ui/application.h"
#include "platform/ui/control.h"
#include "platform/ui/fltk/dialogs.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/popups.h"
#include "platform/ui/fltk/xopen.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/screen.h"

namespace ui::fltk {

namespace {
std::unique_ptr<DisplayBackend> g_display;

// The toolkit's warnings print as they did; those about its clip stack are drawing faults too.
void (*g_toolkitWarning)(const char*, ...) = nullptr;

__attribute__((format(printf, 1, 2))) void toolkitWarning(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::string message = text;
  while (!message.empty() && message.back() == '\n') message.pop_back();
  if (message.find("clip stack") != std::string::npos)
    noteDrawingFault("the toolkit warned \"" + message + "\"");
  if (g_toolkitWarning) g_toolkitWarning("%s", text);
}
}  // namespace

DisplayBackend::DisplayBackend() {
  g_toolkitWarning = Fl::warning;
  Fl::warning = toolkitWarning;
  useDialogFaces();
  // Lets other threads wake the loop (wake()) when they post a message.
  Fl::lock();
  // The toolkit's own windows (file chooser) in the layer's button face.
  Color face = colorToRGB(clBtnFace);
  Fl::background(redOf(face), greenOf(face), blueOf(face));
}

DisplayBackend::~DisplayBackend() {
  Fl::unlock();
  help_.reset();
  for (auto& [form, window] : windows_) {
    window->hide();
    delete window;
  }
  windows_.clear();
  destroyHintWindow();
  Fl::warning = g_toolkitWarning;
}

void DisplayBackend::waitForEvents(uint32_t maxMs) {
  sync();
  // Blocks in the toolkit until an event comes, another thread wakes it, or the time is up.
  if (maxMs > 0) Fl::wait(maxMs / 1000.0);
}

void DisplayBackend::wake() {
  Fl::awake();
}

void DisplayBackend::processEvents() {
  sync();
  Fl::check();
}

// Fl::flush draws the damaged windows and reads no events, so no handler runs in the middle of the
// operation that asked.
void DisplayBackend::paintNow() {
  sync();
  Fl::flush();
}

void DisplayBackend::paintOffscreen(Control& form) {
  if (form.visible()) paintWindowOffscreen(form, paintContext());
}

Size DisplayBackend::textExtent(const Font& font, std::string_view text) {
  return measureText(font, std::string(text));
}

Size DisplayBackend::screenSize() {
  return {Fl::w(), Fl::h()};
}

void DisplayBackend::controlChanged(Control& control, Change) {
  if (Form* f = control.form()) {
    if (FormWindow* w = windowOf(*f)) w->redraw();
  }
}

void DisplayBackend::controlDestroyed(Control& control) {
  scroll_.erase(&control);
  dropWindow(&control);
  // A control inside a shown form: the form shows without it from now on.
  for (auto& [form, window] : windows_) window->redraw();
}

void DisplayBackend::dropWindow(const Control* formAddress) {
  auto it = windows_.find(formAddress);
  if (it == windows_.end()) return;
  FormWindow* w = it->second;
  windows_.erase(it);
  w->hide();
  // The window may be inside one of its own event handlers: the toolkit deletes it later.
  Fl::delete_widget(w);
  if (topForm_ == formAddress) topForm_ = nullptr;
}

FormWindow* DisplayBackend::windowOf(const Form& f) const {
  auto it = windows_.find(&f);
  return it == windows_.end() ? nullptr : it->second;
}

ModalResult DisplayBackend::messageBox(const MessageBoxRequest& request) {
  return runMessageBox(request);
}

std::optional<std::string> DisplayBackend::fileDialog(const FileDialogRequest& request) {
  return runFileDialog(request);
}

void DisplayBackend::showHelp(const HelpRequest& request) {
  if (!help_) help_ = std::make_unique<HelpViewer>();
  help_->open(request.location());
}

void DisplayBackend::sync() {
  // Showing a window can deliver events, and their handlers may loop: one sync at a time.
  if (syncDepth_ > 0) return;
  ++syncDepth_;
  std::vector<Form*> forms = screen().forms();
  for (Form* f : forms) {
    FormWindow* w = windowOf(*f);
    if (f->visible()) {
      // A window keeps the modality it was made with: a form shown modally after showing normally
      // (or the other way round) gets a new one.
      if (w && !w->shown() && w->createdModal() != f->modal()) {
        dropWindow(f);
        w = nullptr;
      }
      if (!w) {
        w = new FormWindow(*this, *f);
        windows_[f] = w;
      }
      w->syncFromForm();
      if (!w->shown()) w->show();
    } else if (w && w->shown()) {
      w->hide();
    }
  }
  std::vector<Form*> z = screen().zOrder();
  const Control* top = z.empty() ? nullptr : z.front();
  if (top != topForm_) {
    topForm_ = top;
    if (top) {
      if (FormWindow* w = windowOf(*z.front())) {
        if (w->shown()) w->show();  // raises it
      }
    }
  }
  const Control* focus = screen().focusedControl();
  const Control* capture = screen().captureControl();
  if (focus != lastFocus_ || capture != lastCapture_) {
    lastFocus_ = focus;
    lastCapture_ = capture;
    for (auto& [form, window] : windows_) window->redraw();
  }
  syncHint();
  syncCursor();
  --syncDepth_;
}

void DisplayBackend::syncHint() {
  auto hint = input::currentHint();
  if (!hint) {
    if (hintUp_) showHintWindow("", 0, 0, Font{});
    hintUp_ = false;
    return;
  }
  if (hintUp_ && hint->shownAt == hintShownAt_ && hint->text == hintText_) return;
  hintUp_ = true;
  hintShownAt_ = hint->shownAt;
  hintText_ = hint->text;
  showHintWindow(hint->text, Fl::event_x_root() + 4, Fl::event_y_root() + 20, Font{}, hint->maxWidth);
}

void DisplayBackend::syncCursor() {
  Cursor global = screen().cursor();
  Control* over = hovered_;
  for (auto& [form, window] : windows_) {
    Cursor c = global;
    if (c == crDefault && over && window->form() && over->form() == window->form()) {
      for (Control* a = over; a && c == crDefault; a = a->parent()) c = a->cursor();
    }
    window->setCursorShape(toolkitCursor(c));
  }
}

PaintContext DisplayBackend::paintContext() const {
  PaintContext ctx;
  ctx.hovered = hovered_.get();
  ctx.scrollBack = [this](const Control& c) {
    auto it = scroll_.find(&c);
    return it == scroll_.end() ? 0 : it->second;
  };
  return ctx;
}

void DisplayBackend::setHovered(Control* c) {
  Control* old = hovered_;
  if (old == c) return;
  hovered_ = c;
  for (Control* x : {old, c}) {
    if (!x) continue;
    if (Form* f = x->form()) {
      if (FormWindow* w = windowOf(*f)) w->redraw();
    }
  }
}

void DisplayBackend::scroll(const Control& c, int lines) {
  int& back = scroll_[&c];
  back = std::max(0, back + lines);
}

bool install(const char* displayName) {
  if (g_display) return true;
  std::string error;
  if (!detail::openDisplay(displayName, error)) return false;
  g_display = std::make_unique<DisplayBackend>();
  setBackend(g_display.get());
  return true;
}

void uninstall() {
  if (!g_display) return;
  setBackend(nullptr);
  g_display.reset();
  // Let the toolkit take the windows off the screen now.
  Fl::check();
}

HelpViewer* helpViewer() {
  return g_display ? g_display->helpViewer() : nullptr;
}

bool installed() {
  return g_display != nullptr;
}

Start startFromCommandLine(int& argc, char** argv) {
  bool headless = false;
  int out = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) {
      headless = true;
      continue;
    }
    argv[out++] = argv[i];
  }
  if (out < argc) argv[out] = nullptr;
  argc = out;
  if (headless) return Start::Headless;
  const char* name = argc > 0 && argv[0] ? argv[0] : "program";
  if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
  // The windows' class is the program's name: desktops find the program's desktop entry (and its icon)
  // by it.
  Fl_Window::default_xclass(name);
  std::string error;
  if (!g_display) {
    if (!detail::openDisplay(nullptr, error)) {
      std::fprintf(stderr,
                   "%s: %s.\nStart it on an X display (set DISPLAY), or with --headless to run without "
                   "windows.\n",
                   name, error.c_str());
      return Start::NoDisplay;
    }
    g_display = std::make_unique<DisplayBackend>();
    setBackend(g_display.get());
  }
  return Start::Display;
}

}  // namespace ui::fltk
