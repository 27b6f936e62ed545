#include "FixedClock.h"

namespace test {

void FixedClock::Set(int year, int month, int day, int hour, int minute, int second) {
  now_ = std::tm{};
  now_.tm_year = year - 1900;
  now_.tm_mon = month - 1;
  now_.tm_mday = day;
  now_.tm_hour = hour;
  now_.tm_min = minute;
  now_.tm_sec = second;
  Advance(0);
}

void FixedClock::Advance(long seconds) {
  // Calendar arithmetic in UTC, which has no daylight-saving gaps.
  std::tm shifted = now_;
  shifted.tm_isdst = 0;
  const std::time_t moved = timegm(&shifted) + seconds;
  gmtime_r(&moved, &now_);
}

}  // namespace test
