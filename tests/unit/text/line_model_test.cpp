// The line model against hand-worked cases and against a plain reference
// built from the line rules, from every cache position, over several index
// intervals, in pieces and in joined parts (random data: line_model_fuzz).
#include <gtest/gtest.h>

#include <random>

#include "line_reference.h"

namespace {

using namespace pktest;
using pk::Bytes;
constexpr uint64_t kStep = pk::LINE_INDEX_STEP;
constexpr uint64_t kPieces[] = {1, 7, 64, 65, 40000};

// Cells as a UTF-8 locale gives them.
const bool kUtf8Widths = [] {
    setlocale(LC_CTYPE, "C.UTF-8");
    pk::ReadCharacterWidths();
    return true;
}();

// UTF-8 pieces for test data: wide, accented, four bytes, a joined mark, a
// lone mark, a broken byte.
const char* const kUtf8Pieces[] = {"\xE6\x97\xA5", "\xC3\xA9", "\xF0\x9F\x98\x80", "e\xCC\x81", "\xCC\x81", "\x80"};

// Compares every operation with the reference, with the index and without
// it, from the cache at each of caches and for each of probes as a line
// number and as an offset (all of them when none are given); and steps
// through all lines both ways with the two walkers.
void CheckAgainstReference(const std::string& d, std::vector<uint64_t> caches = {}, std::vector<uint64_t> probes = {}) {
    SCOPED_TRACE(testing::Message() << "size " << d.size() << " " << testing::PrintToString(d.substr(0, 80)));
    Measured m(d);
    ASSERT_EQ(CheckMeasure(m, kPieces), "");
    uint64_t count = uint64_t(m.lines.size());
    if (caches.empty())
        for (uint64_t c = 0; c <= count; ++c) caches.push_back(c);
    if (probes.empty())
        for (uint64_t k = 0; k <= std::max<uint64_t>(count + 1, uint64_t(d.size())); ++k) probes.push_back(k);
    for (pk::TextLines t : {m.text(), pk::TextLines{B(m.d), count, {}}})
        for (uint64_t c : caches)
            for (uint64_t p : probes) ASSERT_EQ(CheckLineAndOffset(m, t, c, p, p), "");
    // Stepping through all lines both ways with the two walkers.
    Bytes data = B(m.d);
    const uint8_t* s = data.data();
    for (uint64_t n = 1; n < count; ++n) s = pk::NextLineStart(data, s);
    if (count > 0) {
        EXPECT_EQ(s - data.data(), m.lines[count - 1].start);
        EXPECT_GE(pk::NextLineStart(data, s), data.data() + data.size());
    }
    for (uint64_t n = count; n > 1; --n) s = pk::PrevLineStart(data, s);
    EXPECT_EQ(pk::PrevLineStart(data, s), nullptr);
}

TEST(LineModel, HandWorkedCases) {
    struct Case { std::string data; uint64_t lines, raw, expanded, cellsRaw, cellsExpanded; } cases[] = {
        {"A\r\nB\r\n", 2, 1, 1, 1, 1},          {"A\rB\n", 1, 3, 3, 3, 3},
        {"abc\r", 1, 4, 4, 4, 4},                {"\n\nX", 3, 1, 1, 1, 1},
        {"\r\n", 1, 0, 0, 0, 0},                 {"1234567\t\n", 1, 8, 8, 8, 8},
        {"12345678\t", 1, 9, 16, 9, 16},         {"x\ty\tz\r\n\t", 2, 5, 17, 5, 17},
        {"", 0, 0, 0, 0, 0},
        // UTF-8: wide characters and a tab in one block, a joined mark, a
        // lone one, a line across two blocks.
        {Repeat("\xE6\x97\xA5", 20) + "\tx\nabcd\n", 2, 62, 65, 42, 49},
        {"e\xCC\x81\n\xCC\x81x", 2, 3, 3, 3, 3},
        {"ab" + std::string(60, 'e') + "\xF0\x9F\x98\x80\xCC\x81\r\n", 1, 68, 68, 64, 64},  // across a block
    };
    for (const Case& c : cases) {
        pk::ScanResult r = pk::ScanLines(B(c.data));
        EXPECT_EQ(Tie(r), std::tie(c.lines, c.raw, c.expanded, c.cellsRaw, c.cellsExpanded))
            << testing::PrintToString(c.data);
        CheckAgainstReference(c.data);
    }
}

// A line looked for within a window: cut there, its carriage return dropped
// only where the line truly ends (a line feed, or the end of the data).
TEST(LineModel, AWindowCutsALongLine) {
    const struct { std::string data; uint64_t window, length; } cases[] = {
        {"abcdef\n", 3, 3}, {"abc\r\n", 4, 4}, {"abc\r\n", 5, 3}, {"abc\r", 4, 3},
        {"abc\n", 0, 0},    {"abc", UINT64_MAX, 3}, {"abc\r\nx", UINT64_MAX, 3},
    };
    for (const auto& c : cases) {
        Bytes data = B(c.data);
        EXPECT_EQ(pk::LineLength(data, data.data(), c.window).length, c.length)
            << testing::PrintToString(c.data) << " " << c.window;
    }
}

// Data over several index intervals: random lines (some longer than an
// interval), line feeds exactly on the interval edges and next to them, no
// line feed at all, only line feeds. From caches at the start, middle and
// end (and none), lines and offsets near every edge and at random.
TEST(LineModel, IndexedWalksMatchReference) {
    std::mt19937 rng(777);
    std::string random;
    while (random.size() < 5 * kStep) {
        size_t length = rng() % 50 == 0 ? kStep + rng() % kStep : rng() % 300;
        random += std::string(length, "x\ty"[rng() % 3]) + (rng() % 4 ? "" : kUtf8Pieces[rng() % 6]) +
                  (rng() % 5 ? "\n" : "\r\n");
    }
    std::vector<std::string> sets = {random + "tail", std::string(5 * kStep + 17, 'x'), std::string(5 * kStep, '\n')};
    for (int delta : {-2, -1, 0, 1}) {
        std::string edges(4 * kStep + 3, 'x');
        for (uint64_t k = 1; k <= 4; ++k) edges[k * kStep + delta] = '\n';
        sets.push_back(edges);
    }
    for (const std::string& d : sets) {
        const uint64_t count = uint64_t(RefLines(d).size());
        std::vector<uint64_t> probes{count};  // offsets and line numbers
        for (uint64_t k = 0; k * kStep <= d.size() + 2; ++k)
            for (int64_t x = int64_t(k * kStep) - 3; x <= int64_t(k * kStep) + 3; ++x)
                if (x >= 0) probes.push_back(uint64_t(x));
        for (uint64_t e : RefIndex(d))
            for (uint64_t n = e; n <= e + 3; ++n) probes.push_back(n);
        for (int i = 0; i < 100; ++i) probes.push_back(uint64_t(rng() % (d.size() + 1)));
        CheckAgainstReference(d, {0u, 1u, count / 2, count}, probes);
    }
}

// A file read in parts, each measured apart as if a line began at its first
// byte and then joined, gives the one-pass result: cut at every point next
// to the CR LF pairs and the tabs of lines that run across the cut (the
// widest of them crosses an index point), at index points, and in three.
TEST(LineModel, PartsJoinAsOnePass) {
    std::mt19937 rng(99);
    std::string d;
    std::vector<uint64_t> cuts;
    while (d.size() < 2 * kStep + 5000) {
        if (d.size() > kStep - 3000 && d.size() < kStep) {
            uint64_t start = uint64_t(d.size());
            d += std::string(3, 'w') + "\t\tacross the index point\t" + std::string(6000, 'w') + "\r\n";
            for (uint64_t at : {0u, 3u, 4u, 5u, 27u, 28u, 3000u, 6028u, 6029u, 6030u}) cuts.push_back(start + at);
            // The widest in cells: 3500 emoji, which measured from a cut
            // inside one would come out one cell wider.
            start = uint64_t(d.size());
            d += Repeat(kUtf8Pieces[2], 3500) + "\n";
            for (uint64_t at : {1u, 2u, 3u, 4u, 7001u}) cuts.push_back(start + at);
        }
        size_t at = d.size();
        d += std::string(rng() % 120, 'a') + (rng() % 3 ? "\t" : "") + (rng() % 3 ? "" : kUtf8Pieces[rng() % 6]) +
             std::string(rng() % 9, 'b') + "\r\n";
        if (rng() % 20 == 0) cuts.push_back(uint64_t(at + rng() % (d.size() - at)));
    }
    for (size_t p = d.find_first_of("\r\t"); p != std::string::npos; p = d.find_first_of("\r\t", p + 1))
        if (p > 0 && (p % 97 < 3 || p < 200)) cuts.insert(cuts.end(), {uint64_t(p - 1), uint64_t(p), uint64_t(p + 1), uint64_t(p + 2)});
    for (uint64_t k = 1; k <= 2; ++k) cuts.insert(cuts.end(), {k * kStep - 1, k * kStep, k * kStep + 1});
    Measured whole(d);
    ASSERT_EQ(Tie(whole.scan), Tie(RefScan(d)));
    ASSERT_GT(whole.scan.longestExpanded, 6000u);
    ASSERT_EQ(whole.scan.widestCellsRaw, 7000u);
    auto scanParts = [&](std::vector<uint64_t> bounds) {
        std::vector<uint64_t> index(whole.index.size(), 12345);
        bounds.insert(bounds.begin(), 0);
        bounds.push_back(uint64_t(d.size()));
        pk::ScanState joined = pk::StartScan(0, index);
        for (size_t i = 0; i + 1 < bounds.size(); ++i) {
            pk::ScanState part = pk::StartScan(bounds[i], index);
            pk::ScanPart(B(d), bounds[i + 1], part);
            if (i == 0) joined = part;
            else pk::JoinPart(B(d), joined, part);
        }
        EXPECT_EQ(Tie(pk::ScanFinish(B(d), joined)), Tie(whole.scan)) << testing::PrintToString(bounds);
        EXPECT_EQ(index, whole.index) << testing::PrintToString(bounds);
    };
    for (uint64_t cut : cuts) scanParts({cut});
    for (int i = 0; i < 50; ++i) {
        std::vector<uint64_t> three{uint64_t(rng() % d.size()), uint64_t(rng() % d.size())};
        std::sort(three.begin(), three.end());
        scanParts(three);
    }
}

TEST(LineModel, DegenerateLargeData) {
    // One 100 MB line of each kind, and 16 million empty lines.
    const uint64_t big = 100u << 20, many = 16u << 20;
    struct Case { char fill; uint64_t size, lines, raw, expanded; } cases[] = {
        {'\n', many, many, 0, 0}, {'\r', big, 1, big, big}, {'\0', big, 1, big, big}, {'\t', big, 1, big, big * 8},
    };
    for (const Case& c : cases) {
        std::string d(c.size, c.fill);
        std::vector<uint64_t> index(pk::LineIndexSize(c.size));
        pk::ScanResult r = pk::ScanLines(B(d), index);
        EXPECT_EQ(Tie(r), std::tie(c.lines, c.raw, c.expanded, c.raw, c.expanded)) << int(c.fill);
        EXPECT_EQ(index.back(), c.fill == '\n' ? (index.size() - 1) * kStep : 0u);
        const pk::TextLines t{B(d), r.lineCount, index};
        pk::LineCache cache;
        pk::LineInfo last;
        ASSERT_TRUE(pk::LineAt(t, cache, r.lineCount, last));
        EXPECT_EQ(last.offset, c.fill == '\n' ? c.size - 1 : 0u);
        uint64_t line = 0, column = 0;
        pk::OffsetToLineColumn(t, cache, c.size - 1, line, column);
        EXPECT_EQ(line, r.lineCount);
        EXPECT_EQ(pk::TopLineForOffset(t, c.size - 1, cache), r.lineCount);
    }
    // A line wider than 32 bits (over 512 MiB of tabs) is measured in full;
    // the state is set up as such a line would leave it.
    std::string tail = "\t\tx\n";
    pk::ScanState state;
    state.tabColumn = UINT32_MAX - 8;
    pk::ScanPart(B(tail), uint64_t(tail.size()), state);
    EXPECT_EQ(pk::ScanFinish(B(tail), state).longestExpanded, uint64_t(UINT32_MAX) + 2);
}

}  // namespace
