#include "Animation.h"

#include <qguiapplication_platform.h>

#include <QGuiApplication>

#include "XFramePainter.h"

namespace shell {

namespace {

Display* QtDisplay() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

}  // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NativeWindow);
  if (QtDisplay()) {
    // The drawing thread owns every pixel of the window: Qt paints nothing
    // into it, not even a background.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
}

TAnimate::~TAnimate() { Stop(); }

void TAnimate::Play() {
  if (active_) return;
  active_ = true;
  Display* display = QtDisplay();
  if (!display) return;
  const unsigned long window = winId();
  SyncWithServer(display);  // the window must exist before the thread draws
  const QColor background = palette().color(QPalette::Window);
  painter_ = std::make_unique<XFramePainter>(
      DisplayNameOf(display), window,
      FrameGeometry{width(), height(), background.rgb() & 0xFFFFFFu});
}

void TAnimate::Stop() {
  active_ = false;
  painter_.reset();
}

}  // namespace shell
