// Fast byte-range searching for find: the first occurrence of a needle,
// exactly or with the ASCII letters folded, and counting line feeds. The
// results are those of comparing at every position in turn; only the method
// is quicker.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// Offset (from data) of the first occurrence of s[0..n) that starts at or
// after from, or size when there is none. fold: the letters A-Z and a-z
// compare equal to each other; every other byte compares exactly.
size_t ScanForNeedle(const uint8_t* data, size_t size, size_t from, const uint8_t* s, size_t n, bool fold);

// Number of line-feed bytes in [begin, end).
size_t CountLineFeeds(const uint8_t* begin, const uint8_t* end);

// A byte with A-Z turned into a-z.
inline uint8_t FoldByte(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c | 0x20) : c; }

}  // namespace pk
