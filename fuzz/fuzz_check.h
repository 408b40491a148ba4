// What the libFuzzer harnesses share: a broken promise stops the run like a crash does.
#pragma once

#include <cstdio>

namespace vk350::fuzz {

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz: %s\n", what);
        __builtin_trap();
    }
}

} // namespace vk350::fuzz
