// The line model against hand-worked cases and against a plain reference
// built from the line rules, on random data and from every cache position.
#include "text/line_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using pk::Bytes;

Bytes B(const std::string& s) { return Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

// The reference: every line's start and text length, straight from the rules.
struct RefLine {
    uint32_t start, length;
};

std::vector<RefLine> RefLines(const std::string& d) {
    std::vector<RefLine> lines;
    size_t start = 0;
    while (start < d.size()) {
        size_t end = d.find('\n', start);
        size_t stop = end == std::string::npos ? d.size() : end;
        size_t len = stop - start;
        if (len > 0 && d[stop - 1] == '\r') --len;
        lines.push_back({uint32_t(start), uint32_t(len)});
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The load-time measure, byte by byte as the rules describe it.
pk::ScanResult RefScan(const std::string& d) {
    pk::ScanResult r;
    uint64_t raw = 0, exp = 0;
    for (size_t p = 0; p <= d.size(); ++p) {
        if (p == d.size() ? raw > 0 : d[p] == '\n') {
            r.lineCount++;
            r.longestRaw = std::max<uint32_t>(r.longestRaw, uint32_t(raw));
            r.longestExpanded = std::max<uint32_t>(r.longestExpanded, uint32_t(exp));
            raw = exp = 0;
        } else if (p < d.size() && !(d[p] == '\r' && p + 1 < d.size() && d[p + 1] == '\n')) {
            raw++;
            exp += d[p] == '\t' ? 8 - exp % 8 : 1;
        }
    }
    return r;
}

pk::LineCache CacheAt(const std::string& d, const std::vector<RefLine>& lines, uint32_t n) {
    if (n == 0) return pk::LineCache{};
    return pk::LineCache{lines[n - 1].start, n, reinterpret_cast<const uint8_t*>(d.data()) + lines[n - 1].start};
}

// Compares every operation with the reference from every cache position.
void CheckAgainstReference(const std::string& d) {
    SCOPED_TRACE(testing::PrintToString(d.substr(0, 80)));
    Bytes data = B(d);
    std::vector<RefLine> lines = RefLines(d);
    uint32_t count = uint32_t(lines.size());
    pk::ScanResult want = RefScan(d);
    ASSERT_EQ(want.lineCount, count);
    // Whole, and in pieces of any size (as loading scans while it reads).
    for (uint32_t piece : {0u, 1u, 7u, 64u, 65u}) {
        pk::ScanState state;
        for (uint32_t end = 0; piece > 0 && end < d.size();)
            pk::ScanPart(data, end = std::min<uint32_t>(end + piece, uint32_t(d.size())), state);
        pk::ScanResult got = piece == 0 ? pk::ScanLines(data) : pk::ScanFinish(data, state);
        ASSERT_EQ(std::tie(got.lineCount, got.longestRaw, got.longestExpanded),
                  std::tie(want.lineCount, want.longestRaw, want.longestExpanded)) << "piece " << piece;
    }

    for (uint32_t c = 0; c <= count; ++c) {
        pk::LineCache cache = CacheAt(d, lines, c);
        pk::LineInfo info;
        EXPECT_FALSE(pk::LineAt(data, count, cache, 0, info));
        EXPECT_FALSE(pk::LineAt(data, count, cache, count + 1, info));
        for (uint32_t n = 1; n <= count; ++n) {
            ASSERT_TRUE(pk::LineAt(data, count, cache, n, info)) << c << " " << n;
            ASSERT_EQ(info.offset, lines[n - 1].start) << "cache " << c << " line " << n;
            ASSERT_EQ(info.length, lines[n - 1].length) << "cache " << c << " line " << n;
            ASSERT_EQ(pk::LineColumnToOffset(data, count, cache, n, 3), lines[n - 1].start + 2);
        }
        EXPECT_EQ(pk::LineColumnToOffset(data, count, cache, count + 1, 1), 0u);
        for (uint32_t o = 0; count > 0 && o <= d.size(); ++o) {
            // The last line starting at or before o, never past the last line.
            uint32_t n = 1;
            while (n < count && lines[n].start <= o) ++n;
            uint32_t line = 0, column = 0;
            pk::OffsetToLineColumn(data, count, cache, o, line, column);
            ASSERT_EQ(std::make_pair(line, column), std::make_pair(n, o - lines[n - 1].start + 1)) << "cache " << c << " at " << o;
            if (o == d.size()) continue;
            pk::LineCache moved = cache;
            ASSERT_EQ(pk::TopLineForOffset(data, o, moved), n) << "cache " << c << " at " << o;
            ASSERT_EQ(moved.line, n);
            ASSERT_EQ(moved.offset, lines[n - 1].start);
            ASSERT_EQ(moved.start, data.data() + moved.offset);
        }
    }
    // Stepping through all lines both ways with the two walkers.
    const uint8_t* s = data.data();
    for (uint32_t n = 1; n < count; ++n) s = pk::NextLineStart(data, s);
    if (count > 0) {
        EXPECT_EQ(s - data.data(), lines[count - 1].start);
        EXPECT_GE(pk::NextLineStart(data, s), data.data() + data.size());
    }
    for (uint32_t n = count; n > 1; --n) s = pk::PrevLineStart(data, s);
    EXPECT_EQ(pk::PrevLineStart(data, s), nullptr);
}

TEST(LineModel, HandWorkedCases) {
    struct Case {
        std::string data;
        uint32_t lines, raw, expanded;
    } cases[] = {
        {"A\r\nB\r\n", 2, 1, 1}, {"A\rB\n", 1, 3, 3},     {"abc\r", 1, 4, 4},      {"\n\nX", 3, 1, 1},
        {"\r\n", 1, 0, 0},       {"1234567\t\n", 1, 8, 8}, {"12345678\t", 1, 9, 16}, {"x\ty\tz\r\n\t", 2, 5, 17},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        pk::ScanResult r = pk::ScanLines(B(c.data));
        EXPECT_EQ(std::tie(r.lineCount, r.longestRaw, r.longestExpanded), std::tie(c.lines, c.raw, c.expanded))
            << testing::PrintToString(c.data);
        CheckAgainstReference(c.data);
    }
}

TEST(LineModel, RandomDataMatchesReference) {
    std::mt19937 rng(12345);
    const char alphabet[] = {'\n', '\r', '\t', 'a', 'b', '\0', ' '};
    for (int round = 0; round < 400; ++round) {
        size_t length = rng() % (round < 300 ? 40 : 300);
        std::string d;
        for (size_t i = 0; i < length; ++i) d.push_back(alphabet[rng() % sizeof alphabet]);
        CheckAgainstReference(d);
        if (HasFatalFailure()) return;
    }
}

TEST(LineModel, LongWalksMatchReference) {
    // Walks of thousands of lines skip whole chunks of the data at a time.
    std::mt19937 rng(777);
    std::string d;
    while (d.size() < 60000) d += std::string(rng() % 90, 'x') + (rng() % 5 ? "\n" : "\r\n");
    d += "tail";
    Bytes data = B(d);
    std::vector<RefLine> lines = RefLines(d);
    uint32_t count = uint32_t(lines.size());
    for (uint32_t c : {0u, 1u, count / 3, count - 40, count}) {
        pk::LineCache cache = CacheAt(d, lines, c);
        pk::LineInfo info;
        for (uint32_t n = 1; n <= count; ++n) {
            ASSERT_TRUE(pk::LineAt(data, count, cache, n, info)) << c << " " << n;
            ASSERT_EQ(std::make_pair(info.offset, info.length), std::make_pair(lines[n - 1].start, lines[n - 1].length))
                << "cache " << c << " line " << n;
        }
    }
}

TEST(LineModel, DegenerateLargeData) {
    // One 100 MB line of each kind, and 16 million empty lines.
    const uint32_t big = 100u << 20, many = 16u << 20;
    struct Case {
        char fill;
        uint32_t size, lines, raw, expanded;
    } cases[] = {
        {'\n', many, many, 0, 0}, {'\r', big, 1, big, big}, {'\0', big, 1, big, big}, {'\t', big, 1, big, big * 8},
    };
    for (const Case& c : cases) {
        std::string d(c.size, c.fill);
        Bytes data = B(d);
        pk::ScanResult r = pk::ScanLines(data);
        EXPECT_EQ(std::tie(r.lineCount, r.longestRaw, r.longestExpanded), std::tie(c.lines, c.raw, c.expanded))
            << int(c.fill);
        pk::LineCache cache;
        pk::LineInfo last;
        ASSERT_TRUE(pk::LineAt(data, r.lineCount, cache, r.lineCount, last));
        EXPECT_EQ(last.offset, c.fill == '\n' ? c.size - 1 : 0u);
        uint32_t line = 0, column = 0;
        pk::OffsetToLineColumn(data, r.lineCount, cache, c.size - 1, line, column);
        EXPECT_EQ(line, r.lineCount);
        EXPECT_EQ(pk::TopLineForOffset(data, c.size - 1, cache), r.lineCount);
    }
    // A line wider than 32 bits (over 512 MiB of tabs) saturates instead of
    // wrapping; the state is set up as such a line would leave it.
    std::string tail = "\t\tx\n";
    pk::ScanState state;
    state.tabColumn = UINT32_MAX - 8;
    pk::ScanPart(B(tail), uint32_t(tail.size()), state);
    EXPECT_EQ(pk::ScanFinish(B(tail), state).longestExpanded, UINT32_MAX);
}

}  // namespace
