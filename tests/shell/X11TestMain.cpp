// The tests that need a real X server: each process starts an Xvfb of its
// own and runs Qt on it (the xcb platform). Without Xvfb they are skipped.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "X11Tests.h"
#include "XvfbServer.h"
#include "shell/XFramePainter.h"

namespace test {

namespace {
std::string displayName;
}

const std::string& TestDisplay() { return displayName; }

}  // namespace test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  test::XvfbServer server;
  if (!server.Running()) return RUN_ALL_TESTS();
  test::displayName = server.Display();
  setenv("DISPLAY", server.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  shell::PrepareXlibForThreads();
  const auto application = std::make_unique<QApplication>(argc, argv);
  return RUN_ALL_TESTS();
}
