#include "platform/ui/component.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sys/clock.h"
#include "platform/sys/sys_testing.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/graphics.h"
#include "platform/ui/strings.h"

namespace ui {
namespace {

class Probe : public Component {
 public:
  Probe(Component* owner, std::vector<std::string>* log, std::string n) : Component(owner), log_(log) {
    setName(n);
  }
  ~Probe() override { log_->push_back(name()); }

 private:
  std::vector<std::string>* log_;
};

TEST(ComponentTest, OwnerFreesWhatItOwnsAndForgetsWhatWasFreed) {
  std::vector<std::string> gone;
  auto* root = new Probe(nullptr, &gone, "root");
  auto* a = new Probe(root, &gone, "a");
  new Probe(a, &gone, "a1");
  auto* b = new Probe(root, &gone, "b");
  Ref<Probe> rb(b);
  b->free();
  EXPECT_FALSE(rb);
  EXPECT_EQ(root->components().size(), 1u);
  EXPECT_EQ(root->findComponent("a"), a);
  EXPECT_EQ(root->findComponent("b"), nullptr);
  root->free();
  // The owner's own destructor runs first, then what it owns goes, each before what that owns.
  EXPECT_EQ(gone, (std::vector<std::string>{"b", "root", "a", "a1"}));
}

TEST(ComponentTest, TimerOwnedByAFormGoesWithIt) {
  sys::ScopedVirtualClock clock;
  app().reset();
  auto* f = createForm<Form>(nullptr);
  auto* t = new Timer(f, 10);
  int fired = 0;
  t->onTimer = [&] { ++fired; };
  t->setEnabled(true);
  f->free();
  clock->advance(100);
  app().processMessages();
  EXPECT_EQ(fired, 0);
  app().reset();
}

TEST(ComponentTest, FixedSizeFormKeepsItsConstraints) {
  app().reset();
  Owned<Form> f(createForm<Form>(nullptr));
  f->setConstraints({600, 400, 600, 400});
  EXPECT_EQ(f->width(), 600);
  f->setBounds(0, 0, 800, 100);
  EXPECT_EQ(f->width(), 600);
  EXPECT_EQ(f->height(), 400);
}

TEST(ComponentTest, CheckBoxReportsEveryChangeOfState) {
  app().reset();
  Owned<Form> f(createForm<Form>(nullptr));
  auto* cb = new CheckBox(f.get());
  cb->setParent(f.get());
  int clicks = 0;
  cb->onClick = [&](Component*) { ++clicks; };
  cb->setChecked(true);
  cb->setChecked(true);
  EXPECT_EQ(clicks, 1);
  cb->click();
  EXPECT_FALSE(cb->checked());
  EXPECT_EQ(clicks, 2);
}

TEST(ComponentTest, LabelTakesTheSizeOfItsTextInItsParentsFont) {
  Panel p(nullptr);
  Font bold;
  bold.bold = true;
  p.setFont(bold);
  auto* l = new Label(&p);
  l->setParent(&p);
  l->setCaption("Scene 1 of 3");
  Canvas c;
  c.font = bold;
  EXPECT_EQ(l->width(), c.textWidth("Scene 1 of 3"));
  EXPECT_EQ(l->height(), c.textHeight("Scene 1 of 3"));
  EXPECT_TRUE(l->font().bold);
  l->setAutoSize(false);
  l->setCaption("x");
  EXPECT_EQ(l->width(), c.textWidth("Scene 1 of 3"));
}

TEST(ComponentTest, CanvasRecordsOperationsWithResolvedColours) {
  Canvas c;
  c.brush.color = 0xBDBDBD;
  c.fillRect({0, 0, 10, 10});
  c.pen.color = clBtnFace;
  c.moveTo(4, 5);
  c.lineTo(20, 5);
  c.brush.style = BrushStyle::Clear;
  c.font.color = clWhite;
  c.textOut(8, 2, "Help");
  ASSERT_EQ(c.ops().size(), 4u);
  EXPECT_EQ(c.ops()[0].brushColor, 0xBDBDBDu);
  EXPECT_EQ(c.ops()[2].from, (Point{4, 5}));
  EXPECT_EQ(c.ops()[2].point, (Point{20, 5}));
  EXPECT_FALSE(isSystemColor(c.ops()[2].penColor));
  EXPECT_EQ(c.ops()[3].text, "Help");
  EXPECT_EQ(c.ops()[3].brushStyle, BrushStyle::Clear);
  EXPECT_EQ(c.ops()[3].rect.width(), c.textWidth("Help"));
  EXPECT_EQ(c.penPos(), (Point{8 + c.textWidth("Help"), 2}));
}

TEST(ComponentTest, BitmapReadsAndWritesOnlyInside) {
  Bitmap b(4, 2, PixelFormat::Bit4);
  b.setPalette({clRed, clLime});
  b.setPixelValue(3, 1, 1);
  b.setPixelValue(4, 1, 1);
  b.setPixelValue(-1, 0, 1);
  b.setPixelValue(0, 0, 17);  // indexes wrap within the 16 entries
  EXPECT_EQ(b.pixelColor(3, 1), clLime);
  EXPECT_EQ(b.pixelValue(0, 0), 1u);
  EXPECT_EQ(b.pixelValue(9, 9), 0u);
  EXPECT_EQ(b.palette().size(), 16u);
  EXPECT_EQ(b.pixelColor(1, 0), clRed);
  EXPECT_EQ(b.transparentColor(), clRed) << "auto: the bottom-left pixel";
}

TEST(ComponentTest, StringsSplitJoinAndSave) {
  Strings s;
  EXPECT_EQ(s.add("a\rb"), 0);
  EXPECT_EQ(s.count(), 1) << "a plain list keeps line breaks inside an item";
  s.setSplitsLines(true);
  s.insert(0, "x\r\ny");
  EXPECT_EQ(s.lines(), (std::vector<std::string>{"x", "y", "a\rb"}));
  s.remove(2);
  s.remove(7);
  EXPECT_EQ(s[5], "");
  // A folder of its own: two test runs at once never share the file.
  sys::testing::TempFolder folder("ui_strings_test_");
  const auto path = folder.path() / "strings.txt";
  ASSERT_TRUE(s.saveToFile(path.string()));
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "x\r\ny\r\n");
  EXPECT_FALSE(s.saveToFile("/nonexistent-dir/x.txt"));
}

}  // namespace
}  // namespace ui
