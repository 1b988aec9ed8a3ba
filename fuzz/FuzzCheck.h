// A harness's invariant: a broken one stops the fuzzer with a crash report.
#pragma once

#include <cstdlib>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
