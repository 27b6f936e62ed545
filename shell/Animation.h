// The busy animation: a small native child window of its own, into which a
// thread of its own draws a looping animation of eight frames, so that it
// keeps moving while the user-interface thread is blocked in a long step.
// Drawing needs an X server (the xcb platform); on other platforms the
// control only shows, hides and keeps its playing state.
#pragma once

#include <QWidget>
#include <memory>

namespace shell {

class XFramePainter;

class TAnimate : public QWidget {
  Q_OBJECT

 public:
  explicit TAnimate(QWidget* parent);
  ~TAnimate() override;

  // Loops over frames 1 to 8 without end, from frame 1; playing already: no
  // change.
  void Play();
  void Stop();
  bool Active() const { return active_; }
  // True while a drawing thread is running (only on an X server).
  bool Drawing() const { return painter_ != nullptr; }

  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override {}

 private:
  bool active_ = false;
  std::unique_ptr<XFramePainter> painter_;
};

}  // namespace shell
