#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "WindowSampler.h"
#include "X11Tests.h"
#include "shell/Animation.h"
#include "shell/uMain.h"

namespace {

using namespace std::chrono_literals;

TEST(BusyAnimation, KeepsMovingWhileTheUserInterfaceThreadIsBlocked) {
  if (test::TestDisplay().empty()) GTEST_SKIP() << "Xvfb is missing";
  uMain::TfrmMain window;
  uMain::SetStartupValues(window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  bool drawing = false;
  bool viewable = false;
  std::set<std::string> frames;
  std::size_t colours = 0;
  window.RunUpdateAction = [&](const std::string&, const std::string&, platform::ILogTarget*) {
    drawing = window.aProgress->Drawing();
    const unsigned long id = window.aProgress->winId();
    const int width = window.aProgress->width(), height = window.aProgress->height();
    std::thread sampler([&] {
      test::WindowSampler pixels(test::TestDisplay(), id);
      viewable = pixels.WaitUntilViewable();
      for (int sample = 0; viewable && sample < 12; ++sample) {
        frames.insert(pixels.Grab(width, height, &colours));
        std::this_thread::sleep_for(100ms);
      }
    });
    // A long step: the user-interface thread processes nothing meanwhile.
    sampler.join();
  };
  window.OKBtnClick();

  EXPECT_TRUE(drawing);
  ASSERT_TRUE(viewable) << "the animation's window was never shown";
  EXPECT_GE(frames.size(), 4u) << "the animation stood still while the thread was blocked";
  EXPECT_GE(colours, 4u) << "the animation's window holds no picture";
  EXPECT_FALSE(window.aProgress->Drawing()) << "the drawing thread outlived the run";
  EXPECT_FALSE(window.aProgress->isVisible());
}

}  // namespace
