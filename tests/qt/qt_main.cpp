// One Qt backend on the offscreen platform for every test of the real widgets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/qt_backend.h"
#include "platform/win32/resources.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QtBackend backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  int result = RUN_ALL_TESTS();
  SetBackend(nullptr);
  return result;
}
