// Starting programs: no shell, no splitting of the program's path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Facility.h"

namespace platform {

class IProcess {
 public:
  virtual ~IProcess() = default;
  // Waits without a time limit; the program's exit code (128 + the signal
  // number when a signal ended it).
  virtual std::uint32_t Wait() = 0;
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // Null when the program cannot be started.
  virtual std::unique_ptr<IProcess> Start(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          const std::string& workingFolder) = 0;
};

template <>
IProcesses& Default<IProcesses>();

inline IProcesses& Processes() { return Current<IProcesses>(); }

}  // namespace platform
