// The Qt tests' entry: one QApplication on the main thread (the GUI thread) for every test,
// on the offscreen platform unless the environment names another.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/qt_screen.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  ormile::platform::QtApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
