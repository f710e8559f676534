#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property is a fault like a crash: aborting makes libFuzzer keep the input that led here.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}
