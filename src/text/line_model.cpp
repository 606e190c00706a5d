// The line model: measuring lines at load time, locating lines from the
// one-line cache, tab expansion and the conversions between byte offsets and
// line/column pairs. Long stretches go through the byte scans of
// byte_scan.cpp, never a byte at a time.
#include "text/line_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/byte_scan.h"

namespace pk {

namespace {

constexpr uint8_t LF = '\n';
constexpr uint8_t CR = '\r';
constexpr uint8_t TAB = '\t';
constexpr uint32_t U32_MAX = std::numeric_limits<uint32_t>::max();

uint32_t Saturate(uint64_t value) { return value > U32_MAX ? U32_MAX : static_cast<uint32_t>(value); }

// Blocks whose masks are taken in one call.
constexpr size_t MASK_BATCH = 64;

// A tab at offset p of the current line: the column it starts at follows
// from the previous tab, and it widens to the next stop.
void ScanTab(ScanState& s, uint32_t p) {
    uint64_t column = s.tabColumn + (p - s.tabEnd);
    s.tabColumn = column + TabWidth(column);
    s.tabEnd = p + 1;
}

// Ends the current line at textEnd (its text stops there) and starts the
// next one at next.
void ScanLineEnd(ScanState& s, uint32_t textEnd, uint32_t next) {
    uint32_t raw = textEnd - s.lineStart;
    uint32_t expanded = Saturate(s.tabColumn - 1 + (textEnd - s.tabEnd));
    s.result.longestRaw = std::max(s.result.longestRaw, raw);
    s.result.longestExpanded = std::max(s.result.longestExpanded, expanded);
    s.result.lineCount += 1;
    s.lineStart = next;
    s.tabEnd = next;
    s.tabColumn = 1;
}

// A line feed at p; a carriage return right before it is no column.
void ScanLineFeed(ScanState& s, const uint8_t* data, uint32_t p) {
    uint32_t textEnd = (p > s.lineStart && data[p - 1] == CR) ? p - 1 : p;
    ScanLineEnd(s, textEnd, p + 1);
}

void ScanEvents(ScanState& s, const uint8_t* data, uint32_t base, BlockMasks m) {
    uint64_t events = m.lineFeeds | m.tabs;
    while (events != 0) {
        uint32_t bit = static_cast<uint32_t>(__builtin_ctzll(events));
        uint32_t p = base + bit;
        if ((m.lineFeeds >> bit) & 1) {
            ScanLineFeed(s, data, p);
        } else {
            ScanTab(s, p);
        }
        events &= events - 1;
    }
}

// Steps of fewer lines than this go line by line.
constexpr uint32_t FAR_STEPS = 32;

// The start of the line `steps` lines after the one at start, or nullptr.
const uint8_t* StepForward(Bytes data, const uint8_t* start, uint32_t steps) {
    const uint8_t* end = data.data() + data.size();
    if (steps >= FAR_STEPS) {
        const uint8_t* lf = NthLineFeed(start, end, steps);
        return lf == nullptr ? nullptr : lf + 1;
    }
    for (; steps > 0; --steps) {
        start = NextLineStart(data, start);
        if (start > end) return nullptr;
    }
    return start;
}

// The start of the line `steps` lines before the one at start, or nullptr.
const uint8_t* StepBack(Bytes data, const uint8_t* start, uint32_t steps) {
    if (steps >= FAR_STEPS) {
        // The line feed just before start ends the previous line; the line
        // wanted starts after the one `steps` line feeds further back, or at
        // the start of the data when exactly that one is missing.
        uint64_t missing = 0;
        const uint8_t* lf = NthLineFeedBack(data.data(), start, uint64_t(steps) + 1, missing);
        if (lf != nullptr) return lf + 1;
        return missing == 1 ? data.data() : nullptr;
    }
    for (; steps > 0 && start != nullptr; --steps) start = PrevLineStart(data, start);
    return start;
}

// Offset of the start of the line holding offset o (o <= size).
uint32_t StartOfLineAt(Bytes data, uint32_t o) {
    const uint8_t* lf = FindLineFeedBack(data.data(), data.data() + o);
    return lf == nullptr ? 0 : static_cast<uint32_t>(lf - data.data()) + 1;
}

// Line feeds in data[from, to).
uint32_t LineFeedsBetween(Bytes data, uint32_t from, uint32_t to) {
    to = std::min<uint32_t>(to, static_cast<uint32_t>(data.size()));
    if (from >= to) return 0;
    return Saturate(CountLineFeeds(data.data() + from, to - from));
}

struct CachePoint {
    uint32_t offset;
    uint32_t line;
};

// The cache as a starting point; never set means line 1 at the start.
CachePoint FromCache(Bytes data, const LineCache& cache) {
    if (cache.start == nullptr || cache.offset > data.size()) return {0, 1};
    return {cache.offset, cache.line};
}

}  // namespace

void ScanPart(Bytes data, uint32_t end, ScanState& s) {
    const uint8_t* d = data.data();
    uint32_t p = s.scanned;
    end = std::min<uint32_t>(end, static_cast<uint32_t>(data.size()));
    BlockMasks masks[MASK_BATCH];
    while (p < end && end - p >= MASK_BLOCK) {
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
    s.scanned = std::max(s.scanned, end);
}

ScanResult ScanFinish(Bytes data, ScanState& s) {
    uint32_t size = static_cast<uint32_t>(data.size());
    // Bytes after the last line feed are one more line; a carriage return
    // that ends the data counts as a column here.
    if (s.lineStart < s.scanned) ScanLineEnd(s, s.scanned, size);
    return s.result;
}

ScanResult ScanLines(Bytes data) {
    ScanState state;
    ScanPart(data, static_cast<uint32_t>(data.size()), state);
    return ScanFinish(data, state);
}

const uint8_t* NextLineStart(Bytes data, const uint8_t* start) {
    const uint8_t* end = data.data() + data.size();
    if (start >= end) return end + 1;
    const uint8_t* lf = FindLineFeed(start, end);
    return lf == nullptr ? end + 1 : lf + 1;
}

const uint8_t* PrevLineStart(Bytes data, const uint8_t* start) {
    const uint8_t* begin = data.data();
    if (start <= begin) return nullptr;
    const uint8_t* end = begin + data.size();
    if (start > end) start = end;
    // The byte before start is the line feed that ended the previous line.
    const uint8_t* lf = FindLineFeedBack(begin, start - 1);
    return lf == nullptr ? begin : lf + 1;
}

LineInfo LineLength(Bytes data, const uint8_t* start) {
    const uint8_t* end = data.data() + data.size();
    if (start == nullptr || start >= end) return LineInfo{start, 0, 0};
    const uint8_t* lf = FindLineFeed(start, end);
    size_t count = static_cast<size_t>((lf == nullptr ? end : lf) - start);
    if (count != 0 && start[count - 1] == CR) --count;
    return LineInfo{start, static_cast<uint32_t>(start - data.data()), static_cast<uint32_t>(count)};
}

bool LineAt(Bytes data, uint32_t lineCount, const LineCache& cache, uint32_t n, LineInfo& out) {
    if (n == 0 || n > lineCount) return false;
    CachePoint from = FromCache(data, cache);
    const uint8_t* start = data.data() + from.offset;
    start = n >= from.line ? StepForward(data, start, n - from.line) : StepBack(data, start, from.line - n);
    if (start == nullptr) return false;
    out = LineLength(data, start);
    return true;
}

int NextCell(const uint8_t* text, uint32_t length, uint32_t index, CellCursor& cursor, bool expandTabs) {
    if (cursor.pending > 0) {
        --cursor.pending;
        return ' ';
    }
    if (cursor.position >= length) return END_OF_LINE;
    uint8_t byte = text[cursor.position++];
    if (byte == TAB && expandTabs) {
        cursor.pending = TabWidth(index + 1) - 1;
        return ' ';
    }
    return byte;
}

ColumnPoint WalkColumns(const uint8_t* text, uint32_t length, uint64_t limit) {
    uint64_t column = 0;
    for (uint32_t pos = 0;;) {
        const void* found = pos < length ? std::memchr(text + pos, TAB, length - pos) : nullptr;
        uint32_t tabPos = found ? static_cast<uint32_t>(static_cast<const uint8_t*>(found) - text) : length;
        uint64_t tabColumn = column + (tabPos - pos);
        if (limit <= tabColumn) return ColumnPoint{static_cast<uint32_t>(pos + (limit - column)), limit, 0};
        if (found == nullptr) return ColumnPoint{length, tabColumn, 0};
        uint64_t after = tabColumn + TabWidth(tabColumn + 1);
        if (limit < after) return ColumnPoint{tabPos + 1, limit, static_cast<uint32_t>(after - limit)};
        column = after;
        pos = tabPos + 1;
    }
}

uint32_t TopLineForOffset(Bytes data, uint32_t offset, LineCache& cache) {
    uint32_t size = static_cast<uint32_t>(data.size());
    if (size == 0) offset = 0;
    if (size != 0 && offset >= size) offset = size - 1;
    uint32_t line = 1 + LineFeedsBetween(data, 0, offset);
    uint32_t start = StartOfLineAt(data, offset);
    cache = LineCache{start, line, data.data() + start};
    return line;
}

void OffsetToLineColumn(Bytes data, uint32_t lineCount, const LineCache& cache, uint32_t offset,
                        uint32_t& line, uint32_t& column) {
    uint32_t size = static_cast<uint32_t>(data.size());
    uint32_t o = std::min(offset, size);
    CachePoint from = FromCache(data, cache);
    // Lines starting at or before o: one more than the line feeds before o,
    // counted from whichever side of the cached line o lies.
    uint32_t n = o >= from.offset ? from.line + LineFeedsBetween(data, from.offset, o)
                                  : from.line - LineFeedsBetween(data, o, from.offset);
    uint32_t start;
    if (lineCount > 0 && n > lineCount) {
        // Past the final line feed: the last line is the answer.
        n = lineCount;
        start = StartOfLineAt(data, size - 1);
    } else {
        start = StartOfLineAt(data, o);
    }
    line = n;
    column = Saturate(static_cast<uint64_t>(offset) - start + 1);
}

uint32_t LineColumnToOffset(Bytes data, uint32_t lineCount, const LineCache& cache, uint32_t n, uint32_t k) {
    LineInfo info;
    if (!LineAt(data, lineCount, cache, n, info)) return 0;
    return Saturate(static_cast<uint64_t>(info.offset) + (k == 0 ? 0 : k - 1));
}

}  // namespace pk
