// What the fuzz targets share: a broken rule named on standard error, then
// an abort, which libFuzzer reports with the input that broke it; and the
// private folder and environment of the targets that run pk's commands.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "temp_dir.h"

namespace pkfuzz {

inline void Check(bool ok, const char* rule) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

// The reference checks' answer: empty, or the rule broken.
inline void Check(const std::string& broken) { Check(broken.empty(), broken.c_str()); }

// No terminal multiplexer, display or shell to find; the current folder is
// dir. For LLVMFuzzerInitialize.
inline int Isolate(const pktest::TempDir& dir) {
    for (const char* name : {"TMUX", "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL"}) unsetenv(name);
    setenv("SHELL", "/nonexistent/sh", 1);
    return chdir(dir.path().c_str());
}

}  // namespace pkfuzz
