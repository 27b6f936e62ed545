// The one kind of failure the system raises: an exception carrying one
// message text (CP1251). Callers that add context catch it, put their own
// explanation in front of the message and raise a new one.
#pragma once

#include <exception>
#include <string>

namespace platform {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// The message of any exception of the ordinary kind (std::exception).
inline std::string MessageOf(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->Message();
  return error.what();
}

}  // namespace platform
