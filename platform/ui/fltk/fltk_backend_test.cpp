// The display backend: the pure mappings always; windows, painting and loops when a display is there
// (the screenshot test runs this binary again under Xvfb).
#include "platform/ui/fltk/fltk_backend.h"

// The X headers before the toolkit's, which takes their clashing macros back.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include "platform/ui/fltk/toolkit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/fltk/dialogs.h"
#include "platform/ui/fltk/display.h"
#include "platform/ui/fltk/help_viewer.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/paint.h"
#include "platform/ui/fltk/popups.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/list_box.h"
#include "platform/ui/message_box.h"
#include "platform/ui/page_control.h"
#include "platform/ui/text_layout.h"
#include "platform/ui/up_down.h"

namespace ui::fltk {
namespace {

TEST(FltkMapping, KeysBecomeVirtualKeyCodes) {
  EXPECT_EQ(virtualKey('a'), 'A');
  EXPECT_EQ(virtualKey('7'), '7');
  EXPECT_EQ(virtualKey(FL_F + 1), vk::F1);
  EXPECT_EQ(virtualKey(FL_F + 4), vk::F4);
  EXPECT_EQ(virtualKey(FL_Up), vk::Up);
  EXPECT_EQ(virtualKey(FL_KP_Enter), vk::Return);
  EXPECT_EQ(virtualKey(FL_Escape), vk::Escape);
  EXPECT_EQ(virtualKey(FL_Page_Down), vk::Next);
  EXPECT_EQ(virtualKey(FL_Caps_Lock), 0);
  EXPECT_EQ(shiftState(FL_SHIFT | FL_CTRL | FL_BUTTON1, true), kShift | kCtrl | kLeftButton | kDouble);
  EXPECT_EQ(mouseButton(FL_RIGHT_MOUSE), MouseButton::Right);
}

TEST(FltkMapping, TheEmptyCursorHidesTheMouse) {
  EXPECT_EQ(toolkitCursor(crNone), FL_CURSOR_NONE);
  EXPECT_EQ(toolkitCursor(crDefault), FL_CURSOR_DEFAULT);
  EXPECT_EQ(toolkitCursor(crCross), FL_CURSOR_CROSS);
}

TEST(FltkMapping, FiltersAndFonts) {
  EXPECT_EQ(toolkitFilter("Hex files (*.hex)|*.hex|All files|*.*"), "Hex files (*.hex)\tAll files (*)");
  EXPECT_EQ(toolkitFilter("Memory|*.mem;*.bin"), "Memory ({*.mem,*.bin})");
  EXPECT_EQ(toolkitFilter(""), "");
  EXPECT_EQ(toolkitFilter("Odd|"), "Odd ()");
  EXPECT_EQ(toolkitFilter("intel HEX file (*.hex)|*.hex||"), "intel HEX file (*.hex)");
  EXPECT_EQ(toolkitFilter("binary file (*.b6;*.c2;*.iic)|*.b6;*.c2;*.iic||"),
            "binary file ({*.b6,*.c2,*.iic})");
  Font f;
  EXPECT_EQ(toolkitFace(f), FL_HELVETICA);
  f.name = "Courier New";
  f.bold = true;
  EXPECT_EQ(toolkitFace(f), FL_COURIER_BOLD);
  f.name = "Times New Roman";
  f.bold = false;
  f.italic = true;
  EXPECT_EQ(toolkitFace(f), FL_TIMES_ITALIC);
}

TEST(FltkMapping, YesNoBoxesCanOnlyBeAnsweredWithTheirButtons) {
  MessageBoxButtons yn = messageBoxButtons(MessageButtons::YesNo);
  ASSERT_EQ(yn.buttons.size(), 2u);
  EXPECT_EQ(yn.cancel, ModalResult::None);
  EXPECT_EQ(messageBoxButtons(MessageButtons::Ok).cancel, ModalResult::Ok);
  EXPECT_EQ(messageBoxButtons(MessageButtons::YesNoCancel).cancel, ModalResult::Cancel);
}

TEST(FltkFileDialog, TypedNamesLieInTheFolderUnlessTheyAreFullPaths) {
  const std::filesystem::path folder = "/data/logs";
  EXPECT_EQ(resolveTypedName(folder, "notes.txt"), "/data/logs/notes.txt");
  EXPECT_EQ(resolveTypedName(folder, " sub/notes.txt "), "/data/logs/sub/notes.txt");
  EXPECT_EQ(resolveTypedName(folder, "../other/a.txt"), "/data/other/a.txt");
  EXPECT_EQ(resolveTypedName(folder, "/tmp/x/a.txt"), "/tmp/x/a.txt");
  EXPECT_EQ(resolveTypedName(folder, "   "), "");
}

TEST(FltkStart, HeadlessOptionIsTakenOutOfTheCommandLine) {
  char prog[] = "prog";
  char a[] = "--headless";
  char b[] = "file.hex";
  char* argv[] = {prog, a, b, nullptr};
  int argc = 3;
  EXPECT_EQ(startFromCommandLine(argc, argv), Start::Headless);
  ASSERT_EQ(argc, 2);
  EXPECT_STREQ(argv[1], "file.hex");
  EXPECT_EQ(argv[2], nullptr);
  EXPECT_FALSE(installed());
}

TEST(FltkTabs, TheWindowListsItsShownTabsWhereTheyAreDrawn) {
  app().reset();
  Owned<Form> f(createForm<Form>());
  f->setBounds(0, 0, 300, 200);
  auto* holder = make<Panel>(f.get(), f.get(), "holder", 10, 20, 280, 170);
  auto* pc = make<PageControl>(f.get(), holder, "pc", 5, 6, 270, 160);
  std::vector<TabSheet*> pages;
  for (const char* caption : {"&Info", "Settings", "Monitor"}) {
    auto* sheet = new TabSheet(f.get());
    sheet->setCaption(caption);
    sheet->setPageControl(pc);
    pages.push_back(sheet);
  }
  // A page control on a page that is not shown: its tabs are not drawn.
  auto* inner = make<PageControl>(f.get(), pages[2], "inner");
  auto* innerSheet = new TabSheet(f.get());
  innerSheet->setCaption("Hidden");
  innerSheet->setPageControl(inner);
  pc->setActivePage(pages[1]);
  f->show();
  auto line = [&](int i, bool active, const std::string& caption) {
    const Rect r = pc->tabRect(i);
    return std::to_string(r.left + 15) + ' ' + std::to_string(r.top + 26) + ' ' + std::to_string(r.width()) +
           ' ' + std::to_string(r.height()) + (active ? " 1 " : " 0 ") + caption + '\n';
  };
  EXPECT_EQ(shownTabs(*f), line(0, false, "Info") + line(1, true, "Settings") + line(2, false, "Monitor"));
  pc->setActivePage(pages[2]);
  EXPECT_NE(shownTabs(*f).find(" 1 Hidden\n"), std::string::npos);
  holder->setVisible(false);
  EXPECT_EQ(shownTabs(*f), "");
  f.reset();
  app().reset();
}

// With a display: real windows.
class FltkDisplayTest : public ::testing::Test {
 public:
  // The colour of a window pixel as the display shows it.
  static Color pixel(Fl_Window& w, int x, int y) {
    Fl::flush();
    w.make_current();
    uchar rgb[3] = {};
    fl_read_image(rgb, x, y, 1, 1);
    return ui::rgb(rgb[0], rgb[1], rgb[2]);
  }

 protected:
  void SetUp() override {
    const char* d = std::getenv("DISPLAY");
    if (!d || !*d || !install()) GTEST_SKIP() << "no display";
    (void)takeDrawingFaults();
    app().reset();
  }
  void TearDown() override {
    app().reset();
    uninstall();
    std::string faults;
    for (const std::string& fault : takeDrawingFaults()) faults += fault + '\n';
    if (!faults.empty()) ADD_FAILURE() << "drawing faults:\n" << faults;
  }
  DisplayBackend& display() { return static_cast<DisplayBackend&>(backend()); }
};

TEST_F(FltkDisplayTest, ShownFormGetsAWindowOfItsSizeThatFollowsIt) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Backend test");
  f->setBounds(10, 10, 200, 120);
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->shown());
  EXPECT_EQ(w->w(), 200);
  EXPECT_EQ(w->h(), 120);
  EXPECT_STREQ(w->label(), "Backend test");
  f->setBounds(10, 10, 240, 130);
  f->setCaption("Renamed");
  app().processMessages();
  EXPECT_EQ(w->w(), 240);
  EXPECT_STREQ(w->label(), "Renamed");
  f->hide();
  app().processMessages();
  EXPECT_FALSE(w->shown());
  // Freeing a form takes its window away at once.
  f->show();
  app().processMessages();
  f.reset();
  app().processMessages();
}

// A 2x2 picture (red, green / blue, transparent) and a 3x3 yellow one, as PNG files.
const unsigned char kTwoPng[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49,
                                 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06,
                                 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00, 0x13, 0x49, 0x44,
                                 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x0c, 0x81, 0x34,
                                 0x88, 0x60, 0x00, 0x00, 0x3f, 0xd2, 0x05, 0xfb, 0xcb, 0x17, 0xa6, 0xce, 0x00,
                                 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
const unsigned char kThreePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x03, 0x08, 0x06, 0x00, 0x00, 0x00, 0x56,
    0x28, 0xb5, 0xbf, 0x00, 0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
    0xff, 0x9f, 0xe1, 0x3f, 0x0c, 0x33, 0xe0, 0xe4, 0x00, 0x00, 0x11, 0x32, 0x1a, 0xe6, 0x97,
    0x08, 0x4e, 0xc2, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The window's icon as the window manager reads it: each picture's size and pixels (ARGB).
std::vector<std::pair<int, std::vector<uint32_t>>> windowManagerIcon(Fl_Window& w) {
  Atom property = XInternAtom(fl_display, "_NET_WM_ICON", False);
  Atom type;
  int format;
  unsigned long count;
  unsigned long after;
  unsigned char* data = nullptr;
  std::vector<std::pair<int, std::vector<uint32_t>>> pictures;
  if (XGetWindowProperty(fl_display, fl_xid(&w), property, 0, 1 << 16, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) != 0 ||
      !data) {
    return pictures;
  }
  const auto* values = reinterpret_cast<const unsigned long*>(data);
  for (unsigned long at = 0; at + 2 <= count;) {
    const unsigned long side = values[at];
    at += 2;
    if (side * side > count - at) break;
    std::vector<uint32_t> pixels;
    // 32-bit items come as longs, sign-extended.
    for (unsigned long i = 0; i < side * side; ++i) pixels.push_back(static_cast<uint32_t>(values[at + i]));
    pictures.emplace_back(static_cast<int>(side), std::move(pixels));
    at += side * side;
  }
  XFree(data);
  return pictures;
}

TEST_F(FltkDisplayTest, TheFormsIconReachesTheWindowManagerAtEverySizeThatDecodes) {
  static const Icon icon{{2, kTwoPng},
                         {4, kThreePng},                       // not the size it claims
                         {3, std::span(kThreePng).first(40)},  // cut short
                         {3, kThreePng}};
  static const Icon other{{3, kThreePng}};
  Owned<Form> f(createForm<Form>());
  f->setCaption("Icon test");
  f->setBounds(10, 10, 120, 80);
  f->setIcon(&icon);
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  auto pictures = windowManagerIcon(*w);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[0].first, 2);
  EXPECT_EQ(pictures[0].second, (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000}));
  EXPECT_EQ(pictures[1].first, 3);
  EXPECT_EQ(pictures[1].second, std::vector<uint32_t>(9, 0xFFFFFF00));
  // Another icon replaces it on the shown window; none takes it away.
  f->setIcon(&other);
  app().processMessages();
  pictures = windowManagerIcon(*w);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].first, 3);
  f->setIcon(nullptr);
  app().processMessages();
  EXPECT_TRUE(windowManagerIcon(*w).empty());
}

TEST_F(FltkDisplayTest, ControlsArePaintedWithTheirColours) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Paint test");
  f->setColor(0xBDBDBD);
  f->setBounds(0, 0, 160, 100);
  auto* shape = new Shape(f.get());
  shape->setParent(f.get());
  shape->setBounds(100, 20, 40, 40);
  shape->setBrushColor(clRed);
  auto* panel = new Panel(f.get());
  panel->setParent(f.get());
  panel->setBounds(10, 20, 60, 40);
  panel->setColor(clBlue);
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  // Until the server has mapped and exposed the window (bounded).
  for (int i = 0; i < 200 && pixel(*w, 5, 5) != 0xBDBDBDu; ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, 5, 5), 0xBDBDBDu);
  EXPECT_EQ(pixel(*w, 120, 40), static_cast<Color>(clRed));
  EXPECT_EQ(pixel(*w, 40, 40), static_cast<Color>(clBlue));
  // The raised bevel's light top edge.
  EXPECT_EQ(pixel(*w, 40, 20), colorToRGB(clBtnHighlight));
  panel->setColor(clLime);
  app().processMessages();
  EXPECT_EQ(pixel(*w, 40, 40), static_cast<Color>(clLime));
}

// Dark pixels of a label's text, in a shown window.
int darkTextPixels(DisplayBackend& display) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Text test");
  f->setColor(clWhite);
  f->setBounds(0, 0, 160, 40);
  make<Label>(f.get(), f.get(), "text", 4, 4, 150, 30)->setCaption("WWWW MMMM");
  f->show();
  app().processMessages();
  FormWindow* w = display.windowOf(*f);
  if (!w) return -1;
  // Until the server has mapped and exposed the window (bounded).
  for (int i = 0; i < 200 && FltkDisplayTest::pixel(*w, 155, 35) != static_cast<Color>(clWhite); ++i)
    Fl::wait(0.01);
  std::vector<uchar> rgb(160 * 40 * 3);
  w->make_current();
  fl_read_image(rgb.data(), 0, 0, 160, 40);
  int dark = 0;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    if (rgb[i] < 100 && rgb[i + 1] < 100 && rgb[i + 2] < 100) ++dark;
  }
  return dark;
}

TEST_F(FltkDisplayTest, TextIsDrawnAfterTheBackendIsInstalledAgain) {
  const int first = darkTextPixels(display());
  ASSERT_GT(first, 0);
  uninstall();
  ASSERT_TRUE(install());
  EXPECT_EQ(darkTextPixels(display()), first);
}

TEST_F(FltkDisplayTest, APageControlOnAPageDrawsItsOwnTabs) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Nested tabs test");
  f->setBounds(0, 0, 300, 200);
  auto* outer = make<PageControl>(f.get(), f.get(), "outer", 0, 0, 300, 200);
  outer->setOwnerDraw(true);
  outer->onDrawTab = [](PageControl* c, int, const Rect& r, bool) {
    c->canvas().brush.color = clWhite;
    c->canvas().fillRect(r);
  };
  auto* page = new TabSheet(f.get());
  page->setCaption("Outer");
  page->setPageControl(outer);
  auto* inner = make<PageControl>(f.get(), page, "inner");
  inner->setAlign(Align::Client);
  inner->setTabHeight(20);
  inner->setOwnerDraw(true);
  inner->onDrawTab = [](PageControl* c, int, const Rect& r, bool active) {
    c->canvas().brush.color = active ? clRed : clBlue;
    c->canvas().fillRect(r);
  };
  for (const char* caption : {"One", "Two"}) {
    auto* sheet = new TabSheet(f.get());
    sheet->setCaption(caption);
    sheet->setPageControl(inner);
  }
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  auto inWindow = [&](int tab) {
    const Rect r = inner->tabRect(tab);
    const Point p = inner->clientToScreen({r.left + 4, r.top + 4});
    const Point origin = f->clientToScreen({0, 0});
    return Point{p.x - origin.x, p.y - origin.y};
  };
  const Point active = inWindow(0);
  const Point other = inWindow(1);
  for (int i = 0; i < 200 && pixel(*w, active.x, active.y) != static_cast<Color>(clRed); ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, active.x, active.y), static_cast<Color>(clRed));
  EXPECT_EQ(pixel(*w, other.x, other.y), static_cast<Color>(clBlue));
}

// Twelve panels one inside the other, more than the toolkit's clip stack holds: the innermost panel's
// picture and shape are drawn, the shape cut at the panel's edge, and nothing goes wrong on the way.
TEST_F(FltkDisplayTest, ControlsNestedDeeperThanTheToolkitsClipStackAreDrawnAndClipped) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Deep nesting test");
  f->setColor(clWhite);
  f->setBounds(0, 0, 200, 200);
  WinControl* parent = f.get();
  for (int i = 0; i < 12; ++i) {
    auto* panel = make<Panel>(f.get(), parent, "panel", 2, 2, parent->width() - 4, parent->height() - 4);
    panel->setBevelOuter(BevelCut::None);
    panel->setBevelInner(BevelCut::None);
    panel->setColor(i % 2 ? clBlue : clNavy);
    parent = panel;
  }
  // The innermost panel spans 24..175 of the window.
  auto* shape = make<Shape>(f.get(), parent, "shape", -10, 10, 40, 40);
  shape->setBrushColor(clRed);
  shape->setPenColor(clRed);
  auto* image = make<Image>(f.get(), parent, "picture", 60, 60, 20, 20);
  image->setPicture(Bitmap(20, 20));
  image->canvas().brush.color = clLime;
  image->canvas().fillRect({0, 0, 20, 20});
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 200 && pixel(*w, 94, 94) != static_cast<Color>(clLime); ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, 94, 94), static_cast<Color>(clLime)) << "the innermost picture";
  EXPECT_EQ(pixel(*w, 30, 50), static_cast<Color>(clRed)) << "the shape inside its panel";
  EXPECT_EQ(pixel(*w, 23, 50), static_cast<Color>(clNavy)) << "the shape cut at its panel's edge";
  backend().paintOffscreen(*f);
  EXPECT_EQ(takeDrawingFaults(), std::vector<std::string>{});
}

// A clip that painting code opens and does not close: a fault that names the window and its page.
TEST_F(FltkDisplayTest, AClipLeftOpenInPaintingIsAFaultNamingTheWindowAndItsPage) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Clip fault test");
  f->setBounds(0, 0, 200, 100);
  auto* pc = make<PageControl>(f.get(), f.get(), "pc", 0, 0, 200, 100);
  auto* page = new TabSheet(f.get());
  page->setCaption("&Only");
  page->setPageControl(pc);
  pc->setOwnerDraw(true);
  bool leak = false;
  pc->onDrawTab = [&leak](PageControl*, int, const Rect&, bool) {
    if (std::exchange(leak, false)) fl_push_clip(0, 0, 1, 1);
  };
  f->show();
  leak = true;
  backend().paintOffscreen(*f);
  fl_pop_clip();  // the toolkit's stack as it was, for the tests after this one
  const std::vector<std::string> faults = takeDrawingFaults();
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(
      faults.front(),
      "window \"Clip fault test\" (pages \"Only\"): a clip of the toolkit opened inside a clip scope was "
      "not closed in it");
  EXPECT_EQ(
      faults.back(),
      "window \"Clip fault test\" (pages \"Only\"): the painting left the toolkit's clip stack otherwise "
      "than it found it");
}

TEST_F(FltkDisplayTest, DisabledEditsAreGreyedUnlessGivenAColourOfTheirOwn) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Disabled edits test");
  f->setBounds(0, 0, 200, 100);
  auto* plain = make<Edit>(f.get(), f.get(), "plain", 10, 10, 80, 22);
  auto* own = make<Edit>(f.get(), f.get(), "own", 100, 10, 80, 22);
  own->setColor(0xC0C0C0);
  auto* list = make<ComboBox>(f.get(), f.get(), "list", 10, 50, 80, 21);
  list->setColor(0x808080);
  for (Control* c : std::initializer_list<Control*>{plain, own, list}) c->setEnabled(false);
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 200 && pixel(*w, 170, 20) != 0xC0C0C0u; ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, 80, 20), colorToRGB(clBtnFace));
  EXPECT_EQ(pixel(*w, 170, 20), 0xC0C0C0u);
  EXPECT_EQ(pixel(*w, 12 + 2, 60), 0x808080u);
}

TEST_F(FltkDisplayTest, RepaintDrawsNowWithoutRunningMessages) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Repaint test");
  f->setBounds(0, 0, 120, 80);
  auto* panel = new Panel(f.get());
  panel->setParent(f.get());
  panel->setBounds(10, 10, 60, 40);
  panel->setColor(clBlue);
  bool ran = false;
  app().post([&ran] { ran = true; });
  f->show();
  panel->repaint();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 200 && pixel(*w, 40, 30) != static_cast<Color>(clBlue); ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, 40, 30), static_cast<Color>(clBlue));
  panel->setColor(clLime);
  panel->repaint();
  EXPECT_EQ(pixel(*w, 40, 30), static_cast<Color>(clLime));
  EXPECT_FALSE(ran);
}

// A caption with a line break shows as two rows beside the box; a CR next to the LF adds nothing (no row,
// no glyph).
TEST_F(FltkDisplayTest, CheckBoxCaptionWithALineBreakShowsTwoRows) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Check box rows test");
  f->setColor(clWhite);
  f->setBounds(0, 0, 160, 100);
  auto addBox = [&](int top, const char* caption) {
    auto* box = new CheckBox(f.get());
    box->setParent(f.get());
    box->setBounds(10, top, 140, 30);
    box->setCaption(caption);
    box->setTabStop(false);  // no focus frame around either caption
  };
  addBox(10, "Program\n\rUnknown PCB");
  addBox(50, "Program\nUnknown PCB");
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 200 && pixel(*w, 5, 5) != static_cast<Color>(clWhite); ++i) Fl::wait(0.01);
  Fl::flush();
  w->make_current();
  auto caption = [&](int top) {
    std::vector<uchar> rgb(static_cast<size_t>(113 * 30 * 3));
    fl_read_image(rgb.data(), 27, top, 113, 30);
    return rgb;
  };
  const auto withCr = caption(10);
  EXPECT_EQ(withCr, caption(50));
  // Dark text pixels in the top and in the bottom quarter: one row each. A single row would sit in the
  // middle and leave both empty.
  auto darkRows = [&](int from, int to) {
    int n = 0;
    for (int y = from; y < to; ++y)
      for (int x = 0; x < 113; ++x) n += withCr[static_cast<size_t>((y * 113 + x) * 3)] < 0x80;
    return n;
  };
  EXPECT_GT(darkRows(1, 7), 0);
  EXPECT_GT(darkRows(23, 29), 0);
}

TEST_F(FltkDisplayTest, ListTogglePictureAndUpDownAreDrawnFromTheirState) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Dialog controls test");
  f->setBounds(0, 0, 220, 120);
  auto* list = make<ListBox>(f.get(), f.get(), "list", 10, 10, 100, 60);
  list->items().assign({"first", "second"});
  list->setItemIndex(1);
  auto* toggle = make<CheckBox>(f.get(), f.get(), "toggle", 120, 10, 60, 24);
  toggle->setPushLike(true);
  toggle->setCaption("OUT");
  auto* image = make<Image>(f.get(), f.get(), "picture", 120, 50, 40, 30);
  image->setPicture(Bitmap(40, 30));
  image->canvas().brush.color = clLime;
  image->canvas().fillRect({10, 10, 20, 20});
  auto* ud = make<UpDown>(f.get(), f.get(), "ud", 170, 50, 40, 20);
  ud->setOrientation(UpDownOrientation::Horizontal);
  f->show();
  app().processMessages();
  FormWindow* w = display().windowOf(*f);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 200 && pixel(*w, 135, 65) != static_cast<Color>(clLime); ++i) Fl::wait(0.01);
  EXPECT_EQ(pixel(*w, 135, 65), static_cast<Color>(clLime)) << "the canvas's square on the picture";
  EXPECT_EQ(pixel(*w, 125, 55), 0u) << "the picture's own black";
  const int second = 10 + ListBox::kBorder + list->itemHeight() + list->itemHeight() / 2;
  EXPECT_EQ(pixel(*w, 100, second), colorToRGB(clHighlight)) << "the selected line";
  EXPECT_EQ(pixel(*w, 100, 10 + ListBox::kBorder + 2), colorToRGB(clWindow));
  EXPECT_EQ(pixel(*w, 120, 10), colorToRGB(clBtnHighlight)) << "a raised button while unchecked";
  toggle->setChecked(true);
  app().processMessages();
  EXPECT_EQ(pixel(*w, 120, 10), 0x404040u) << "pressed while checked";
  EXPECT_EQ(pixel(*w, 170, 50), colorToRGB(clBtnHighlight)) << "the up-down's left arrow button";
}

TEST_F(FltkDisplayTest, ModalFormWaitsForTheUserWhileTimersRun) {
  Owned<Form> dialog(createForm<Form>());
  dialog->setCaption("Modal test");
  auto* ok = new Button(dialog.get());
  ok->setParent(dialog.get());
  ok->setModalResult(ModalResult::Ok);
  int ticks = 0;
  Timer timer(20);
  // The "user" clicks OK once the timer has run a few times inside the modal loop.
  timer.onTimer = [&] {
    if (++ticks == 5) input::click(*ok);
  };
  timer.setEnabled(true);
  EXPECT_EQ(dialog->showModal(), ModalResult::Ok);
  EXPECT_EQ(ticks, 5);
}

TEST_F(FltkDisplayTest, TextIsMeasuredWithTheDisplaysFonts) {
  Font f;
  Size narrow = backend().textExtent(f, "iiii");
  Size wide = backend().textExtent(f, "WWWW");
  EXPECT_GT(wide.width, narrow.width);
  EXPECT_GT(narrow.height, 0);
  f.size = 16;
  EXPECT_GT(backend().textExtent(f, "WWWW").width, wide.width);
}

TEST_F(FltkDisplayTest, HintsWrapAtTheWidthTheProgramSets) {
  const std::string text =
      "With \"Auto LampOn\" on, the fixture will automatically strike the lamp at power up. Most lamps has a "
      "random delay of up to 90 seconds before striking.";
  showHintWindow(text, 10, 10, Font{}, 150);
  const Size wrapped = hintWindowSize();
  EXPECT_LE(wrapped.width, 150);
  EXPECT_GT(wrapped.width, 100);
  EXPECT_GE(wrapped.height, 5 * lineHeight(Font{}));
  // Without a limit the hint is one line.
  showHintWindow(text, 10, 10, Font{}, 0);
  EXPECT_GT(hintWindowSize().width, 500);
  EXPECT_LT(hintWindowSize().height, 2 * lineHeight(Font{}) + 4);
  showHintWindow("", 0, 0, Font{});
}

// Presses the keys of the text (lower-case letters, digits, '/', '.', '-', '\n' for Enter) on the
// display's keyboard, as a user would, into the window under the pointer.
void typeKeys(const std::string& text) {
  for (char ch : text) {
    KeySym sym = static_cast<KeySym>(ch);
    if (ch == '/') sym = XK_slash;
    if (ch == '.') sym = XK_period;
    if (ch == '-') sym = XK_minus;
    if (ch == '\n') sym = XK_Return;
    const KeyCode code = XKeysymToKeycode(fl_display, sym);
    XTestFakeKeyEvent(fl_display, code, True, 0);
    XTestFakeKeyEvent(fl_display, code, False, 0);
  }
  XFlush(fl_display);
}

// Opens a save dialog on the folder (proposing the name) and types the keys into it once it is shown; the
// path chosen.
std::string saveWithTypedName(const std::filesystem::path& folder, const std::string& keys,
                              const std::string& proposed = "") {
  SaveDialog dialog(nullptr);
  dialog.initialDir = folder.string();
  dialog.fileName = proposed;
  dialog.filter = "Text files (*.txt)|*.txt";
  dialog.defaultExt = "txt";
  dialog.options = kOverwritePrompt | kPathMustExist;
  bool typed = false;
  int waited = 0;
  Timer typist(30);
  typist.onTimer = [&] {
    // Keys that choose nothing end the dialog (cancelled) after three seconds instead of leaving it up.
    if (typed && ++waited == 100) app().terminate();
    Fl_Window* w = Fl::first_window();
    if (typed || !w || !w->shown() || !w->label() || std::string(w->label()) != "Save As") return;
    XTestFakeMotionEvent(fl_display, -1, w->x_root() + 40, w->y_root() + 40, 0);
    typeKeys(keys);
    typed = true;
  };
  typist.setEnabled(true);
  const bool chosen = dialog.execute();
  EXPECT_TRUE(typed);
  return chosen ? dialog.fileName : std::string("(cancelled)");
}

TEST_F(FltkDisplayTest, FileDialogTakesAPlainARelativeAndAFullName) {
  // Names the test types only with keys that need no shift.
  const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                     ("zemfiledialog" + std::to_string(std::random_device{}() % 100000));
  const std::filesystem::path folder = base / "logs";
  const std::filesystem::path other = base / "other";
  std::filesystem::create_directories(folder / "sub");
  std::filesystem::create_directories(other);
  EXPECT_EQ(saveWithTypedName(folder, "notes\n"), (folder / "notes.txt").string());
  EXPECT_EQ(saveWithTypedName(folder, "sub/notes.txt\n"), (folder / "sub" / "notes.txt").string());
  EXPECT_EQ(saveWithTypedName(folder, (other / "full.txt").string() + "\n"), (other / "full.txt").string());
  // A folder's name opens the folder; the next name lies in it.
  EXPECT_EQ(saveWithTypedName(folder, "sub\nlast\n"), (folder / "sub" / "last.txt").string());
  std::filesystem::remove_all(base);
}

// A help page with a contents line at its start and a topic far below it.
std::filesystem::path writeHelpPage() {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("zemhelp" + std::to_string(std::random_device{}() % 100000) + ".hlp");
  std::ofstream out(file);
  out << "<html><head><title>Test help</title></head><body><a name=\"Contents\"></a><h1>Contents</h1>\n";
  for (int i = 0; i < 200; ++i) out << "<p>Line " << i << "</p>\n";
  out << "<h2><a name=\"Far\">Far topic</a></h2><p>The end.</p></body></html>\n";
  return file;
}

TEST_F(FltkDisplayTest, HelpRequestsOpenOneViewerAtTheirTopicAndItGoesWithTheBackend) {
  const std::filesystem::path file = writeHelpPage();
  app().setHelpFile(file.string());
  ASSERT_TRUE(app().helpJump("Far"));
  app().processMessages();
  HelpViewer* viewer = helpViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->shown());
  EXPECT_EQ(viewer->location(), file.string() + "#Far");
  EXPECT_EQ(viewer->title(), "Test help");
  EXPECT_GT(viewer->scrolledTo(), 1000);
  EXPECT_EQ(viewer->clippedTextReport(), "");
  // The contents: the same viewer, at the page's start.
  ASSERT_TRUE(app().helpCommand(kHelpTopics, 0));
  app().processMessages();
  EXPECT_EQ(helpViewer(), viewer);
  EXPECT_EQ(viewer->location(), file.string());
  EXPECT_EQ(viewer->scrolledTo(), 0);
  // Closing the backend closes the viewer's window.
  uninstall();
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    EXPECT_STRNE(w->label(), "Test help");
  }
  std::filesystem::remove(file);
}

TEST_F(FltkDisplayTest, HelpViewerReportsAPageWiderThanItsView) {
  const std::filesystem::path file = writeHelpPage();
  {
    std::ofstream out(file);
    out << "<html><head><title>Wide</title></head><body><table width=\"2000\"><tr><td>x</td></tr></table>"
           "</body></html>\n";
  }
  app().setHelpFile(file.string());
  ASSERT_TRUE(app().helpCommand(kHelpContents, 0));
  ASSERT_NE(helpViewer(), nullptr);
  EXPECT_NE(helpViewer()->clippedTextReport().find("wider than the view"), std::string::npos);
  std::filesystem::remove(file);
}

TEST_F(FltkDisplayTest, FileDialogOpensInAFolderThatExists) {
  const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                     ("zemfiledialog" + std::to_string(std::random_device{}() % 100000));
  std::filesystem::create_directories(base);
  // Refusals ("Path does not exist.") are answered at once; the dialog then asks again.
  setMessageBoxResponder([](const MessageBoxRequest&) { return ModalResult::Ok; });
  // A folder that is not there: the dialog shows the nearest one that is, and a plain name lies in it; the
  // name typed replaces the one proposed.
  EXPECT_EQ(saveWithTypedName(base / "gone" / "deeper", "plain\n", "proposed.txt"),
            (base / "plain.txt").string());
  setMessageBoxResponder(nullptr);
  std::filesystem::remove_all(base);
}

// Shows the box and presses the keys on the display once it is up; the answer. Keys that answer nothing
// end the box (with Cancel) after three seconds instead of leaving it up.
ModalResult answerWithKeys(const MessageBoxRequest& request, const std::string& keys) {
  bool typed = false;
  int seen = 0;
  int waited = 0;
  Timer typist(30);
  typist.onTimer = [&] {
    if (typed) {
      if (++waited == 100) app().terminate();
      return;
    }
    Fl_Window* w = Fl::first_window();
    if (!w || !w->shown() || !w->label() || std::string(w->label()) != request.caption) return;
    if (++seen < 3) return;  // mapped by the server
    // The keyboard to the new window, as a window manager gives it (Xvfb runs none).
    XSetInputFocus(fl_display, fl_xid(w), RevertToPointerRoot, CurrentTime);
    typeKeys(keys);
    typed = true;
  };
  typist.setEnabled(true);
  const ModalResult answer = messageBox(request);
  EXPECT_TRUE(typed);
  return answer;
}

TEST_F(FltkDisplayTest, EnterAnswersAMessageBoxWithItsDefaultButton) {
  MessageBoxRequest careful{MessageKind::Warning, "Careful", "Continue anyway?", MessageButtons::YesNo};
  careful.defaultButton = ModalResult::No;
  EXPECT_EQ(answerWithKeys(careful, "\n"), ModalResult::No);
  const MessageBoxRequest question{MessageKind::Confirmation, "Question", "Save first?",
                                   MessageButtons::YesNoCancel};
  EXPECT_EQ(answerWithKeys(question, "\n"), ModalResult::Yes);
}

TEST_F(FltkDisplayTest, AnIdleWindowSendsNothingToTheServer) {
  Owned<Form> f(createForm<Form>());
  f->setCaption("Idle test");
  f->setBorderStyle(BorderStyle::SizeToolWin);
  f->setBounds(10, 10, 200, 120);
  f->show();
  for (int i = 0; i < 5; ++i) app().processMessages();
  // Every request to the server is answered by events that wake the loop again: an unchanged window
  // must cost none, or the loop spins.
  const unsigned long before = XNextRequest(fl_display);
  for (int i = 0; i < 20; ++i) {
    display().sync();
    app().idleWaitMs();
  }
  EXPECT_EQ(XNextRequest(fl_display), before);
}

TEST_F(FltkDisplayTest, AnotherThreadsPostEndsTheIdleWait) {
  bool ran = false;
  const auto start = std::chrono::steady_clock::now();
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    app().post([&] { ran = true; });
  });
  // Waits for the post, not for the limit.
  while (!ran && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    app().idle(5000);
    app().processMessages();
  }
  poster.join();
  EXPECT_TRUE(ran);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace ui::fltk
