// The line model: measuring lines at load time, locating lines from the
// one-line cache, tab expansion and the conversions between byte offsets and
// line/column pairs. Long stretches are scanned 64 bytes at a time (SSE2
// masks) or with memchr/memrchr, never a byte at a time.
#include "display/line_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pk {

namespace {

constexpr uint8_t LF = '\n';
constexpr uint8_t CR = '\r';
constexpr uint8_t TAB = '\t';
constexpr uint32_t BLOCK = 64;
constexpr uint32_t U32_MAX = std::numeric_limits<uint32_t>::max();

uint32_t Saturate(uint64_t value) { return value > U32_MAX ? U32_MAX : static_cast<uint32_t>(value); }

struct BlockMasks {
    uint64_t lineFeeds = 0;
    uint64_t tabs = 0;
};

// Bit i set where p[i] is a line feed (or a tab), for 64 bytes.
BlockMasks MasksOf(const uint8_t* p) {
    BlockMasks masks;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    const __m128i tab = _mm_set1_epi8(static_cast<char>(TAB));
    for (int i = 0; i < 4; ++i) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        uint64_t l = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        uint64_t t = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)));
        masks.lineFeeds |= l << (16 * i);
        masks.tabs |= t << (16 * i);
    }
#else
    for (uint32_t i = 0; i < BLOCK; ++i) {
        masks.lineFeeds |= static_cast<uint64_t>(p[i] == LF) << i;
        masks.tabs |= static_cast<uint64_t>(p[i] == TAB) << i;
    }
#endif
    return masks;
}

// A tab at offset p of the current line: the column it starts at follows
// from the previous tab, and it widens to the next stop.
void ScanTab(ScanState& s, uint32_t p) {
    uint64_t column = s.tabColumn + (p - s.tabEnd);
    s.tabColumn = column + TabWidth(static_cast<uint32_t>(std::min<uint64_t>(column, U32_MAX)));
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

// The first line feed in [p, end), or nullptr. Lines are mostly short, so
// the first 64 bytes are looked at inline before memchr takes over.
const uint8_t* FindLineFeed(const uint8_t* p, const uint8_t* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    for (int i = 0; i < 4 && end - p >= 16; ++i, p += 16) {
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    if (p >= end) return nullptr;
    return static_cast<const uint8_t*>(std::memchr(p, LF, static_cast<size_t>(end - p)));
}

// The last line feed in [begin, p), or nullptr.
const uint8_t* FindLineFeedBack(const uint8_t* begin, const uint8_t* p) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    for (int i = 0; i < 4 && p - begin >= 16; ++i) {
        p -= 16;
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        if (mask != 0) return p + 31 - __builtin_clz(static_cast<unsigned>(mask));
    }
#endif
    if (p <= begin) return nullptr;
    return static_cast<const uint8_t*>(memrchr(begin, LF, static_cast<size_t>(p - begin)));
}

// Line feeds among n bytes at p.
uint64_t CountByte(const uint8_t* p, size_t n, uint8_t c) {
    uint64_t count = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(static_cast<char>(c));
    const __m128i zero = _mm_setzero_si128();
    while (n - i >= BLOCK) {
        // Each round adds at most 4 to a byte lane, so 63 rounds fit a byte.
        __m128i acc = zero;
        for (int round = 0; round < 63 && n - i >= BLOCK; ++round, i += BLOCK) {
            for (int k = 0; k < 4; ++k) {
                __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * k));
                acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(v, needle));
            }
        }
        __m128i sums = _mm_sad_epu8(acc, zero);
        count += static_cast<uint64_t>(_mm_cvtsi128_si64(sums)) +
                 static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    while (i < n) {
        const void* hit = std::memchr(p + i, c, n - i);
        if (hit == nullptr) break;
        ++count;
        i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - p) + 1;
    }
    return count;
}

// Bit i set where p[i] is a line feed, for 64 bytes.
uint64_t LineFeedMask(const uint8_t* p) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << (16 * i);
    }
    return mask;
#else
    return MasksOf(p).lineFeeds;
#endif
}

// Walks over many lines at once: whole 4 KiB chunks are counted and skipped
// while they hold fewer line feeds than are still wanted, then 64-byte
// masks narrow down to the line feed itself.
constexpr size_t SKIP_CHUNK = 4096;

// The k-th line feed (k >= 1) in [p, end), or nullptr when there are fewer.
const uint8_t* NthLineFeed(const uint8_t* p, const uint8_t* end, uint64_t k) {
    for (uint64_t c; size_t(end - p) >= SKIP_CHUNK && (c = CountByte(p, SKIP_CHUNK, LF)) < k; p += SKIP_CHUNK) k -= c;
    for (; end - p >= BLOCK; p += BLOCK) {
        uint64_t mask = LineFeedMask(p);
        uint64_t c = static_cast<uint64_t>(__builtin_popcountll(mask));
        if (c >= k) {
            while (--k != 0) mask &= mask - 1;
            return p + __builtin_ctzll(mask);
        }
        k -= c;
    }
    for (; p < end; ++p)
        if (*p == LF && --k == 0) return p;
    return nullptr;
}

// The k-th line feed (k >= 1) going back from p in [begin, p), or nullptr;
// missing then tells how many more there would have had to be.
const uint8_t* NthLineFeedBack(const uint8_t* begin, const uint8_t* p, uint64_t k, uint64_t& missing) {
    for (uint64_t c; size_t(p - begin) >= SKIP_CHUNK && (c = CountByte(p - SKIP_CHUNK, SKIP_CHUNK, LF)) < k;
         p -= SKIP_CHUNK)
        k -= c;
    for (; p - begin >= BLOCK; p -= BLOCK) {
        uint64_t mask = LineFeedMask(p - BLOCK);
        uint64_t c = static_cast<uint64_t>(__builtin_popcountll(mask));
        if (c >= k) {
            while (--k != 0) mask &= ~(uint64_t(1) << (63 - __builtin_clzll(mask)));
            return p - BLOCK + (63 - __builtin_clzll(mask));
        }
        k -= c;
    }
    while (p > begin)
        if (*--p == LF && --k == 0) return p;
    missing = k;
    return nullptr;
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

uint32_t TabWidth(uint32_t column) { return 8 - ((column - 1) % 8); }

void ScanPart(Bytes data, uint32_t end, ScanState& s) {
    const uint8_t* d = data.data();
    uint32_t p = s.scanned;
    end = std::min<uint32_t>(end, static_cast<uint32_t>(data.size()));
    for (; end >= BLOCK && p <= end - BLOCK; p += BLOCK) {
        BlockMasks m = MasksOf(d + p);
        if ((m.lineFeeds | m.tabs) != 0) ScanEvents(s, d, p, m);
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

uint32_t CountLineFeeds(Bytes data, uint32_t from, uint32_t to) {
    to = std::min<uint32_t>(to, static_cast<uint32_t>(data.size()));
    if (from >= to) return 0;
    return Saturate(CountByte(data.data() + from, to - from, LF));
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

uint32_t TopLineForOffset(Bytes data, uint32_t offset, LineCache& cache) {
    uint32_t size = static_cast<uint32_t>(data.size());
    if (size == 0) offset = 0;
    if (size != 0 && offset >= size) offset = size - 1;
    uint32_t line = 1 + CountLineFeeds(data, 0, offset);
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
    uint32_t n = o >= from.offset ? from.line + CountLineFeeds(data, from.offset, o)
                                  : from.line - CountLineFeeds(data, o, from.offset);
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
