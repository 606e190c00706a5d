// A broken rule in a fuzz target: named on standard error, then an abort,
// which libFuzzer reports with the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace pkfuzz {

inline void Check(bool ok, const char* rule) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

}  // namespace pkfuzz
