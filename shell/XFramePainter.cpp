#include "XFramePainter.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>

#include "ScopeExit.h"

namespace shell {

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct Palette {
  unsigned long background, caseFill, caseEdge, screen, lens, rim, handle;
};

unsigned long Colour(Display* display, Colormap colormap, std::uint32_t rgb) {
  XColor colour{};
  colour.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
  colour.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
  colour.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
  colour.flags = DoRed | DoGreen | DoBlue;
  if (!XAllocColor(display, colormap, &colour)) return BlackPixel(display, DefaultScreen(display));
  return colour.pixel;
}

Palette MakePalette(Display* display, Colormap colormap, std::uint32_t background) {
  return {Colour(display, colormap, background), Colour(display, colormap, 0xC0C0C0),
          Colour(display, colormap, 0x404040),   Colour(display, colormap, 0x000080),
          Colour(display, colormap, 0xB0E8FF),   Colour(display, colormap, 0x202020),
          Colour(display, colormap, 0x804000)};
}

void FillRect(Display* d, Drawable to, GC gc, unsigned long pixel, int x, int y, int w, int h) {
  XSetForeground(d, gc, pixel);
  XFillRectangle(d, to, gc, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
}

// One frame of the animation: a computer being searched with a magnifying
// glass that circles over it, one eighth of the way per frame.
void DrawFrame(Display* d, Drawable to, GC gc, const Palette& colours, const FrameGeometry& size,
               int frame) {
  FillRect(d, to, gc, colours.background, 0, 0, size.width, size.height);
  FillRect(d, to, gc, colours.caseEdge, 7, 7, 27, 21);
  FillRect(d, to, gc, colours.caseFill, 8, 8, 25, 19);
  FillRect(d, to, gc, colours.screen, 11, 10, 19, 14);
  FillRect(d, to, gc, colours.caseEdge, 17, 28, 7, 3);
  FillRect(d, to, gc, colours.caseEdge, 11, 31, 19, 3);

  const double angle = frame * 2 * std::numbers::pi / XFramePainter::kFrameCount;
  const int cx = 20 + static_cast<int>(std::lround(9 * std::cos(angle)));
  const int cy = 18 + static_cast<int>(std::lround(8 * std::sin(angle)));

  XSetLineAttributes(d, gc, 3, LineSolid, CapRound, JoinRound);
  XSetForeground(d, gc, colours.handle);
  XDrawLine(d, to, gc, cx + 4, cy + 4, cx + 9, cy + 9);
  constexpr int kRadius = 6;
  XSetForeground(d, gc, colours.lens);
  XFillArc(d, to, gc, cx - kRadius, cy - kRadius, 2 * kRadius, 2 * kRadius, 0, 360 * 64);
  XSetLineAttributes(d, gc, 2, LineSolid, CapRound, JoinRound);
  XSetForeground(d, gc, colours.rim);
  XDrawArc(d, to, gc, cx - kRadius, cy - kRadius, 2 * kRadius, 2 * kRadius, 0, 360 * 64);
}

}  // namespace

void PrepareXlibForThreads() { XInitThreads(); }

std::string DisplayNameOf(void* display) {
  return display ? DisplayString(static_cast<Display*>(display)) : "";
}

void SyncWithServer(void* display) {
  if (display) XSync(static_cast<Display*>(display), False);
}

XFramePainter::XFramePainter(std::string displayName, unsigned long window, FrameGeometry geometry)
    : displayName_(std::move(displayName)),
      window_(window),
      geometry_(geometry),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

XFramePainter::~XFramePainter() = default;

void XFramePainter::Run(std::stop_token stop) {
  const DisplayHandle display(XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str()));
  if (!display) return;
  Display* d = display.get();
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(d, window_, &attributes)) return;
  const Pixmap frameBuffer = XCreatePixmap(d, window_, static_cast<unsigned>(geometry_.width),
                                           static_cast<unsigned>(geometry_.height),
                                           static_cast<unsigned>(attributes.depth));
  const ScopeExit freeFrameBuffer([&] { XFreePixmap(d, frameBuffer); });
  GC gc = XCreateGC(d, frameBuffer, 0, nullptr);
  const ScopeExit freeGc([&] { XFreeGC(d, gc); });
  const Palette colours = MakePalette(d, attributes.colormap, geometry_.background);

  for (int frame = 0; !stop.stop_requested(); frame = (frame + 1) % kFrameCount) {
    // Drawn off screen first, then copied whole: no flicker.
    DrawFrame(d, frameBuffer, gc, colours, geometry_, frame);
    XCopyArea(d, frameBuffer, window_, gc, 0, 0, static_cast<unsigned>(geometry_.width),
              static_cast<unsigned>(geometry_.height), 0, 0);
    XFlush(d);
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, stop, std::chrono::milliseconds(kFrameMilliseconds), [] { return false; });
  }
}

}  // namespace shell
