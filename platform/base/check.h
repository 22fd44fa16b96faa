#pragma once

#include <cstdio>
#include <cstdlib>

// Programming errors stop here with the file and line; runtime failures are
// reported through return values instead.
#define TV_CHECK(cond)                                                        \
  do {                                                                        \
    if (!(cond)) {                                                            \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__,   \
                   #cond);                                                    \
      std::abort();                                                           \
    }                                                                         \
  } while (false)
