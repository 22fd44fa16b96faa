#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace terravue::testing {

// Whether the tests run in continuous integration, which sets CI=true.
inline bool InContinuousIntegration() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0' && std::strcmp(ci, "false") != 0 && std::strcmp(ci, "0") != 0;
}

}  // namespace terravue::testing

// Skips a test whose prerequisite (a display, a font) this machine lacks; in
// continuous integration, whose set-up installs them, the test fails
// instead, so that it can never pass there without having run.
#define TV_SKIP_UNLESS_CI(message)                                          \
  do {                                                                      \
    if (::terravue::testing::InContinuousIntegration()) {                   \
      FAIL() << (message) << " (CI installs what this test needs)";         \
    }                                                                       \
    GTEST_SKIP() << (message);                                              \
  } while (false)
