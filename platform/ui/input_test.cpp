#include "platform/ui/input.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/sys/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class InputTest : public ShownFormTest {};

struct MouseLog {
  std::vector<std::string> events;
  void attach(Control* c) {
    c->onMouseDown = [this](Component* s, MouseButton, ShiftState, int x, int y) { add(s, "down", x, y); };
    c->onMouseMove = [this](Component* s, ShiftState, int x, int y) { add(s, "move", x, y); };
    c->onMouseUp = [this](Component* s, MouseButton, ShiftState, int x, int y) { add(s, "up", x, y); };
    c->onClick = [this](Component* s) { events.push_back(s->name() + " click"); };
    c->onMouseCaptureLost = [this](Component* s) { events.push_back(s->name() + " lost"); };
  }
  void add(Component* s, const char* what, int x, int y) {
    events.push_back(s->name() + " " + what + " " + std::to_string(x) + "," + std::to_string(y));
  }
};

TEST_F(InputTest, CapturePairsDownWithUpAndClicksOnlyInside) {
  auto* panel = add<Panel>("panel");
  panel->setBounds(10, 10, 100, 100);
  auto* image = add<Image>("image", panel);
  image->setBounds(5, 20, 50, 50);
  image->setEnabled(false);  // presses fall through to the panel
  auto* other = add<Panel>("other");
  other->setBounds(200, 10, 50, 50);
  MouseLog log;
  log.attach(panel);
  log.attach(other);

  EXPECT_EQ(input::mouseDown(*image, 1, 2), panel);
  input::mouseMove(*other, 0, 0);  // the capture holder gets it, in its own coordinates
  EXPECT_EQ(input::mouseUp(*panel, 50, 50), panel);
  EXPECT_EQ(input::mouseUp(*panel, 50, 50), nullptr) << "no second release";
  input::mouseDown(*panel, 1, 1);
  input::mouseUp(*other, 10, 10);  // released outside: no click
  EXPECT_EQ(log.events, (std::vector<std::string>{"panel down 6,22", "panel move 190,0", "panel click",
                                                  "panel up 50,50", "panel down 1,1", "panel up 200,10"}));
}

TEST_F(InputTest, PressOnADisabledShapeFallsToTheImageUnderIt) {
  auto* grid = add<Image>("grid");
  grid->setBounds(20, 20, 161, 161);
  auto* cursor = add<Shape>("cursor");
  cursor->setBounds(92, 92, 17, 17);
  cursor->setEnabled(false);
  MouseLog log;
  log.attach(grid);
  EXPECT_EQ(input::mouseDown(*cursor, 8, 8), grid);
  EXPECT_EQ(log.events, (std::vector<std::string>{"grid down 80,80"}));
  input::mouseUp(*grid, 80, 80);
  cursor->setBounds(300, 250, 17, 17);  // nothing under it: the form gets the press
  EXPECT_EQ(input::mouseDown(*cursor, 1, 1), form_.get());
}

TEST_F(InputTest, ModalWindowTakesTheCaptureAndTheReleaseGoesNowhere) {
  auto* panel = add<Panel>("panel");
  MouseLog log;
  log.attach(panel);
  input::mouseDown(*panel, 3, 3);
  Owned<Form> dialog(createForm<Form>(form_.get()));
  EXPECT_EQ(dialog->showModal(), ModalResult::Cancel);
  EXPECT_EQ(input::mouseUp(*panel, 3, 3), nullptr);
  EXPECT_EQ(log.events, (std::vector<std::string>{"panel down 3,3", "panel lost"}));
  input::mouseDown(*panel, 3, 3);
  panel->setEnabled(false);
  EXPECT_EQ(log.events.back(), "panel lost");
  EXPECT_EQ(input::mouseDown(*panel, 3, 3), form_.get());
  form_->setEnabled(false);
  EXPECT_EQ(input::mouseDown(*form_, 3, 3), nullptr);
}

TEST_F(InputTest, KeysGoToTheFocusedControlAndNavigate) {
  auto* a = add<Edit>("a");
  auto* b = add<Button>("b");
  auto* c = add<Edit>("c");
  c->setVisible(false);
  std::vector<std::string> keys;
  b->onKeyDown = [&](Component* s, uint16_t& k, ShiftState) {
    keys.push_back(s->name() + std::to_string(k));
  };
  ASSERT_TRUE(a->setFocus());
  input::pressKey(vk::Tab);
  EXPECT_EQ(screen().focusedControl(), b);
  input::pressKey(vk::Down);  // a button does not want arrows: the focus moves on (wrapping)
  EXPECT_EQ(screen().focusedControl(), a);
  input::pressKey(vk::Tab, kShift);
  EXPECT_EQ(screen().focusedControl(), b);
  input::pressKey(vk::F1);
  EXPECT_EQ(keys, (std::vector<std::string>{"b" + std::to_string(vk::F1)}));

  form_->setKeyPreview(true);
  form_->onKeyDown = [](Component*, uint16_t& k, ShiftState) {
    if (k == vk::F1) k = 0;
  };
  input::pressKey(vk::F1);
  EXPECT_EQ(keys.size(), 1u) << "the form swallowed it first";
  b->setEnabled(false);
  EXPECT_EQ(screen().focusedControl(), nullptr);
}

TEST_F(InputTest, EscapeAndEnterClickCancelAndDefaultButtons) {
  Owned<Form> dialog(createForm<Form>(form_.get()));
  auto* ok = new Button(dialog.get());
  ok->setParent(dialog.get());
  ok->setDefault(true);
  ok->setModalResult(ModalResult::Ok);
  auto* cancel = new Button(dialog.get());
  cancel->setParent(dialog.get());
  cancel->setCancel(true);
  cancel->setModalResult(ModalResult::Cancel);
  auto* edit = new Edit(dialog.get());
  edit->setParent(dialog.get());
  int step = 0;
  setModalResponder([&](Form&) {
    if (step++ == 0) {
      edit->setFocus();
      input::pressKey(vk::Return);
    } else {
      input::pressKey(vk::Escape);
    }
  });
  EXPECT_EQ(dialog->showModal(), ModalResult::Ok);
  EXPECT_EQ(dialog->showModal(), ModalResult::Cancel);
}

TEST_F(InputTest, AFocusedButtonTakesEnterAsItTakesSpace) {
  Owned<Form> dialog(createForm<Form>(form_.get()));
  auto* yes = new Button(dialog.get());
  yes->setParent(dialog.get());
  yes->setDefault(true);
  yes->setModalResult(ModalResult::Yes);
  auto* no = new Button(dialog.get());
  no->setParent(dialog.get());
  no->setModalResult(ModalResult::No);
  for (uint16_t key : {vk::Return, vk::Space}) {
    setModalResponder([&](Form&) {
      no->setFocus();
      input::pressKey(key);
    });
    EXPECT_EQ(dialog->showModal(), ModalResult::No) << key;
  }
}

TEST_F(InputTest, HintsWaitThePauseAndGoThroughOnShowHint) {
  auto* p = add<Panel>("p");
  p->setHint("Close the application|long text");
  p->setShowHint(true);
  auto* quiet = add<Panel>("quiet");
  quiet->setHint("never");
  std::vector<int> maxWidths;
  app().onShowHint = [&](std::string& text, bool& canShow, HintInfo& info) {
    maxWidths.push_back(info.hintMaxWidth);
    info.hintMaxWidth = 150;
    info.hideTimeout = static_cast<int>(text.size()) * 100;
    canShow = text != "blocked";
    app().setHintPause(1);
  };
  input::hover(*p);
  clock_->advance(499);
  app().processMessages();
  EXPECT_FALSE(input::currentHint());
  clock_->advance(1);
  app().processMessages();
  ASSERT_TRUE(input::currentHint());
  EXPECT_EQ(input::currentHint()->text, "Close the application");
  EXPECT_EQ(input::currentHint()->maxWidth, 150);
  EXPECT_EQ(input::currentHint()->hideTimeout, 2100);
  clock_->advance(2100);
  app().processMessages();
  EXPECT_FALSE(input::currentHint());

  input::hover(*quiet);  // ShowHint off: nothing
  clock_->advance(10);
  app().processMessages();
  p->setHint("blocked");
  input::hover(*p);
  clock_->advance(1);  // the handler lowered the pause
  app().processMessages();
  EXPECT_FALSE(input::currentHint());
  EXPECT_EQ(input::shownHints().size(), 1u);
  EXPECT_EQ(maxWidths.size(), 2u);
}

TEST_F(InputTest, FileDialogsAreAnsweredByTheResponder) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("ui_input_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  { std::ofstream(dir / "old.ZEF") << "x"; }
  SaveDialog save(nullptr);
  save.defaultExt = "ZEF";
  save.initialDir = dir.string();
  save.options = kOverwritePrompt;
  EXPECT_FALSE(save.execute()) << "no responder: cancelled";

  std::vector<std::string> answers = {"old", "new"};
  size_t next = 0;
  setFileDialogResponder([&](const FileDialogRequest& r) -> std::optional<std::string> {
    EXPECT_TRUE(r.save);
    return answers[next++];
  });
  setMessageBoxResponder([](const MessageBoxRequest& r) {
    EXPECT_EQ(r.buttons, MessageButtons::YesNo);
    return ModalResult::No;  // do not replace old.ZEF: the user picks again
  });
  ASSERT_TRUE(save.execute());
  EXPECT_EQ(fs::path(save.fileName), dir / "new.ZEF");
  EXPECT_EQ(shownMessageBoxes().size(), 1u);
  EXPECT_EQ(shownFileDialogs().size(), 2u);
  fs::remove_all(dir);
}

TEST_F(InputTest, HelpRequestsAreRecordedOnlyWithAHelpFile) {
  EXPECT_FALSE(app().helpCommand(kHelpContents, 0));
  app().setHelpFile("/prog/Zem.hlp");
  EXPECT_TRUE(app().helpCommand(kHelpTopics, 0));
  EXPECT_TRUE(app().helpJump("Monitor"));
  ASSERT_EQ(app().helpRequests().size(), 2u);
  EXPECT_EQ(app().helpRequests()[0].command, kHelpTopics);
  EXPECT_EQ(app().helpRequests()[1].topic, "Monitor");
  EXPECT_EQ(app().helpRequests()[1].file, "/prog/Zem.hlp");
}

}  // namespace
}  // namespace ui
