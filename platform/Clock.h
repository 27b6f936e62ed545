#pragma once

#include <ctime>

#include "Facility.h"

namespace platform {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::tm LocalNow() = 0;
};

template <>
IClock& Default<IClock>();

inline IClock& Clock() { return Current<IClock>(); }

}  // namespace platform
