// Invariant checks for the fuzz targets: a broken invariant prints what was
// expected and aborts, which libFuzzer reports as a crash and saves the input.
#ifndef QUORVEX_FUZZ_CHECK_H
#define QUORVEX_FUZZ_CHECK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The entry every target defines and libFuzzer (or the corpus replay) calls.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_REQUIRE(condition)                                                                    \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);       \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

#endif
