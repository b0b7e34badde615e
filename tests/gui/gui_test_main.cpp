// The window tests' entry point: one QApplication on the offscreen platform, so the tests
// need no display and show nothing.
//
// With BRIMWELL_PRINT_TITLE set, it prints the application's title instead and runs no
// test: application_title_test.cpp starts it under another name.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "form/main_form.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (qEnvironmentVariableIsSet("BRIMWELL_PRINT_TITLE")) {
    std::printf("%s\n", brimwell::form::programTitle().c_str());
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
