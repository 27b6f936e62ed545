// A virtual X server of its own for a test process: Xvfb on a display
// number that the server picks itself, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace test {

class XvfbServer {
 public:
  // Starts Xvfb and waits until it accepts connections; Running() is false
  // when Xvfb is not installed or does not come up.
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool Running() const { return !display_.empty(); }
  // ":N"
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace test
