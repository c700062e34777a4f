// Invariant checks for the fuzz targets: a broken invariant prints what was
// expected and aborts, which libFuzzer reports as a crash and saves the input.
#ifndef QUORVEX_FUZZ_CHECK_H
#define QUORVEX_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                              \
    do {                                                                     \
        if (!(condition)) {                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__,  \
                         __LINE__, #condition);                              \
            std::abort();                                                    \
        }                                                                    \
    } while (0)

#endif
