// The main of a test program with Qt windows: a QApplication for all its tests. The windows are
// drawn off screen unless QT_QPA_PLATFORM says otherwise (test discovery runs without ctest's
// environment, and a test needs no display).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
