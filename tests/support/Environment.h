// An environment variable set for a scope and restored afterwards.
#pragma once

#include <optional>
#include <string>

namespace test {

class ScopedEnvironment {
 public:
  // A value of nullopt removes the variable for the scope.
  ScopedEnvironment(std::string name, const std::optional<std::string>& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace test
