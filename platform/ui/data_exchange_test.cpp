#include "platform/ui/data_exchange.h"

#include <gtest/gtest.h>

#include "platform/ui/edits.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class TakeIntegerTest : public ShownFormTest {
 protected:
  void SetUp() override {
    ShownFormTest::SetUp();
    edit_ = add<Edit>("edDelay");
    setMessageBoxResponder([this](const MessageBoxRequest& r) {
      messages_.push_back(r.text);
      return ModalResult::Ok;
    });
  }
  Edit* edit_ = nullptr;
  std::vector<std::string> messages_;
};

TEST_F(TakeIntegerTest, NumberInsideTheRangeIsTakenSilently) {
  for (const char* text : {"25", "200", " 100 ", "+40"}) {
    edit_->setCaption(text);
    EXPECT_TRUE(takeInteger(*edit_, 25, 200).has_value()) << text;
  }
  edit_->setCaption("130");
  EXPECT_EQ(takeInteger(*edit_, 25, 200), 130);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TakeIntegerTest, NumberOutsideTheRangeGetsTheRangeMessageAndTheFocus) {
  for (const char* text : {"24", "201", "-5", "99999999999"}) {
    edit_->setCaption(text);
    EXPECT_FALSE(takeInteger(*edit_, 25, 200).has_value()) << text;
  }
  ASSERT_EQ(messages_.size(), 4u);
  for (const auto& m : messages_) EXPECT_EQ(m, "Please enter an integer between 25 and 200.");
  EXPECT_EQ(screen().focusedControl(), edit_);
  EXPECT_TRUE(edit_->allSelected());
}

TEST_F(TakeIntegerTest, TextThatIsNoNumberGetsTheIntegerMessage) {
  for (const char* text : {"", "  ", "2x", "1.5"}) {
    edit_->setCaption(text);
    EXPECT_FALSE(takeInteger(*edit_, 25, 200).has_value()) << text;
  }
  ASSERT_EQ(messages_.size(), 4u);
  for (const auto& m : messages_) EXPECT_EQ(m, "Please enter an integer.");
}

TEST(LineBreaks, PairsCountOnceWhicheverWayRound) {
  EXPECT_EQ(lineBreaksAsLineFeeds("Program\n\rUnknown PCB"), "Program\nUnknown PCB");
  EXPECT_EQ(lineBreaksAsLineFeeds("a\r\nb\rc\nd"), "a\nb\nc\nd");
  EXPECT_EQ(lineBreaksAsLineFeeds("a\n\nb"), "a\n\nb");
  EXPECT_EQ(lineBreaksAsLineFeeds("a\r\n\r\nb"), "a\n\nb");
}

TEST(MessageBoxDefault, BoxNobodyAnswersGivesItsDefaultButton) {
  app().reset();
  MessageBoxRequest request{MessageKind::Warning, "Title", "Go on?", MessageButtons::YesNo};
  EXPECT_EQ(messageBox(request), ModalResult::Yes);
  request.defaultButton = ModalResult::No;
  EXPECT_EQ(messageBox(request), ModalResult::No);
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

TEST_F(TakeIntegerTest, ARichEditsWholeTextIsTakenTheSameWay) {
  auto* r = add<RichEdit>("reUniverse");
  r->setContent("12");
  EXPECT_EQ(takeInteger(*r, 1, 32), 12);
  r->setContent("40");
  EXPECT_FALSE(takeInteger(*r, 1, 32).has_value());
  r->setContent("1\r\n2");
  EXPECT_FALSE(takeInteger(*r, 1, 32).has_value());
  EXPECT_EQ(messages_, (std::vector<std::string>{"Please enter an integer between 1 and 32.",
                                                 "Please enter an integer."}));
  EXPECT_EQ(screen().focusedControl(), r);
  EXPECT_TRUE(r->allSelected()) << "typing replaces the refused text";
}

}  // namespace
}  // namespace ui
