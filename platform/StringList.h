#pragma once

#include <string>
#include <vector>

namespace platform {

// A list of texts owned by its caller, as the engine hands it to procedures
// that fill it.
struct TStringList {
  std::vector<std::string> Items;
  bool CaseSensitive = false;
};

}  // namespace platform
