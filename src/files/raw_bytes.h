// A compressed file's two sides: its decompressed bytes, shown at first, and
// its raw (still compressed) bytes, mapped as any file is when first asked
// for. Each side keeps its own view position and find state.
#pragma once

#include <cstdint>

#include "files/file_table.h"

namespace pk {

enum RawResult : int {
    RAW_SHOWN = 0,     // the side asked for is shown (or the file has one side only)
    RAW_NOT_KEPT = 1,  // compressed standard input from a pipe: its raw bytes are gone
    RAW_FAILED = 2,    // the file could not be mapped (error)
};

// Shows the entry's raw bytes (raw) or its decompressed ones.
RawResult ShowRawBytes(FileEntry& entry, bool raw, uint32_t& error);

}  // namespace pk
