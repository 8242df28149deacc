#include "platform/ui/up_down.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/input.h"
#include "platform/ui/ui_test_support.h"

namespace ui {
namespace {

class UpDownTest : public ShownFormTest {
 protected:
  UpDown* upDown(UpDownOrientation o) {
    auto* u = add<UpDown>("ud");
    u->setOrientation(o);
    u->setBounds(10, 10, 40, 20);
    u->onDeltaPos = [this](Component*, int delta, bool& allow) {
      deltas.push_back(delta);
      allow = allowChanges;
    };
    return u;
  }
  std::vector<int> deltas;
  bool allowChanges = true;
};

// As the system's control: the default range runs from 100 down to 0, so the up arrow proposes -1.
TEST_F(UpDownTest, DefaultRangeRunsDownwards) {
  UpDown* u = upDown(UpDownOrientation::Horizontal);
  EXPECT_EQ(u->min(), 100);
  EXPECT_EQ(u->max(), 0);
  input::mouseDown(*u, 35, 10);  // right arrow
  input::mouseUp(*u, 35, 10);
  input::mouseDown(*u, 5, 10);  // left arrow
  input::mouseUp(*u, 5, 10);
  EXPECT_EQ(deltas, (std::vector<int>{-1, 1}));
  EXPECT_EQ(u->position(), 1) << "0 cannot go lower; 0 + 1";
}

TEST_F(UpDownTest, ArrowsAndKeysFollowTheRangeAndTheAnswer) {
  UpDown* u = upDown(UpDownOrientation::Vertical);
  u->setRange(0, 10);
  u->setIncrement(2);
  input::mouseDown(*u, 10, 2);  // upper arrow
  EXPECT_EQ(u->position(), 2);
  allowChanges = false;
  input::mouseDown(*u, 10, 18);  // lower arrow, refused
  EXPECT_EQ(u->position(), 2);
  allowChanges = true;
  ASSERT_TRUE(u->setFocus());
  input::pressKey(vk::Up);
  input::pressKey(vk::Left);  // not an arrow of a vertical control
  EXPECT_EQ(deltas, (std::vector<int>{2, -2, 2}));
  EXPECT_EQ(u->position(), 4);
  u->setPosition(50);
  EXPECT_EQ(u->position(), 10);
}

}  // namespace
}  // namespace ui
