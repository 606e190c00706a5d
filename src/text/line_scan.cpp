// Measuring lines at load time. The byte scan gives masks of the line feeds
// and tabs of each 64-byte block; only those bytes are looked at one by one,
// so a line of plain text costs one step at its end (ScanLineEnd, the one
// place every line passes). A line takes no more screen cells than bytes,
// so only a line wider in bytes than the widest so far in cells is walked
// again to count its cells: on plain text a rare line, on text that is
// mostly multi-byte the longer lines. The index is written as the scan
// passes each LINE_INDEX_STEP-th byte.
#include "text/line_scan.h"

#include <algorithm>
#include <limits>

#include "text/byte_scan.h"
#include "panel/utf8.h"

namespace pk {

namespace {

constexpr uint8_t LF = '\n';
constexpr uint8_t CR = '\r';
constexpr uint8_t TAB = '\t';
// Blocks whose masks are taken in one call.
constexpr size_t MASK_BATCH = 64;

// A tab at offset p of the current line: the column it starts at follows
// from the previous tab, and it widens to the next stop.
void ScanTab(ScanState& s, uint64_t p) {
    uint64_t column = s.tabColumn + (p - s.tabEnd);
    s.tabColumn = column + TabWidth(column);
    s.tabEnd = p + 1;
}

// A line that may be the widest in cells: its widths in bytes count, and its
// cells unless it is the first line of a part, which the join measures whole
// (measured from the middle of a character it may come out wider).
__attribute__((noinline)) void ScanWideLine(ScanState& s, const uint8_t* data, uint64_t raw, uint64_t expanded) {
    ScanResult& r = s.result;
    r.longestRaw = std::max(r.longestRaw, raw);
    r.longestExpanded = std::max(r.longestExpanded, expanded);
    if (s.lineStart == s.begin && s.begin != 0) return;
    TextWidths cells = MeasureCells(data + s.lineStart, raw);
    r.widestCellsRaw = std::max(r.widestCellsRaw, (cells.raw));
    r.widestCellsExpanded = std::max(r.widestCellsExpanded, (cells.expanded));
}

// Ends the current line at textEnd (its text stops there) and starts the
// next one at next. A line no wider in bytes than the widest so far in cells
// changes no width: the widest in bytes is at least that wide too.
void ScanLineEnd(ScanState& s, const uint8_t* data, uint64_t textEnd, uint64_t next) {
    uint64_t raw = textEnd - s.lineStart;
    uint64_t expanded = (s.tabColumn - 1 + (textEnd - s.tabEnd));
    if (raw > s.result.widestCellsRaw || expanded > s.result.widestCellsExpanded) ScanWideLine(s, data, raw, expanded);
    s.result.lineCount += 1;
    s.lineStart = next;
    s.tabEnd = next;
    s.tabColumn = 1;
}

// A line feed at p; a carriage return right before it is no column. The
// byte before is read only when it belongs to this scan's current line.
void ScanLineFeed(ScanState& s, const uint8_t* data, uint64_t p) {
    uint64_t textEnd = (p > s.lineStart && data[p - 1] == CR) ? p - 1 : p;
    ScanLineEnd(s, data, textEnd, p + 1);
}

void ScanEvents(ScanState& s, const uint8_t* data, uint64_t base, BlockMasks m) {
    uint64_t events = m.lineFeeds | m.tabs;
    while (events != 0) {
        uint64_t bit = static_cast<uint64_t>(__builtin_ctzll(events));
        uint64_t p = base + bit;
        if ((m.lineFeeds >> bit) & 1) {
            ScanLineFeed(s, data, p);
        } else {
            ScanTab(s, p);
        }
        events &= events - 1;
    }
}

// Measures data[p, end): whole blocks by their masks, the rest byte by byte.
void ScanRange(ScanState& s, const uint8_t* d, uint64_t p, uint64_t end) {
    BlockMasks masks[MASK_BATCH];
    while (end - p >= MASK_BLOCK) {
        size_t blocks = std::min<size_t>((end - p) / MASK_BLOCK, MASK_BATCH);
        MaskBlocks(d + p, blocks, masks);
        for (size_t b = 0; b < blocks; ++b, p += MASK_BLOCK)
            if ((masks[b].lineFeeds | masks[b].tabs) != 0) ScanEvents(s, d, p, masks[b]);
    }
    for (; p < end; ++p) {
        if (d[p] == LF) {
            ScanLineFeed(s, d, p);
        } else if (d[p] == TAB) {
            ScanTab(s, p);
        }
    }
}

}  // namespace

ScanState StartScan(uint64_t begin, std::span<uint64_t> index) {
    ScanState s;
    s.begin = s.scanned = s.lineStart = s.tabEnd = begin;
    s.index = index;
    return s;
}

void ScanPart(Bytes data, uint64_t end, ScanState& s) {
    end = std::min<uint64_t>(end, static_cast<uint64_t>(data.size()));
    // Up to each index point in turn; the line feeds so far are the lines
    // ended so far.
    while (s.scanned < end) {
        uint64_t p = s.scanned;
        uint64_t k = p / LINE_INDEX_STEP;
        if (p % LINE_INDEX_STEP == 0 && k < s.index.size()) s.index[k] = s.result.lineCount;
        uint64_t stop = static_cast<uint64_t>(std::min<uint64_t>(end, uint64_t(k + 1) * LINE_INDEX_STEP));
        ScanRange(s, data.data(), p, stop);
        s.scanned = stop;
    }
}

void JoinPart(Bytes data, ScanState& whole, const ScanState& part) {
    // The part counted its line feeds from its own start.
    for (size_t k = (size_t(part.begin) + LINE_INDEX_STEP - 1) / LINE_INDEX_STEP;
         k < whole.index.size() && k * LINE_INDEX_STEP < part.scanned; ++k)
        whole.index[k] += whole.result.lineCount;
    const uint8_t* d = data.data();
    const uint8_t* lf = FindLineFeed(d + part.begin, d + part.scanned);
    if (lf == nullptr) {
        // One line runs through the whole part.
        ScanPart(data, part.scanned, whole);
        return;
    }
    // The line that runs across the join ends at the part's first line feed;
    // the part measured that line from its own start only, which is never
    // wider than the whole line, so the part's widest lines still hold.
    ScanPart(data, static_cast<uint64_t>(lf - d) + 1, whole);
    whole.result.lineCount += part.result.lineCount - 1;
    whole.result.longestRaw = std::max(whole.result.longestRaw, part.result.longestRaw);
    whole.result.longestExpanded = std::max(whole.result.longestExpanded, part.result.longestExpanded);
    whole.result.widestCellsRaw = std::max(whole.result.widestCellsRaw, part.result.widestCellsRaw);
    whole.result.widestCellsExpanded = std::max(whole.result.widestCellsExpanded, part.result.widestCellsExpanded);
    whole.scanned = part.scanned;
    whole.lineStart = part.lineStart;
    whole.tabEnd = part.tabEnd;
    whole.tabColumn = part.tabColumn;
}

ScanResult ScanFinish(Bytes data, ScanState& s) {
    uint64_t size = static_cast<uint64_t>(data.size());
    // Bytes after the last line feed are one more line; a carriage return
    // that ends the data counts as a column here.
    if (s.lineStart < s.scanned) ScanLineEnd(s, data.data(), s.scanned, size);
    return s.result;
}

ScanResult ScanLines(Bytes data, std::span<uint64_t> index) {
    ScanState state = StartScan(0, index);
    ScanPart(data, static_cast<uint64_t>(data.size()), state);
    return ScanFinish(data, state);
}

}  // namespace pk
