// A local clock that shows the time the test sets, until it is set again or
// moved on.
//
//   test::FixedClock clock(2009, 12, 9, 8, 5, 3);
//   platform::ScopedOverride<platform::IClock> use(clock);
#pragma once

#include "platform/Clock.h"

namespace test {

class FixedClock final : public platform::IClock {
 public:
  FixedClock(int year, int month, int day, int hour, int minute, int second) {
    Set(year, month, day, hour, minute, second);
  }
  void Set(int year, int month, int day, int hour, int minute, int second);
  // Moves the time on by this many seconds (the calendar carries over).
  void Advance(long seconds);

  std::tm LocalNow() override { return now_; }

 private:
  std::tm now_{};
};

}  // namespace test
