#include "WindowSampler.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <set>
#include <thread>

namespace test {

namespace {
Display* AsDisplay(void* display) { return static_cast<Display*>(display); }
}  // namespace

WindowSampler::WindowSampler(const std::string& display, unsigned long window)
    : display_(XOpenDisplay(display.c_str())), window_(window) {}

WindowSampler::~WindowSampler() {
  if (display_) XCloseDisplay(AsDisplay(display_));
}

bool WindowSampler::WaitUntilViewable() {
  for (int i = 0; display_ && i < 200; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(AsDisplay(display_), window_, &attributes) &&
        attributes.map_state == IsViewable)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string WindowSampler::Grab(int width, int height, std::size_t* colours) {
  XImage* image = XGetImage(AsDisplay(display_), window_, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return {};
  std::set<unsigned long> seen;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) seen.insert(XGetPixel(image, x, y));
  *colours = seen.size();
  std::string bytes(image->data, static_cast<std::size_t>(image->bytes_per_line) * height);
  XDestroyImage(image);
  return bytes;
}

}  // namespace test
