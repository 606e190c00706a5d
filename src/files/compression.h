// The compressed formats pk reads through: each one's name and the magic
// number its data starts with, in one table, and the test of a file's first
// bytes against it.
#pragma once

#include <cstdint>

#include "text/line_model.h"

struct archive;

namespace pk {

struct CompressionFormat {
    const char* name;         // as the title shows it
    uint8_t magic[10];
    uint8_t magicLength;
    uint8_t digitAt;  // a byte of the magic that is any digit 1-9 (0: none)
    // The libarchive call that lets it read this format (and this one
    // only); none: zlib reads it.
    int (*filter)(struct archive*);
};

// Bytes enough to tell every format apart.
constexpr uint64_t MAGIC_BYTES = 10;

// The format whose magic number start begins with; nullptr for none.
const CompressionFormat* FormatOf(Bytes start);
// Whether start (shorter than MAGIC_BYTES) may still grow into a magic number.
bool MayBeCompressed(Bytes start);

}  // namespace pk
