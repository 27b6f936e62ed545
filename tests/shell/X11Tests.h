#pragma once

#include <string>

namespace test {

// The display of the test's own X server; empty when Xvfb is missing.
const std::string& TestDisplay();

}  // namespace test
