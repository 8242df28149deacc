// Word wrap and the text-fit check, on the headless backend's fixed metrics: every character of the
// default 8-point font is 6 pixels wide and a line is 13 pixels high.
#include "platform/ui/text_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/controls.h"
#include "platform/ui/dump.h"
#include "platform/ui/edits.h"
#include "platform/ui/list_box.h"
#include "platform/ui/page_control.h"
#include "platform/ui/text_layout.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

using Rows = std::vector<std::string>;

TEST(TextLayoutTest, WrapsAfterTheLastBlankThatFitsAndSplitsLongWords) {
  const Font f;
  EXPECT_EQ(wrapText(f, "one two three", 60), (Rows{"one two", "three"}));  // 10 characters a row
  EXPECT_EQ(wrapText(f, "abcdefghijklmno", 60), (Rows{"abcdefghij", "klmno"}));
  EXPECT_EQ(wrapText(f, "a\r\nb\rc\nd", 60), (Rows{"a", "b", "c", "d"}));
  EXPECT_EQ(wrapText(f, "", 60), (Rows{""}));
  EXPECT_EQ(wrapText(f, "x", 1), (Rows{"x"}));  // at least one character a row
  EXPECT_EQ(wrappedTextExtent(f, "one two three", 60), (Size{42, 26}));
}

TEST(TextLayoutTest, WrappingLabelTakesTheHeightOfItsRows) {
  app().reset();
  Owned<Label> l(new Label(nullptr));
  l->setWidth(60);
  l->setWordWrap(true);
  l->setCaption("one two three four");
  EXPECT_EQ(l->width(), 60);
  EXPECT_EQ(l->height(), 26);
}

class TextFitTest : public ShownFormTest {
 protected:
  std::string report() { return clippedTextReport(*form_); }
};

TEST_F(TextFitTest, EverythingThatFitsPasses) {
  form_->setCaption("Fits");
  auto* l = add<Label>("lShort");
  l->setCaption("Short");
  auto* b = add<Button>("bOk");
  b->setBounds(10, 40, 75, 25);
  b->setCaption("&OK");
  auto* c = add<ComboBox>("cb");
  c->setBounds(10, 80, 120, 21);
  c->items().assign({"Off", "On"});
  EXPECT_EQ(report(), "");
}

TEST_F(TextFitTest, ReportNamesWindowControlAndText) {
  form_->setCaption("Settings");
  auto* g = add<GroupBox>("gbStatus");
  g->setBounds(10, 10, 100, 60);
  auto* l = add<Label>("lValue", g);
  l->setBounds(40, 20, 0, 0);
  l->setCaption("Lightsensor value:512");  // autosized: runs past the frame
  EXPECT_EQ(report(),
            "window \"Settings\": control \"gbStatus/lValue\" (Label) cuts \"Lightsensor value:512\" (needs "
            "166x33, has "
            "98x58)");
  l->setCaption("Light:512");
  EXPECT_EQ(report(), "");
}

TEST_F(TextFitTest, ButtonsPanelsCheckBoxesCombosEditsAndGroupCaptions) {
  auto* sb = add<SpeedButton>("sbPrevious");
  sb->setBounds(0, 0, 72, 26);
  sb->setCaption("Previous Scene");  // 84 pixels
  auto findings = findClippedText(*form_);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].control, "sbPrevious");
  EXPECT_EQ(findings[0].needed.width, 84);
  EXPECT_EQ(findings[0].room.width, 68);
  sb->setWidth(88);
  EXPECT_EQ(report(), "");

  auto* p = add<Panel>("pCapture");
  p->setBounds(0, 30, 100, 24);
  p->setCaption("Capture current sensor value");
  auto* cb = add<CheckBox>("cbOn");
  cb->setBounds(0, 60, 40, 17);
  cb->setCaption("Enabled");
  auto* combo = add<ComboBox>("cbMode");
  combo->setBounds(0, 80, 80, 21);
  combo->items().assign({"Off", "Synchronized"});  // an item not shown now is checked too
  auto* spin = add<SpinEdit>("seAddress");
  spin->setBounds(0, 110, 30, 21);
  spin->setCaption("512");
  auto* gb = add<GroupBox>("gbTimer");
  gb->setBounds(0, 140, 80, 40);
  gb->setCaption(" Stand-Alone timer settings ");
  std::vector<std::string> names;
  for (const ClippedText& t : findClippedText(*form_)) names.push_back(t.control);
  EXPECT_EQ(names, (std::vector<std::string>{"pCapture", "cbOn", "cbMode", "seAddress", "gbTimer"}));
}

TEST_F(TextFitTest, CheckBoxCaptionOnTwoRowsNeedsTheHeightOfBoth) {
  auto* c = add<CheckBox>("cbUnknown");
  c->setBounds(10, 10, 17 + 66, 26);
  c->setCaption("Program\n\rUnknown PCB");  // "Unknown PCB": 11 characters, 66 pixels; two rows of 13
  EXPECT_EQ(report(), "");
  c->setHeight(25);
  EXPECT_NE(report().find("control \"cbUnknown\" (CheckBox)"), std::string::npos) << report();
  c->setBounds(10, 10, 17 + 65, 26);
  EXPECT_NE(report().find("needs 66x26, has 65x26"), std::string::npos) << report();
}

TEST_F(TextFitTest, APushLikeCheckBoxHasTheWholeFaceForItsCaption) {
  auto* c = add<CheckBox>("cbInputA");
  c->setPushLike(true);
  c->setBounds(10, 10, 2 * 2 + 18, 17);  // "OUT": 18 pixels, no box beside it
  c->setCaption("OUT");
  EXPECT_EQ(report(), "");
  c->setWidth(2 * 2 + 17);
  EXPECT_NE(report().find("control \"cbInputA\" (CheckBox)"), std::string::npos) << report();
}

TEST_F(TextFitTest, EveryListBoxLineFitsInsideItsBorderAndScrollBar) {
  auto* l = add<ListBox>("lbDevices");
  l->setBounds(10, 10, 2 * 2 + 2 * 2 + 60, 2 * 2 + 13 * 2);  // room for 10 characters, two lines
  l->items().add("0123456789", 1);
  l->items().add("short", 2);
  EXPECT_EQ(report(), "");
  l->items().add("third", 3);  // a scroll bar now takes 16 pixels of the width
  EXPECT_NE(report().find("cuts \"0123456789\""), std::string::npos) << report();
}

// Labels that grow with their text run into the next one on their row; a label clipped short of its
// neighbour, one on another row, one right-aligned away from it and one in another parent do not count.
TEST_F(TextFitTest, LabelsOfOneParentMustNotDrawOverEachOther) {
  form_->setCaption("Monitor");
  auto* g = add<GroupBox>("gbValues");
  g->setBounds(0, 0, 390, 200);
  auto* light = add<Label>("lLight", g);
  light->setBounds(8, 20, 0, 0);
  light->setCaption("Ambient light sensor: 0 Lux");  // autosized: 162 pixels, up to 170
  auto* voltage = add<Label>("lVoltage", g);
  voltage->setBounds(120, 20, 0, 0);
  voltage->setCaption("PCB voltage: 0.0 Volt");
  EXPECT_EQ(report(),
            "window \"Monitor\": control \"gbValues/lLight\" (Label) draws \"Ambient light sensor: 0 Lux\" "
            "over \"PCB voltage: 0.0 Volt\" of control \"gbValues/lVoltage\"");
  voltage->setLeft(170);
  EXPECT_EQ(report(), "");  // side by side
  voltage->setLeft(120);
  voltage->setTop(40);
  EXPECT_EQ(report(), "");  // the next row

  // Not autosized: the text is clipped to the label, which the check of its own room reports, not this one.
  auto* right = add<Label>("lRight", g);
  right->setAutoSize(false);
  right->setBounds(8, 60, 200, 13);
  right->setAlignment(Alignment::Right);
  right->setCaption("Right");  // drawn at 178..208
  auto* left = add<Label>("lLeft", g);
  left->setBounds(8, 60, 0, 0);
  left->setCaption("Left side");
  EXPECT_EQ(report(), "");
  right->setAlignment(Alignment::Left);
  EXPECT_NE(report().find("draws \"Right\" over \"Left side\""), std::string::npos) << report();
  right->setVisible(false);
  EXPECT_EQ(report(), "");  // hidden

  auto* other = add<Label>("lOther");
  other->setBounds(8, 220, 0, 0);
  other->setCaption("On the form, below the group");
  EXPECT_EQ(report(), "");  // labels of two parents are not compared
}

// What the display paints after a label covers its text: a later control without a window of its own (a
// picture), or a windowed one wherever it stands; one painted before lies underneath.
TEST_F(TextFitTest, NoControlIsPaintedOverALabelsText) {
  form_->setCaption("Info");
  auto* g = add<GroupBox>("gbInfo");
  g->setBounds(0, 0, 300, 90);
  auto* backdrop = add<Shape>("sBackdrop", g);
  backdrop->setBounds(0, 10, 300, 80);
  auto* edit = add<Edit>("eValue", g);  // windowed, made before the label
  edit->setBounds(200, 60, 60, 21);
  auto* name = add<Label>("lName", g);
  name->setBounds(8, 18, 0, 0);
  name->setCaption("Fixture: a long name (serial)");  // 8..182
  auto* picture = add<Image>("iPicture", g);
  picture->setBounds(232, 18, 40, 40);
  EXPECT_EQ(report(), "");
  picture->setLeft(150);
  EXPECT_EQ(report(),
            "window \"Info\": control \"gbInfo/lName\" (Label) draws \"Fixture: a long name (serial)\" under "
            "control \"gbInfo/iPicture\"");
  picture->setTop(34);
  EXPECT_EQ(report(), "");  // below the text's row
  edit->setBounds(100, 14, 60, 21);
  EXPECT_NE(report().find("under control \"gbInfo/eValue\""), std::string::npos) << report();
  edit->setVisible(false);
  EXPECT_EQ(report(), "");

  auto* onForm = add<Label>("lOnForm");
  onForm->setBounds(8, 40, 0, 0);
  onForm->setCaption("On the form, under the group");
  EXPECT_NE(
      report().find("\"lOnForm\" (Label) draws \"On the form, under the group\" under control \"gbInfo\""),
      std::string::npos)
      << report();
}

TEST_F(TextFitTest, HiddenControlsAreNotChecked) {
  auto* l = add<Label>("lHidden");
  l->setCaption(std::string(100, 'x'));
  l->setVisible(false);
  EXPECT_EQ(report(), "");
}

TEST_F(TextFitTest, RichEditsMustWrapOrScroll) {
  auto* re = add<RichEdit>("re1");
  re->setBounds(0, 0, 100, 40);
  re->setScrollBars(ScrollStyle::None);
  re->lines().add("Unsupported fixture connected - communication not possible");
  EXPECT_NE(report().find("\"re1\" (RichEdit)"), std::string::npos);  // wrapped, but too many rows
  re->setScrollBars(ScrollStyle::Both);
  EXPECT_EQ(report(), "");  // wraps and scrolls
  re->setWordWrap(false);
  EXPECT_EQ(report(), "");  // scrolls sideways
  re->setScrollBars(ScrollStyle::Vertical);
  EXPECT_NE(report().find("cuts \"Unsupported fixture"), std::string::npos);
}

TEST_F(TextFitTest, EveryPageIsCheckedAndTheActivePageComesBack) {
  auto* pc = add<PageControl>("PC1");
  pc->setBounds(0, 0, 400, 300);
  auto* first = add<TabSheet>("tsFirst");
  first->setPageControl(pc);
  first->setCaption("First");
  auto* second = add<TabSheet>("tsSecond");
  second->setPageControl(pc);
  second->setCaption("Second");
  pc->setActivePage(first);
  auto* b = add<SpeedButton>("sbWide", second);
  b->setBounds(0, 0, 20, 20);
  b->setCaption("Too wide");
  EXPECT_NE(report().find("PC1/tsSecond/sbWide"), std::string::npos);
  EXPECT_EQ(pc->activePage(), first);
}

// Page controls on a page that is not shown at first: PC2 on tsSecond of PC1, each page a caption.
class NestedPagesTest : public TextFitTest {
 protected:
  void SetUp() override {
    TextFitTest::SetUp();
    pc1_ = add<PageControl>("PC1");
    pc1_->setBounds(0, 0, 400, 300);
    for (const char* name : {"First", "Second"}) addPage(pc1_, name);
    pc2_ = add<PageControl>("PC2", pc1_->page(1));
    pc2_->setBounds(0, 0, 300, 200);
    for (const char* name : {"A", "B"}) addPage(pc2_, name);
    pc1_->setActivePage(pc1_->page(0));
    pc2_->setActivePage(pc2_->page(0));
  }
  void addPage(PageControl* pc, const char* name) {
    auto* page = add<TabSheet>(std::string("ts") + name);
    page->setPageControl(pc);
    page->setCaption(name);
  }
  PageControl* pc1_ = nullptr;
  PageControl* pc2_ = nullptr;
};

TEST_F(NestedPagesTest, PagesOfAPageControlOnAnotherPageAreCheckedToo) {
  auto* b = add<SpeedButton>("sbWide", pc2_->page(1));
  b->setBounds(0, 0, 20, 20);
  b->setCaption("Too wide");
  EXPECT_NE(report().find("PC1/tsSecond/PC2/tsB/sbWide"), std::string::npos);
  EXPECT_EQ(pc1_->activePage(), pc1_->page(0));
  EXPECT_EQ(pc2_->activePage(), pc2_->page(0));
}

// The active page of every shown page control at each drawing the check asks of the backend.
class PageDrawings : public Backend {
 public:
  void paintOffscreen(Control& form) override {
    std::string shown;
    collect(form, shown);
    drawn.push_back(shown);
  }
  std::vector<std::string> drawn;

 private:
  static void collect(const Control& c, std::string& out) {
    if (!c.visible()) return;
    if (auto* pc = dynamic_cast<const PageControl*>(&c); pc && pc->activePage())
      out += (out.empty() ? "" : "/") + pc->activePage()->caption();
    if (auto* w = dynamic_cast<const WinControl*>(&c)) {
      for (const Control* child : w->controls()) collect(*child, out);
    }
  }
};

TEST_F(NestedPagesTest, TheDisplayDrawsEveryPageTheCheckShows) {
  PageDrawings drawings;
  setBackend(&drawings);
  const std::string found = report();
  setBackend(nullptr);
  EXPECT_EQ(found, "");
  EXPECT_EQ(drawings.drawn, (std::vector<std::string>{"First", "Second/A", "Second/B"}));
}

TEST_F(TextFitTest, TabsThatScrollAreClipped) {
  auto* pc = add<PageControl>("PC1");
  pc->setBounds(0, 0, 200, 100);
  for (const char* caption : {"Fixture info", "Fixture settings", "Monitor"}) {
    auto* page = add<TabSheet>(caption);
    page->setPageControl(pc);
    page->setCaption(caption);
  }
  EXPECT_NE(report().find("cuts \"Fixture info | Fixture settings | Monitor\""), std::string::npos);
  pc->setWidth(300);
  EXPECT_EQ(report(), "");
}

TEST_F(TextFitTest, RichEditsAreDumpedWithTheirText) {
  auto* re = add<RichEdit>("reErrors");
  re->lines().add("Fixture reports 1 error");
  re->lines().add("Lamp failure");
  EXPECT_NE(dumpControls(*form_).find("[2 lines: \"Fixture reports 1 error\" \"Lamp failure\"]"),
            std::string::npos);
}

}  // namespace
}  // namespace ui
