// The Wine prefix this build's tests share.
#pragma once

#include <cstdlib>
#include <string>

namespace testing_support {

/// The Wine prefix this build's tests share (made by scripts/make-prefix.sh before them):
/// TSL_TEST_PREFIX where a runner sets it, else WINEPREFIX, which every test gets.
inline std::string TestPrefixDir() {
  for (const char* name : {"TSL_TEST_PREFIX", "WINEPREFIX"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

}  // namespace testing_support
