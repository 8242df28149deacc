#include "platform/ui/form.h"

#include <gtest/gtest.h>

#include "platform/sys/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/input.h"
#include "platform/ui/screen.h"

namespace ui {
namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override { app().reset(); }
  void TearDown() override { app().reset(); }
  sys::ScopedVirtualClock clock_;
};

Form* makeForm(const std::string& name, Component* owner = nullptr) {
  auto* f = createForm<Form>(owner);
  f->setName(name);
  f->setCaption(name);
  return f;
}

TEST_F(FormTest, ShowModalDisablesOtherFormsAndRestoresThemWithActivation) {
  Owned<Form> main(makeForm("main"));
  Owned<Form> other(makeForm("other"));
  main->show();
  other->show();
  main->bringToFront();
  std::vector<std::string> events;
  main->onActivate = [&](Component*) { events.push_back("main activated"); };
  main->onDeactivate = [&](Component*) { events.push_back("main deactivated"); };

  Owned<Form> dialog(makeForm("dialog", main.get()));
  auto* ok = new Button(dialog.get());
  ok->setParent(dialog.get());
  ok->setModalResult(ModalResult::Ok);
  dialog->onShow = [&](Component*) { events.push_back("dialog shown"); };
  setModalResponder([&](Form& f) {
    EXPECT_EQ(&f, dialog.get());
    EXPECT_FALSE(main->enabled());
    EXPECT_FALSE(other->enabled());
    EXPECT_TRUE(f.active());
    EXPECT_TRUE(input::click(*ok));
  });
  EXPECT_EQ(dialog->showModal(), ModalResult::Ok);
  EXPECT_TRUE(main->enabled());
  EXPECT_TRUE(other->enabled());
  EXPECT_FALSE(dialog->visible());
  EXPECT_TRUE(main->active());
  EXPECT_EQ(events, (std::vector<std::string>{"dialog shown", "main deactivated", "main activated"}));
  ASSERT_EQ(shownModalForms().size(), 1u);
  EXPECT_EQ(shownModalForms()[0].name, "dialog");
  EXPECT_EQ(shownModalForms()[0].result, ModalResult::Ok);
}

TEST_F(FormTest, NestedModalLoopsKeepTimersRunningAndEndInnermostFirst) {
  Owned<Form> outer(makeForm("outer"));
  Owned<Form> inner(makeForm("inner"));
  Timer timer(nullptr, 10);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  timer.setEnabled(true);
  std::vector<std::string> seen;
  setModalResponder([&](Form& f) {
    seen.push_back(f.name() + std::to_string(modalDepth()));
    if (&f == outer.get()) {
      if (!inner->modal() && seen.size() == 1) {
        EXPECT_EQ(inner->showModal(), ModalResult::Yes);
        EXPECT_TRUE(outer->enabled()) << "the outer modal form is enabled again after the inner one";
        outer->setModalResult(ModalResult::No);
      }
      return;
    }
    EXPECT_FALSE(outer->enabled());
    if (ticks >= 3) f.setModalResult(ModalResult::Yes);
  });
  EXPECT_EQ(outer->showModal(), ModalResult::No);
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(seen.front(), "outer1");
  EXPECT_EQ(seen[1], "inner2");
  EXPECT_EQ(modalDepth(), 0);
  ASSERT_EQ(shownModalForms().size(), 2u);
  EXPECT_EQ(shownModalForms()[0].name, "inner");
  EXPECT_EQ(shownModalForms()[1].name, "outer");
}

TEST_F(FormTest, ModalFormWithoutResponderIsCancelledAndVisibleFormCannotGoModal) {
  Owned<Form> f(makeForm("f"));
  EXPECT_EQ(f->showModal(), ModalResult::Cancel);
  f->show();
  EXPECT_THROW(f->showModal(), std::logic_error);
}

TEST_F(FormTest, CloseQueryAndCaNoneKeepAModalFormOpen) {
  Owned<Form> f(makeForm("f"));
  int attempts = 0;
  f->onClose = [&](Component*, CloseAction& a) {
    if (++attempts < 3) a = CloseAction::None;
  };
  setModalResponder([&](Form& form) { EXPECT_TRUE(input::clickCloseBox(form)); });
  EXPECT_EQ(f->showModal(), ModalResult::Cancel);
  EXPECT_EQ(attempts, 3);
}

TEST_F(FormTest, ResponderThatNeverAnswersHitsThePassLimit) {
  Owned<Form> other(makeForm("other"));
  other->show();
  Owned<Form> f(makeForm("f"));
  setModalPassLimit(50);
  setModalResponder([](Form&) {});
  EXPECT_THROW(f->showModal(), std::runtime_error);
  EXPECT_TRUE(other->enabled());
  EXPECT_FALSE(f->modal());
  EXPECT_EQ(modalDepth(), 0);
}

TEST_F(FormTest, ModalFormFreedByItsResponderEndsTheLoop) {
  Owned<Form> main(makeForm("main"));
  main->show();
  Form* f = makeForm("f", main.get());
  setModalResponder([](Form& form) { form.free(); });
  EXPECT_EQ(f->showModal(), ModalResult::Cancel);
  EXPECT_TRUE(main->enabled());
  EXPECT_TRUE(main->active());
}

TEST_F(FormTest, ReleaseFreesOnTheNextPassAndReferencesBecomeNull) {
  Form* f = makeForm("f");
  auto* p = new Panel(f);
  p->setParent(f);
  Ref<Form> rf(f);
  Ref<Panel> rp(p);
  bool destroyed = false;
  f->onDestroy = [&](Component*) { destroyed = true; };
  f->release();
  EXPECT_TRUE(rf);
  app().processMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(rf);
  EXPECT_FALSE(rp);
}

TEST_F(FormTest, ControlsCreatedAndFreedAtRunTime) {
  Owned<Form> f(makeForm("f"));
  auto* group = new GroupBox(f.get());
  group->setName("group");
  group->setParent(f.get());
  auto* edit = new Edit(f.get());
  edit->setName("edit");
  edit->setParent(group);
  Ref<Edit> re(edit);
  f->show();
  ASSERT_TRUE(edit->setFocus());
  EXPECT_EQ(f->findComponent("edit"), edit);
  group->free();  // frees the controls shown in it as well
  EXPECT_FALSE(re);
  EXPECT_EQ(f->findComponent("edit"), nullptr);
  EXPECT_EQ(f->findComponent("group"), nullptr);
  EXPECT_EQ(screen().focusedControl(), nullptr);
  EXPECT_EQ(f->controlCount(), 0);
}

TEST_F(FormTest, ClosingTheMainFormTerminatesAndOthersHide) {
  Owned<Form> main(makeForm("main"));
  Owned<Form> tool(makeForm("tool", main.get()));
  setMainForm(main.get());
  main->show();
  tool->show();
  EXPECT_TRUE(tool->active());
  tool->close();
  EXPECT_FALSE(tool->visible());
  EXPECT_TRUE(main->active());
  EXPECT_FALSE(app().terminated());
  main->close();
  EXPECT_TRUE(app().terminated());
}

TEST_F(FormTest, AutoSizeFollowsShownControlsAndOwnerCentring) {
  Owned<Form> owner(makeForm("owner"));
  owner->setBounds(100, 100, 400, 300);
  Owned<Form> f(makeForm("f", owner.get()));
  f->setPosition(FormPosition::OwnerFormCenter);
  auto* a = new Panel(f.get());
  a->setParent(f.get());
  a->setBounds(0, 0, 200, 50);
  auto* b = new Panel(f.get());
  b->setParent(f.get());
  b->setBounds(10, 60, 100, 20);
  b->setVisible(false);
  f->setAutoSize(true);
  EXPECT_EQ(f->width(), 200);
  EXPECT_EQ(f->height(), 50);
  b->setVisible(true);
  EXPECT_EQ(f->height(), 80);
  f->show();
  EXPECT_EQ(f->left(), 100 + (400 - 200) / 2);
  EXPECT_EQ(f->top(), 100 + (300 - 80) / 2);
}

TEST_F(FormTest, AlignedChildrenShareTheClientArea) {
  Owned<Form> f(makeForm("f"));
  f->setBounds(0, 0, 300, 200);
  auto* top = new Panel(f.get());
  top->setParent(f.get());
  top->setHeight(24);
  top->setAlign(Align::Top);
  auto* bottom = new Panel(f.get());
  bottom->setParent(f.get());
  bottom->setHeight(40);
  bottom->setAlign(Align::Bottom);
  auto* client = new Panel(f.get());
  client->setParent(f.get());
  client->setAlign(Align::Client);
  EXPECT_EQ(top->boundsRect(), (Rect{0, 0, 300, 24}));
  EXPECT_EQ(bottom->boundsRect(), (Rect{0, 160, 300, 200}));
  EXPECT_EQ(client->boundsRect(), (Rect{0, 24, 300, 160}));
  f->setBounds(0, 0, 200, 100);
  EXPECT_EQ(client->boundsRect(), (Rect{0, 24, 200, 60}));
}

TEST_F(FormTest, PostedMessagesReachTheFormUntilItIsFreed) {
  Form* f = makeForm("f");
  std::vector<uint32_t> got;
  f->onMessage = [&](const Message& m) { got.push_back(m.msg + static_cast<uint32_t>(m.wParam)); };
  EXPECT_TRUE(f->postMessage(WM_USER, 1, 0));
  app().processMessages();
  EXPECT_EQ(got, (std::vector<uint32_t>{WM_USER + 1}));
  Handle h = f->handle();
  f->free();
  EXPECT_FALSE(app().postMessage(h, WM_USER));
}

}  // namespace
}  // namespace ui
