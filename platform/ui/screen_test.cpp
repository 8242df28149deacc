#include "platform/ui/screen.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ui {
namespace {

TEST(ScopedCursorTest, ShowsTheCursorForItsScopeAndPutsBackTheOneBeforeEvenOnAnException) {
  screen().reset();
  screen().setCursor(crHandPoint);
  {
    ScopedCursor busy(crHourGlass);
    EXPECT_EQ(screen().cursor(), crHourGlass);
    {
      ScopedCursor inner(crCross);
      EXPECT_EQ(screen().cursor(), crCross);
    }
    EXPECT_EQ(screen().cursor(), crHourGlass);
  }
  EXPECT_EQ(screen().cursor(), crHandPoint);
  EXPECT_THROW(
      {
        ScopedCursor busy(crHourGlass);
        throw std::runtime_error("operation failed");
      },
      std::runtime_error);
  EXPECT_EQ(screen().cursor(), crHandPoint);
  screen().reset();
}

}  // namespace
}  // namespace ui
