// The line model: locating lines from the one-line cache and the line index,
// tab expansion and the conversions between byte offsets and line/column
// pairs. Every walk starts from the nearest point whose line is known, so
// with an index it reads at most one index interval (plus the line itself);
// long stretches go through the byte scans of byte_scan.cpp.
#include "text/line_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/byte_scan.h"

namespace pk {

namespace {

constexpr uint8_t CR = '\r';
constexpr uint8_t TAB = '\t';
// Steps of fewer lines than this go line by line.
constexpr uint64_t FAR_STEPS = 32;

// The start of the line `steps` lines after the one at start, or nullptr.
const uint8_t* StepForward(Bytes data, const uint8_t* start, uint64_t steps) {
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
const uint8_t* StepBack(Bytes data, const uint8_t* start, uint64_t steps) {
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
uint64_t StartOfLineAt(Bytes data, uint64_t o) {
    const uint8_t* lf = FindLineFeedBack(data.data(), data.data() + o);
    return lf == nullptr ? 0 : static_cast<uint64_t>(lf - data.data()) + 1;
}

// Line feeds in data[from, to).
uint64_t LineFeedsBetween(Bytes data, uint64_t from, uint64_t to) {
    to = std::min<uint64_t>(to, static_cast<uint64_t>(data.size()));
    if (from >= to) return 0;
    return (CountLineFeeds(data.data() + from, to - from));
}

struct CachePoint {
    uint64_t offset;
    uint64_t line;
};

// The cache as a starting point; never set means line 1 at the start.
CachePoint FromCache(Bytes data, const LineCache& cache) {
    if (cache.start == nullptr || cache.offset > data.size() || cache.line == 0) return {0, 1};
    return {cache.offset, cache.line};
}

uint64_t Distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

// Line feeds before offset o (o <= size), counted from the nearest point
// whose count is known: the cached line's start, or the index entry on
// either side of o.
uint64_t LineFeedsBefore(const TextLines& t, CachePoint from, uint64_t o) {
    uint64_t bestOffset = from.offset;
    uint64_t bestCount = from.line - 1;
    if (!t.index.empty()) {
        size_t k = std::min<size_t>(o / LINE_INDEX_STEP, t.index.size() - 1);
        for (size_t e = k; e < k + 2 && e < t.index.size(); ++e) {
            uint64_t at = static_cast<uint64_t>(e * LINE_INDEX_STEP);
            if (Distance(at, o) < Distance(bestOffset, o)) {
                bestOffset = at;
                bestCount = t.index[e];
            }
        }
    }
    if (bestOffset <= o) return bestCount + LineFeedsBetween(t.data, bestOffset, o);
    return bestCount - LineFeedsBetween(t.data, o, bestOffset);
}

// Whether the walk from the cache to the start of line n reads less than
// one index interval: line n starts after the (n-1)-th line feed, and no
// index point lies between the cache and that line feed. O(1), so steps of
// a line or a page never search the index.
bool CacheIsNear(LineIndex index, CachePoint from, uint64_t n) {
    uint64_t want = n - 1;  // line feeds before line n
    if (from.line <= n) {
        size_t next = from.offset / LINE_INDEX_STEP + 1;  // the first point after the cache
        return next >= index.size() || index[next] >= want;
    }
    size_t points = (size_t(from.offset) + LINE_INDEX_STEP - 1) / LINE_INDEX_STEP;  // points before the cache
    return points == 0 || index[points - 1] < want;
}

// Start of line n (1 <= n <= lineCount) or nullptr, walked from the cache
// when it is near, else from the index point before line n's start.
const uint8_t* LineStart(const TextLines& t, CachePoint from, uint64_t n) {
    const uint8_t* begin = t.data.data();
    if (!t.index.empty() && !CacheIsNear(t.index, from, n)) {
        if (n == 1) return begin;
        // The last index point with fewer than n - 1 line feeds before it.
        size_t k = size_t(std::lower_bound(t.index.begin(), t.index.end(), n - 1) - t.index.begin()) - 1;
        const uint8_t* lf = NthLineFeed(begin + size_t(k) * LINE_INDEX_STEP, begin + t.data.size(), n - 1 - t.index[k]);
        return lf == nullptr ? nullptr : lf + 1;
    }
    const uint8_t* start = begin + from.offset;
    return n >= from.line ? StepForward(t.data, start, n - from.line) : StepBack(t.data, start, from.line - n);
}

}  // namespace

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

LineInfo LineLength(Bytes data, const uint8_t* start, uint64_t window) {
    const uint8_t* end = data.data() + data.size();
    if (start == nullptr || start >= end) return LineInfo{start, 0, 0};
    const uint8_t* stop = uint64_t(end - start) > window ? start + window : end;
    const uint8_t* lf = FindLineFeed(start, stop);
    size_t count = static_cast<size_t>((lf == nullptr ? stop : lf) - start);
    // A carriage return is dropped only where the line truly ends.
    if (count != 0 && (lf != nullptr || stop == end) && start[count - 1] == CR) --count;
    return LineInfo{start, static_cast<uint64_t>(start - data.data()), static_cast<uint64_t>(count)};
}

bool LineAt(const TextLines& text, const LineCache& cache, uint64_t n, LineInfo& out, uint64_t window) {
    if (n == 0 || n > text.lineCount) return false;
    const uint8_t* start = LineStart(text, FromCache(text.data, cache), n);
    if (start == nullptr) return false;
    out = LineLength(text.data, start, window);
    return true;
}

int NextCell(const uint8_t* text, uint64_t length, uint64_t index, CellCursor& cursor, bool expandTabs) {
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

ColumnPoint WalkColumns(const uint8_t* text, uint64_t length, uint64_t limit) {
    uint64_t column = 0;
    for (uint64_t pos = 0;;) {
        const void* found = pos < length ? std::memchr(text + pos, TAB, length - pos) : nullptr;
        uint64_t tabPos = found ? static_cast<uint64_t>(static_cast<const uint8_t*>(found) - text) : length;
        uint64_t tabColumn = column + (tabPos - pos);
        if (limit <= tabColumn) return ColumnPoint{static_cast<uint64_t>(pos + (limit - column)), limit, 0};
        if (found == nullptr) return ColumnPoint{length, tabColumn, 0};
        uint64_t after = tabColumn + TabWidth(tabColumn + 1);
        if (limit < after) return ColumnPoint{tabPos + 1, limit, static_cast<uint64_t>(after - limit)};
        column = after;
        pos = tabPos + 1;
    }
}

uint64_t LineOfOffset(const TextLines& text, const LineCache& cache, uint64_t offset) {
    uint64_t o = std::min(offset, static_cast<uint64_t>(text.data.size()));
    return (1 + LineFeedsBefore(text, FromCache(text.data, cache), o));
}

uint64_t TopLineForOffset(const TextLines& text, uint64_t offset, LineCache& cache) {
    Bytes data = text.data;
    uint64_t size = static_cast<uint64_t>(data.size());
    if (size == 0) offset = 0;
    if (size != 0 && offset >= size) offset = size - 1;
    // Counted from the start or the index, never from the incoming cache.
    uint64_t line = LineOfOffset(text, LineCache{}, offset);
    uint64_t start = StartOfLineAt(data, offset);
    cache = LineCache{start, line, data.data() + start};
    return line;
}

void OffsetToLineColumn(const TextLines& text, const LineCache& cache, uint64_t offset, uint64_t& line,
                        uint64_t& column) {
    Bytes data = text.data;
    uint64_t size = static_cast<uint64_t>(data.size());
    uint64_t o = std::min(offset, size);
    // Lines starting at or before o: one more than the line feeds before o.
    uint64_t n = LineOfOffset(text, cache, o);
    uint64_t start;
    if (text.lineCount > 0 && n > text.lineCount) {
        // Past the final line feed: the last line is the answer.
        n = text.lineCount;
        start = StartOfLineAt(data, size - 1);
    } else {
        start = StartOfLineAt(data, o);
    }
    line = n;
    column = (static_cast<uint64_t>(offset) - start + 1);
}

uint64_t LineColumnToOffset(const TextLines& text, const LineCache& cache, uint64_t n, uint64_t k) {
    LineInfo info;
    if (!LineAt(text, cache, n, info, 0)) return 0;
    return (static_cast<uint64_t>(info.offset) + (k == 0 ? 0 : k - 1));
}

}  // namespace pk
