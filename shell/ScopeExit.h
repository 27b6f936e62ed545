// Runs a clean-up when the scope ends, also when an exception passes.
#pragma once

#include <utility>

namespace shell {

template <class CleanUp>
class ScopeExit {
 public:
  explicit ScopeExit(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
  ~ScopeExit() { cleanUp_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  CleanUp cleanUp_;
};

}  // namespace shell
