// The byte scans every long walk over the data is built on: finding,
// counting and masking line feeds, and finding a needle exactly or with the
// ASCII letters folded. Each gives the result of looking at one byte after
// another; only the method is quicker (SIMD vectors, never a byte at a time).
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// The widest vectors a scan may use.
enum VectorWidth : int { VECTORS_NONE = 0, VECTORS_SSE2 = 1, VECTORS_AVX2 = 2 };
// The widest this processor has (AVX2 where present, chosen at run time).
VectorWidth BestVectorWidth();

// Bytes per mask: bit i of a mask stands for byte i of a 64-byte block.
constexpr size_t MASK_BLOCK = 64;

// Where the line feeds, the tabs and the bytes above 127 of one block are.
struct BlockMasks {
    uint64_t lineFeeds = 0;
    uint64_t tabs = 0;
    uint64_t high = 0;
};

// The masks of `blocks` whole blocks at p, into out[0, blocks). width caps
// the vectors used (never beyond BestVectorWidth()).
void MaskBlocks(const uint8_t* p, size_t blocks, BlockMasks* out, VectorWidth width = VECTORS_AVX2);

// Number of line feeds among the n bytes at p.
uint64_t CountLineFeeds(const uint8_t* p, size_t n);
// The first line feed in [p, end), or nullptr.
const uint8_t* FindLineFeed(const uint8_t* p, const uint8_t* end);
// The last line feed in [begin, p), or nullptr.
const uint8_t* FindLineFeedBack(const uint8_t* begin, const uint8_t* p);
// The k-th line feed (k >= 1) in [p, end), or nullptr when there are fewer.
const uint8_t* NthLineFeed(const uint8_t* p, const uint8_t* end, uint64_t k);
// The k-th line feed (k >= 1) going back from p in [begin, p), or nullptr;
// missing then tells how many more there would have had to be.
const uint8_t* NthLineFeedBack(const uint8_t* begin, const uint8_t* p, uint64_t k, uint64_t& missing);

// Offset (from data) of the first occurrence of s[0..n) that starts at or
// after from, or size when there is none. fold: the letters A-Z and a-z
// compare equal to each other; every other byte compares exactly. width
// caps the vectors used, as for MaskBlocks.
size_t ScanForNeedle(const uint8_t* data, size_t size, size_t from, const uint8_t* s, size_t n, bool fold,
                     VectorWidth width = VECTORS_AVX2);

}  // namespace pk
