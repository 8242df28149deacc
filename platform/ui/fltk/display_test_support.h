// A test fixture on the display: the backend installed once for the whole suite on DISPLAY, as a program
// has it, every test skipped where there is no display (the display run starts the binary again under
// Xvfb, see zem_add_display_run), and every test failed by a drawing fault (takeDrawingFaults).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

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
    (void)takeDrawingFaults();  // what came before is not this test's
    Base::SetUp();
  }
  // A skipped test never set its base up. Every test fails on what went wrong in drawing its windows
  // (the text-fit check draws every page).
  void TearDown() override {
    if (!installed()) return;
    Base::TearDown();
    std::string faults;
    for (const std::string& fault : takeDrawingFaults()) faults += fault + '\n';
    if (!faults.empty()) ADD_FAILURE() << "drawing faults:\n" << faults;
  }
};

}  // namespace ui::fltk::testing
