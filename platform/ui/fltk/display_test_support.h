// A test fixture on the display: the backend installed once for the whole suite on DISPLAY, as a program
// has it, and every test skipped where there is no display (the display run starts the binary again under
// Xvfb, see zem_add_display_run).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/ui/fltk/fltk_backend.h"

namespace ui::fltk::testing {

template <class Base>
class OnDisplay : public Base {
 protected:
  static void SetUpTestSuite() {
    Base::SetUpTestSuite();
    const char* display = std::getenv("DISPLAY");
    if (display && *display) install();
  }
  static void TearDownTestSuite() {
    uninstall();
    Base::TearDownTestSuite();
  }
  void SetUp() override {
    if (!installed()) GTEST_SKIP() << "no display";
    Base::SetUp();
  }
  // A skipped test never set its base up.
  void TearDown() override {
    if (installed()) Base::TearDown();
  }
};

}  // namespace ui::fltk::testing
