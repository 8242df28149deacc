#include "platform/ui/controls.h"

#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/ui/dump.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class ControlsTest : public ShownFormTest {};

TEST_F(ControlsTest, ComboBoxReportsOnlyTheUsersChoice) {
  auto* cb = add<ComboBox>("cb");
  cb->setStyle(ComboStyle::DropDownList);
  cb->items().assign({"Off", "On"});
  std::vector<int> changes;
  cb->onChange = [&](Component*) { changes.push_back(cb->itemIndex()); };
  cb->setItemIndex(1);
  EXPECT_EQ(cb->text(), "On");
  cb->setItemIndex(-1);
  EXPECT_EQ(cb->text(), "");
  cb->setItemIndex(7);
  EXPECT_EQ(cb->itemIndex(), -1);
  EXPECT_TRUE(changes.empty());
  EXPECT_TRUE(input::selectComboItem(*cb, 0));
  EXPECT_TRUE(input::selectComboItem(*cb, 0));  // picking the same item again still reports it
  EXPECT_FALSE(input::selectComboItem(*cb, 2));
  ASSERT_TRUE(cb->setFocus());
  input::pressKey(vk::Down);
  EXPECT_EQ(changes, (std::vector<int>{0, 0, 1}));
  cb->setEnabled(false);
  EXPECT_FALSE(input::selectComboItem(*cb, 0));
  cb->setEnabled(true);
  cb->items().clear();
  EXPECT_EQ(cb->itemIndex(), -1);
}

TEST_F(ControlsTest, ComboBoxPickRunsOnClickBeforeItsChangeAndKeepsItsTextUntilThen) {
  auto* cb = add<ComboBox>("cb");
  cb->items().assign({"Centre", "Stop"});
  cb->setCaption("Select action");
  EXPECT_EQ(cb->itemIndex(), -1);
  EXPECT_EQ(cb->text(), "Select action");
  std::vector<std::string> events;
  cb->onClick = [&](Component*) { events.push_back("click " + std::to_string(cb->itemIndex())); };
  cb->onChange = [&](Component*) { events.push_back("change " + std::to_string(cb->itemIndex())); };
  cb->setItemIndex(0);  // the program's own choice: no pick
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(input::selectComboItem(*cb, 1));
  EXPECT_TRUE(input::selectComboItem(*cb, 1));
  ASSERT_TRUE(cb->setFocus());
  input::pressKey(vk::Up);
  EXPECT_EQ(events,
            (std::vector<std::string>{"click 1", "change 1", "click 1", "change 1", "click 0", "change 0"}));
  EXPECT_EQ(cb->text(), "Centre");
}

TEST_F(ControlsTest, SpinEditValueTextAndTyping) {
  auto* se = add<SpinEdit>("se");
  se->setMinValue(1);
  se->setMaxValue(512);
  se->setMaxLength(3);
  int changes = 0;
  se->onChange = [&](Component*) { ++changes; };
  se->setValue(600);
  EXPECT_EQ(se->text(), "512");
  EXPECT_EQ(changes, 1);
  se->setValue(512);
  EXPECT_EQ(changes, 1) << "same text, no change";
  se->setText("abc");
  EXPECT_EQ(se->value(), 1) << "not a number reads as the minimum";
  EXPECT_EQ(se->typedNumber(), std::nullopt);
  for (const char* notYet : {"", " ", "1.5", "+"}) {
    se->setText(notYet);
    EXPECT_EQ(se->typedNumber(), std::nullopt) << '"' << notYet << '"';
  }
  se->setText(" +999 ");
  EXPECT_EQ(se->typedNumber(), 999) << "as typed, beyond the range";

  // A filter like the windows' own: digits only.
  se->onKeyPress = [](Component*, char& k) {
    if (k != '\b' && (k < '0' || k > '9')) k = 0;
  };
  ASSERT_TRUE(se->setFocus());  // selects the text, so typing replaces it
  changes = 0;
  input::typeText("1x2\r0");
  EXPECT_EQ(se->text(), "120");
  EXPECT_EQ(changes, 3);
  input::typeText("9");
  EXPECT_EQ(se->text(), "120") << "max length";
  input::keyPress('\b');
  input::typeText("9");
  EXPECT_EQ(se->value(), 129);
  se->setText("999");
  EXPECT_EQ(se->value(), 999) << "typed values are not limited before the edit is left";
  input::pressKey(vk::Up);
  EXPECT_EQ(se->value(), 512);
  auto* other = add<Edit>("other");
  ASSERT_TRUE(other->setFocus());
  se->setText("0");
  ASSERT_TRUE(se->setFocus());
  ASSERT_TRUE(other->setFocus());
  EXPECT_EQ(se->text(), "1") << "leaving the edit brings the value into range";
}

TEST_F(ControlsTest, PageControlFreesPagesAndDrawsOwnerTabs) {
  auto* pc = add<PageControl>("pc");
  auto* a = add<TabSheet>("a", pc);
  auto* b = add<TabSheet>("b", pc);
  auto* c = add<TabSheet>("c", pc);
  a->setCaption("Alpha");
  b->setCaption("Beta");
  c->setCaption("Gamma");
  EXPECT_EQ(pc->activePage(), a);
  EXPECT_TRUE(a->visible());
  EXPECT_FALSE(b->visible());

  int changes = 0;
  bool allow = false;
  pc->onChanging = [&](Component*, bool& ok) { ok = allow; };
  pc->onChange = [&](Component*) { ++changes; };
  EXPECT_FALSE(input::selectTab(*pc, *b));
  allow = true;
  EXPECT_TRUE(input::selectTab(*pc, *b));
  EXPECT_EQ(changes, 1);
  pc->setActivePage(c);
  EXPECT_EQ(changes, 1) << "the program's own change fires nothing";

  c->free();
  EXPECT_EQ(pc->pageCount(), 2);
  EXPECT_EQ(pc->activePage(), b) << "the last page went: the one before it shows";
  a->free();
  EXPECT_EQ(pc->activePage(), b);
  EXPECT_EQ(pc->activePageIndex(), 0);

  auto* d = add<TabSheet>("d", pc);
  d->setCaption("Delta");
  pc->setOwnerDraw(true);
  std::vector<std::pair<int, bool>> drawn;
  pc->onDrawTab = [&](PageControl* control, int i, const Rect& r, bool active) {
    drawn.push_back({i, active});
    control->canvas().brush.color = active ? clWhite : clSilver;
    control->canvas().fillRect(r);
  };
  pc->drawTabs();
  EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{0, true}, {1, false}}));
  ASSERT_EQ(pc->canvas().ops().size(), 2u);
  EXPECT_EQ(pc->canvas().ops()[1].brushColor, clSilver);
  EXPECT_EQ(pc->canvas().ops()[0].rect, pc->tabRect(0));
}

TEST_F(ControlsTest, RichEditSplitsLinesAndKeepsTheirColours) {
  auto* re = add<RichEdit>("re");
  re->setFontColor(clBlack);
  re->lines().add("Upload finished\rResetting fixture");
  re->appendLine("red\r\nalso red", clRed);
  re->lines().add("a\nb");
  ASSERT_EQ(re->lines().count(), 6);
  EXPECT_EQ(re->lines()[1], "Resetting fixture");
  EXPECT_EQ(re->lineColor(0), clBlack);
  EXPECT_EQ(re->lineColor(3), clRed);
  EXPECT_EQ(re->lines().text(), "Upload finished\r\nResetting fixture\r\nred\r\nalso red\r\na\r\nb\r\n");
  re->lines().setText("x\r\ny\r\n");
  EXPECT_EQ(re->lines().lines(), (std::vector<std::string>{"x", "y"}));
}

TEST_F(ControlsTest, OwnerDrawnMenuAndToolBarFollowTheItems) {
  auto* menu = new MainMenu(form_.get());
  menu->setOwnerDraw(true);
  auto* help = new MenuItem(form_.get());
  help->setCaption("&Help");
  menu->items().add(help);
  auto* about = new MenuItem(form_.get());
  about->setCaption("About");
  help->add(about);
  auto* line = new MenuItem(form_.get());
  line->setCaption("-");
  help->add(line);
  auto* bar = add<ToolBar>("bar");
  bar->setMenu(menu);
  ASSERT_EQ(bar->buttonCount(), 1);
  EXPECT_EQ(bar->button(0)->caption(), "&Help");

  about->onMeasureItem = [](Component*, Canvas& c, int& w, int& h) {
    w = c.textWidth("About") + 8;
    h = c.textHeight("About") + 6;
  };
  line->onMeasureItem = [](Component*, Canvas&, int&, int& h) { h = 6; };
  Canvas canvas;
  Size s = about->measure(canvas);
  EXPECT_EQ(s.width, canvas.textWidth("About") + 8);
  EXPECT_EQ(line->measure(canvas).height, 6);
  bool selectedSeen = false;
  about->onDrawItem = [&](Component*, Canvas&, const Rect&, bool selected) { selectedSeen = selected; };
  about->draw(canvas, {0, 0, 50, 20}, true);
  EXPECT_TRUE(selectedSeen);

  int clicks = 0;
  about->onClick = [&](Component*) { ++clicks; };
  EXPECT_TRUE(input::chooseMenuItem(*about));
  help->setVisible(false);
  EXPECT_FALSE(bar->button(0)->visible());
  EXPECT_FALSE(input::chooseMenuItem(*about));
  EXPECT_EQ(clicks, 1);
  help->free();
  EXPECT_EQ(bar->buttonCount(), 0);
}

TEST_F(ControlsTest, ProgressBarKeepsItsPositionInRange) {
  auto* pg = add<ProgressBar>("pg");
  pg->setMax(3);
  pg->setPosition(5);
  EXPECT_EQ(pg->position(), 3);
  pg->setMax(-1);
  EXPECT_EQ(pg->max(), 0);
  EXPECT_EQ(pg->position(), 0);
}

TEST_F(ControlsTest, DumpListsTheControlTree) {
  auto* p = add<Panel>("pOk");
  p->setBounds(10, 20, 64, 25);
  auto* b = add<SpeedButton>("sbOk", p);
  b->setCaption("Ok");
  b->setBounds(0, 0, 64, 25);
  b->setEnabled(false);
  auto* l = add<Label>("l");
  l->setVisible(false);
  form_->setCaption("Test");
  EXPECT_EQ(dumpControls(*form_),
            "form: Form \"Test\" (0,0,400,300)\n"
            "  pOk: Panel (10,20,64,25) [outer raised, inner none]\n"
            "    sbOk: SpeedButton \"Ok\" (0,0,64,25) disabled\n"
            "  l: Label (0,0,0,13) hidden\n");
}

TEST_F(ControlsTest, FormWithAMenuThatOwnsItsItemsIsFreedCleanly) {
  // The menu goes before the items it owns; their leaving must not reach the menu any more.
  auto* f = createForm<Form>();
  auto* menu = new MainMenu(f);
  auto* bar = new ToolBar(f);
  bar->setParent(f);
  bar->setMenu(menu);
  auto* top = new MenuItem(menu);
  top->setCaption("&File");
  menu->items().add(top);
  auto* sub = new MenuItem(menu);
  sub->setCaption("E&xit");
  top->add(sub);
  EXPECT_EQ(bar->buttonCount(), 1);
  f->free();
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

TEST_F(ControlsTest, PushLikeCheckBoxTogglesLikeAnyCheckBox) {
  auto* c = add<CheckBox>("toggle");
  c->setPushLike(true);
  int clicks = 0;
  c->onClick = [&](Component*) { ++clicks; };
  ASSERT_TRUE(input::click(*c));
  EXPECT_TRUE(c->checked());
  c->setChecked(false);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(c->pushLike());
}

TEST_F(ControlsTest, PictureCanvasDrawsIntoThePicture) {
  auto* image = add<Image>("picture");
  Bitmap paletted(8, 6, PixelFormat::Bit4);
  paletted.setPalette({clBlack, clWhite});
  paletted.setPixelValue(0, 0, 1);
  image->setPicture(paletted);
  PictureCanvas& canvas = image->canvas();
  canvas.brush.color = clLime;
  canvas.fillRect({2, 1, 5, 3});
  canvas.fillRect({6, 4, 20, 20});  // cut at the picture's edge
  canvas.setPixel(-1, 0, clRed);    // outside: nothing
  canvas.setPixel(7, 0, clRed);
  EXPECT_FALSE(image->picture().paletted()) << "a paletted picture becomes 24-bit first";
  EXPECT_EQ(canvas.pixel(0, 0), static_cast<Color>(clWhite));
  EXPECT_EQ(canvas.pixel(2, 1), static_cast<Color>(clLime));
  EXPECT_EQ(canvas.pixel(4, 2), static_cast<Color>(clLime));
  EXPECT_EQ(canvas.pixel(5, 2), static_cast<Color>(clBlack));
  EXPECT_EQ(canvas.pixel(7, 5), static_cast<Color>(clLime));
  EXPECT_EQ(canvas.pixel(7, 0), static_cast<Color>(clRed));
  EXPECT_EQ(canvas.pixel(9, 9), 0u);
}

}  // namespace
}  // namespace ui
