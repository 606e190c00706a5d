// The line model against hand-worked cases and against a plain reference
// built from the line rules, on random data and from every cache position.
#include "display/line_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using pk::Bytes;

Bytes B(const std::string& s) { return Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

// The reference: every line's start and text length, straight from the rules.
struct RefLine {
    uint32_t start;
    uint32_t length;
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
    uint64_t raw = 1, exp = 1;
    auto end = [&] {
        r.lineCount++;
        r.longestRaw = std::max<uint32_t>(r.longestRaw, uint32_t(raw - 1));
        r.longestExpanded = std::max<uint32_t>(r.longestExpanded, uint32_t(exp - 1));
        raw = exp = 1;
    };
    for (size_t p = 0; p < d.size(); ++p) {
        char c = d[p];
        if (c == '\n') {
            end();
        } else if (c == '\t') {
            exp += 8 - ((exp - 1) % 8);
            raw++;
        } else if (c == '\r' && p + 1 < d.size() && d[p + 1] == '\n') {
        } else {
            raw++;
            exp++;
        }
    }
    if (raw > 1 || exp > 1) end();
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
    pk::ScanResult got = pk::ScanLines(data);
    ASSERT_EQ(got.lineCount, want.lineCount);
    ASSERT_EQ(got.lineCount, count);
    ASSERT_EQ(got.longestRaw, want.longestRaw);
    ASSERT_EQ(got.longestExpanded, want.longestExpanded);

    // Scanning in pieces of any size gives the same answer.
    for (uint32_t piece : {1u, 7u, 64u, 65u}) {
        pk::ScanState state;
        for (uint32_t end = 0; end < d.size();) {
            end = std::min<uint32_t>(end + piece, uint32_t(d.size()));
            pk::ScanPart(data, end, state);
        }
        pk::ScanResult parts = pk::ScanFinish(data, state);
        ASSERT_EQ(parts.lineCount, want.lineCount) << piece;
        ASSERT_EQ(parts.longestRaw, want.longestRaw) << piece;
        ASSERT_EQ(parts.longestExpanded, want.longestExpanded) << piece;
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
            ASSERT_EQ(line, n) << "cache " << c << " offset " << o;
            ASSERT_EQ(column, o - lines[n - 1].start + 1) << "cache " << c << " offset " << o;
        }
    }
    for (uint32_t o = 0; o < d.size(); ++o) {
        uint32_t n = 1;
        while (n < count && lines[n].start <= o) ++n;
        pk::LineCache cache = CacheAt(d, lines, count);
        ASSERT_EQ(pk::TopLineForOffset(data, o, cache), n) << o;
        ASSERT_EQ(cache.line, n);
        ASSERT_EQ(cache.offset, lines[n - 1].start);
        ASSERT_EQ(cache.start, reinterpret_cast<const uint8_t*>(d.data()) + cache.offset);
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
        {"A\nB", 2, 1, 1},
        {"A\r\nB\r\n", 2, 1, 1},
        {"A\rB\n", 1, 3, 3},
        {"abc\r", 1, 4, 4},
        {"\n\nX", 3, 1, 1},
        {"\n", 1, 0, 0},
        {"\t\tX", 1, 3, 17},
        {"ab\tc", 1, 4, 9},
        {"\r\r\r", 1, 3, 3},
        {"\r\n", 1, 0, 0},
        {"1234567\t\n", 1, 8, 8},
        {"12345678\t", 1, 9, 16},
        {"x\ty\tz\r\n\t", 2, 5, 17},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        pk::ScanResult r = pk::ScanLines(B(c.data));
        EXPECT_EQ(r.lineCount, c.lines) << testing::PrintToString(c.data);
        EXPECT_EQ(r.longestRaw, c.raw) << testing::PrintToString(c.data);
        EXPECT_EQ(r.longestExpanded, c.expanded) << testing::PrintToString(c.data);
        CheckAgainstReference(c.data);
    }
    // The carriage return that ends the data is no part of the text.
    std::string abc = "abc\r";
    EXPECT_EQ(pk::LineLength(B(abc), B(abc).data()).length, 3u);
    // Stepping back from line 3 of "\n\nX" reaches offset 1.
    std::string two = "\n\nX";
    EXPECT_EQ(pk::PrevLineStart(B(two), B(two).data() + 2) - B(two).data(), 1);
    // A line feed belongs to the line it ends.
    std::string ab = "ab\ncd";
    pk::LineCache cache;
    EXPECT_EQ(pk::TopLineForOffset(B(ab), 2, cache), 1u);
    EXPECT_EQ(pk::TopLineForOffset(B(ab), 0, cache), 1u);
    EXPECT_EQ(pk::TopLineForOffset(B(ab), 3, cache), 2u);
}

TEST(LineModel, TabWidthAndCells) {
    const uint32_t widths[][2] = {{1, 8}, {2, 7}, {8, 1}, {9, 8}, {16, 1}, {17, 8}};
    for (auto& w : widths) EXPECT_EQ(pk::TabWidth(w[0]), w[1]) << w[0];

    auto cells = [](const std::string& text, bool expand) {
        std::string out;
        pk::CellCursor cursor;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(text.data());
        for (uint32_t index = 0;; ++index) {
            int c = pk::NextCell(p, uint32_t(text.size()), index, cursor, expand);
            if (c == pk::END_OF_LINE) break;
            out.push_back(char(c));
        }
        return out;
    };
    EXPECT_EQ(cells("ab\tc", true), "ab      c");
    EXPECT_EQ(cells("\t\tX", true), std::string(16, ' ') + "X");
    EXPECT_EQ(cells("ab\tc", false), "ab\tc");
    EXPECT_EQ(cells("", true), "");
    // While a tab's blanks are given, the byte position stays after the tab.
    pk::CellCursor cursor;
    const uint8_t text[] = {'\t', 'x'};
    pk::NextCell(text, 2, 0, cursor, true);
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(cursor.position, 1u);
        EXPECT_EQ(pk::NextCell(text, 2, i, cursor, true), ' ');
    }
    EXPECT_EQ(pk::NextCell(text, 2, 8, cursor, true), 'x');
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

TEST(LineModel, DegenerateLargeData) {
    // One 100 MB line of each kind, and 16 million empty lines.
    const uint32_t big = 100u << 20, many = 16u << 20;
    struct Case {
        char fill;
        uint32_t size, lines, raw, expanded;
    } cases[] = {
        {'\n', many, many, 0, 0},
        {'\r', big, 1, big, big},
        {'x', big, 1, big, big},
        {'\0', big, 1, big, big},
        {'\t', big, 1, big, big * 8},
    };
    for (const Case& c : cases) {
        std::string d(c.size, c.fill);
        Bytes data = B(d);
        pk::ScanResult r = pk::ScanLines(data);
        EXPECT_EQ(r.lineCount, c.lines) << int(c.fill);
        EXPECT_EQ(r.longestRaw, c.raw) << int(c.fill);
        EXPECT_EQ(r.longestExpanded, c.expanded) << int(c.fill);
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
