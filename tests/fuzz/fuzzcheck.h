#pragma once

#include <cstdio>
#include <cstdlib>

// A failed property must stop the fuzzer with the input that broke it, in release builds too,
// where assert() would vanish.
#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) { \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__); \
            std::abort(); \
        } \
    } while (false)
