// Plays the busy animation into an X window from a thread of its own, over a
// display connection of its own, so that it keeps moving while the
// user-interface thread is blocked. Kept free of Qt and of the X headers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace shell {

// Makes Xlib safe for several threads; call before any other X call of the
// process (before the application object is created).
void PrepareXlibForThreads();

// Waits until the X server has carried out every request that the given
// connection (an Xlib Display*) has made so far, so that a window just
// created there exists for the other connections.
void SyncWithServer(void* display);

// The name of the display that the given connection (an Xlib Display*) is
// connected to, for a connection of the drawing thread's own.
std::string DisplayNameOf(void* display);

struct FrameGeometry {
  int width = 0;
  int height = 0;
  std::uint32_t background = 0;  // 0xRRGGBB
};

class XFramePainter {
 public:
  static constexpr int kFrameCount = 8;
  static constexpr int kFrameMilliseconds = 125;

  // Starts the thread; it draws frames 1 to 8 into the window without end,
  // beginning with frame 1. A display that cannot be opened, or a window that
  // is gone, ends the thread quietly.
  XFramePainter(std::string displayName, unsigned long window, FrameGeometry geometry);
  // Stops the thread and waits for it.
  ~XFramePainter();
  XFramePainter(const XFramePainter&) = delete;
  XFramePainter& operator=(const XFramePainter&) = delete;

 private:
  void Run(std::stop_token stop);

  const std::string displayName_;
  const unsigned long window_;
  const FrameGeometry geometry_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::jthread thread_;  // last: it starts once the members above exist
};

}  // namespace shell
