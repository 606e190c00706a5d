// The load-time measure of a block of text: its line count, its widest line
// with and without tab expansion, in bytes and in the screen cells it takes
// shown as UTF-8, and the line index (line_model.h). The block can be
// measured in pieces as it arrives, and in parts apart (each by its own
// thread) that are then joined in order; every way gives the same result as
// one pass over the whole block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "text/line_model.h"

namespace pk {

// The widest line in bytes, and in the screen cells it takes when shown as
// UTF-8 (utf8.h), each with tabs as one column and expanded.
struct ScanResult {
    uint64_t lineCount = 0;
    uint64_t longestRaw = 0;
    uint64_t longestExpanded = 0;
    uint64_t widestCellsRaw = 0;
    uint64_t widestCellsExpanded = 0;
};

// Entries of the line index of a block of size bytes.
constexpr size_t LineIndexSize(uint64_t size) { return (size_t(size) + LINE_INDEX_STEP - 1) / LINE_INDEX_STEP; }

// A scan under way: the bytes [begin, scanned) of the data are measured, the
// current line started at lineStart.
struct ScanState {
    uint64_t begin = 0;       // the first byte this scan looked at
    uint64_t scanned = 0;     // bytes looked at so far
    uint64_t lineStart = 0;   // offset of the current line's first byte
    uint64_t tabEnd = 0;      // offset after the current line's last tab
    uint64_t tabColumn = 1;   // expanded column the byte at tabEnd occupies
    ScanResult result;
    // The index entries of the whole data (LineIndexSize of it), filled for
    // the points the scan passes; empty: none are recorded.
    std::span<uint64_t> index;
};

// A scan that starts at offset begin as if a line began there.
ScanState StartScan(uint64_t begin, std::span<uint64_t> index);
// Measures the bytes [scanned, end) of data (bytes beyond end need not be
// there yet).
void ScanPart(Bytes data, uint64_t end, ScanState& state);
// Joins a part scanned apart to the scan of everything before it: whole has
// scanned data[0, part.begin); afterwards it has scanned data[0,
// part.scanned) as if in one pass. Both share one index.
void JoinPart(Bytes data, ScanState& whole, const ScanState& part);
// The line after the last line feed; the result of the whole scan.
ScanResult ScanFinish(Bytes data, ScanState& state);
// The whole data in one pass; index, when given, gets LineIndexSize entries.
ScanResult ScanLines(Bytes data, std::span<uint64_t> index = {});

}  // namespace pk
