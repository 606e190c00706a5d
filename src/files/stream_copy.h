// Copying a stream's bytes as pk shows them, without keeping them: a
// compressed stream comes out decompressed. For output without a terminal.
#pragma once

#include <cstdint>

#include "files/file_table.h"

namespace pk {

struct CopyRun {
    uint64_t bytes = 0;     // bytes handed to take
    LoadResult failure{};   // LOAD_OK, LOAD_READ_ERROR or LOAD_CORRUPT
    uint64_t error = 0;     // its system error, or the bytes kept (LOAD_CORRUPT)
    bool takeFailed = false;
};

// Reads fd to its end and hands each piece to take, which says whether it
// could take it (a false ends the copy).
CopyRun CopyStream(int fd, bool (*take)(Bytes));

}  // namespace pk
