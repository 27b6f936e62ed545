// Reads the pixels of an X window over a display connection of its own, as
// another program would see them. Kept free of Qt (the X headers clash).
#pragma once

#include <cstddef>
#include <string>

namespace test {

class WindowSampler {
 public:
  WindowSampler(const std::string& display, unsigned long window);
  ~WindowSampler();
  WindowSampler(const WindowSampler&) = delete;
  WindowSampler& operator=(const WindowSampler&) = delete;

  // Waits up to two seconds for the window to be shown on the screen.
  bool WaitUntilViewable();
  // The window's pixels as bytes; *colours: how many different pixel values.
  std::string Grab(int width, int height, std::size_t* colours);

 private:
  void* display_;
  unsigned long window_;
};

}  // namespace test
