// Runs the view tests inside one QApplication (the offscreen platform, set by
// the test's environment).

#include <gtest/gtest.h>

#include <QApplication>

#include "app/view/cjk_font.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display (the listing runs at build time,
  // outside the tests' environment).
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  UseCjkCapableFont(application);
  return RUN_ALL_TESTS();
}
