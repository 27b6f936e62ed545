#include "Clock.h"

namespace platform {

namespace {

class SystemClock final : public IClock {
 public:
  std::tm LocalNow() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
  }
};

}  // namespace

template <>
IClock& Default<IClock>() {
  static SystemClock clock;
  return clock;
}

}  // namespace platform
