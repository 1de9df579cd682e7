#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property of the code under test: report it and abort, which libFuzzer records as a
// crash with the input that caused it.
#define TARVEX_FUZZ_CHECK(cond, what)                                                              \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what, #cond, __FILE__,   \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
