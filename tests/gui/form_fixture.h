// A shown, active main window for one test, and helpers to drive it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "gui/form1.h"
#include "support/stepped_clock.h"

namespace brimwell::testing {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<gui::TForm1>(QStringLiteral("Brimwell"), clock);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void TearDown() override { form.reset(); }

  // Replaces a field's text as a user would: select everything, then type.
  static void typeInto(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, text);
  }

  // The window's time: held arrows and pump spacing move only when a test steps it.
  SteppedClock clock;
  std::unique_ptr<gui::TForm1> form;
};

}  // namespace brimwell::testing
