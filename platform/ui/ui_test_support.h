// Test scaffolding: a fresh application with one shown 400 x 300 form, on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/form.h"

namespace ui {

class ShownFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().reset();
    form_.reset(createForm<Form>(nullptr));
    form_->setName("form");
    form_->setBounds(0, 0, 400, 300);
    form_->show();
  }
  void TearDown() override {
    form_.reset();
    app().reset();
  }
  // A control of the form, named, on parent (the form itself when none is given).
  template <class T>
  T* add(const std::string& name, WinControl* parent = nullptr) {
    auto* c = new T(form_.get());
    c->setName(name);
    c->setParent(parent ? parent : form_.get());
    return c;
  }
  sys::ScopedVirtualClock clock_;
  Owned<Form> form_;
};

}  // namespace ui
