// The message of the exception that a call raises, for comparing with the
// system's texts.
#pragma once

#include <exception>
#include <string>

#include "platform/Exception.h"

namespace test {

inline const char* const kNoException = "(no exception)";

// The message (CP1251) of the exception the call raises; kNoException when
// it raises none.
template <class Call>
std::string MessageOf(Call&& call) {
  try {
    call();
  } catch (const std::exception& error) {
    return platform::MessageOf(error);
  }
  return kNoException;
}

}  // namespace test
