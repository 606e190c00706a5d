// Full paths of typed names, formed without touching the file system.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// The typed name made absolute against cwd (nullptr: not available), with
// ".", ".." and repeated "/" removed, into out (outSize bytes with the NUL).
// Returns the length, or 0 with an errno in error: ENOENT for an empty name,
// the cwd's own error for a relative name without cwd, ENAMETOOLONG when the
// name or the result does not fit.
size_t FormFullPath(const char* typed, const char* cwd, int cwdError, char* out, size_t outSize,
                    uint32_t& error);
// The same against the process's current directory.
size_t FullPathName(const char* typed, char* out, size_t outSize, uint32_t& error);

}  // namespace pk
