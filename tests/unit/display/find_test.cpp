// Find: the fast searches against a plain reference that compares at every
// position, walking lines one by one; the messages and flags of RunFind; and
// where a hit puts the view.
#include "display/find.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <tuple>

#include "find_reference.h"
#include "test_screen.h"

using pk::FilePosition;

namespace {

std::string RandomBytes(std::mt19937& rng, size_t size, std::string_view alphabet) {
    std::string out(size, '\0');
    for (char& c : out) c = alphabet.empty() ? char(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    return out;
}

// Letters that fold, their near neighbours that must not, and line ends.
constexpr std::string_view kMixed = std::string_view("aAbBzZ@[`{\r\n\t\0 x", 16);

std::string RandomNeedle(std::mt19937& rng, const std::string& data) {
    size_t n = 1 + rng() % 6;
    if (rng() % 2 == 0 || data.size() < n) return RandomBytes(rng, n, kMixed);
    std::string s = data.substr(rng() % (data.size() - n + 1), n);
    for (char& c : s)
        if (rng() % 2 && std::isalpha(uint8_t(c))) c ^= 0x20;
    return s;
}

std::string RandomData(std::mt19937& rng, int trial) {
    if (trial % 3 == 0) return RandomBytes(rng, 1 + rng() % 600, trial % 2 ? "" : kMixed);
    std::string out;
    for (size_t i = 0, lines = 1 + rng() % 60; i < lines; ++i)
        out += RandomBytes(rng, rng() % 30, kMixed.substr(0, 10)) + (rng() % 3 ? "" : "\t") + (rng() % 4 ? "\n" : "\r\n");
    return out + RandomBytes(rng, rng() % 5, "aB\r");
}

// From a random start (lines past the end and columns beyond a line's text
// included), repeated finds give the reference's hits one after another
// until "Not found"; the next find starts again at the top.
TEST(Find, RepeatedFindsGiveTheReferenceHitsInBothViewsAndCaseModes) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 200; ++trial) {
        std::string data = RandomData(rng, trial);
        for (int k = 0; k < 4; ++k) {
            std::string needle = RandomNeedle(rng, data);
            for (int mode = 0; mode < 4; ++mode) {
                bool hex = mode & 1, fold = mode & 2;
                SCOPED_TRACE(::testing::Message() << "trial " << trial << " needle size " << needle.size() << " mode " << mode);
                pktest::TestScreen s;
                pk::FileEntry& e = s.load(data);
                pk::display.hexView = hex;
                pk::display.exactCase = !fold;
                pktest::SetFindString(needle);
                FilePosition start{1, 1, 0}, want{};
                if (k % 2) start = {uint64_t(rng() % (e.lineCount + 2)), uint64_t(1 + rng() % 40), uint64_t(rng() % (e.size + 2))};
                e.findStart = start;
                for (int round = 0;; ++round) {
                    bool hit = pktest::ReferenceFind(e, needle, hex, fold, start, want);
                    ASSERT_EQ(pk::RunFind(), hit ? 1 : 0) << "round " << round;
                    if (!hit) break;
                    ASSERT_EQ(hex ? e.found.offset : e.found.line, hex ? want.offset : want.line);
                    ASSERT_EQ(hex ? 0 : e.found.column, hex ? 0 : want.column);
                    EXPECT_EQ(pk::display.foundLength, needle.size());
                    EXPECT_TRUE(e.findFlags & pk::FOUND_SHOWN);
                    pk::LineInfo info;  // a text hit leaves the line cache on its line
                    if (!hex && pk::LineAt(e.lines(), pk::LineCache{}, want.line, info)) {
                        EXPECT_EQ(std::tie(e.cache.line, e.cache.offset, e.cache.start), std::tie(want.line, info.offset, info.start));
                    }
                    start = hex ? FilePosition{1, 1, want.offset + 1} : FilePosition{want.line, want.column + 1, 0};
                }
                EXPECT_EQ(s.message(), "Not found");
                EXPECT_EQ(e.findFlags & (pk::FIND_FAILED | pk::FOUND_SHOWN), pk::FIND_FAILED);
                if (!pktest::ReferenceFind(e, needle, hex, fold, {1, 1, 0}, want)) continue;
                ASSERT_EQ(pk::RunFind(), 1);
                EXPECT_EQ(hex ? e.found.offset : e.found.line, hex ? want.offset : want.line);
                EXPECT_EQ(hex ? 0 : e.found.column, hex ? 0 : want.column);
            }
        }
    }
}

// The line rules at the edges the random data rarely reaches, and no find string.
TEST(Find, LineRulesAndExamples) {
    // where: 0 not found, else offset + 1 (hex view) or line * 100 + column
    struct Case { std::string data, needle; bool hex; uint32_t startColumn, where; } cases[] = {
        {"abc", "c", true, 1, 3},                         // the very last byte
        {"aaab\nab\r\n", "ab", false, 4, 201},          // left of the start column is not searched
        {"aaab\nab\r\n", "b\r", false, 1, 0},          // the CR ending a line is no part of it
        {"x\ra\rb\r", "\ra\r", false, 1, 102},         // only the last CR ends the line
        {std::string("a\0b\nA\0B", 7), std::string("A\0b", 3), false, 2, 201},
        {"@[`{", "`{", true, 1, 3},  // the neighbours of the letters do not fold
    };
    for (const Case& c : cases) {
        pktest::TestScreen s;
        pk::FileEntry& e = s.load(c.data);
        pk::display.hexView = c.hex;
        pk::display.exactCase = 0;
        pktest::SetFindString(c.needle);
        e.findStart = {1, c.startColumn, 0};
        const int hit = pk::RunFind();
        EXPECT_EQ(hit ? c.hex ? e.found.offset + 1 : e.found.line * 100 + e.found.column : 0, c.where) << c.data;
        EXPECT_EQ(s.message(), c.where ? "" : "Not found") << c.data;
    }
    pktest::TestScreen s;
    s.load("abc");
    EXPECT_EQ(pk::RunFind(), 0);  // no find string: a beep only
    EXPECT_EQ(s.console.beeps, 1);
    EXPECT_EQ(s.message(), "");
}

// Backward repeats give the forward hits in reverse; the miss at the top
// wraps to the last hit. Strings and patterns, both views.
TEST(Find, BackwardRepeatsRetraceTheForwardHits) {
    const std::string data = "ab abab\r\n\nxab\tAB\nlast ab";
    struct Case { const char* needle; uint32_t kind; bool hex; } cases[] = {
        {"ab", pk::FIND_KIND_TEXT, false}, {"ab", pk::FIND_KIND_TEXT, true}, {"a?b", pk::FIND_KIND_PATTERN, false},
        {"b$|^x", pk::FIND_KIND_PATTERN, true}, {"b\r\n", pk::FIND_KIND_HEX, false},
    };
    for (const Case& c : cases) {
        pktest::TestScreen s;
        pk::FileEntry& e = s.load(data);
        pk::display.hexView = c.hex;
        pktest::SetFindString(c.needle);
        pk::settings.findKind = c.kind;
        auto where = [&] { return c.hex ? e.found.offset : e.found.line * 1000 + e.found.column; };
        std::vector<uint32_t> forward, backward;
        for (e.findStart = {1, 1, 0}; pk::RunFind();) forward.push_back(where());
        pk::settings.findBackward = 1;
        for (e.findStart = pk::EndPosition(); pk::RunFind();) backward.push_back(where());
        EXPECT_EQ(e.findStart.line, pk::EndPosition().line);  // the miss: the next repeat starts at the end
        ASSERT_EQ(pk::RunFind(), 1);
        EXPECT_EQ(where(), forward.back());
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, forward) << c.needle;
        EXPECT_FALSE(forward.empty()) << c.needle;
    }
}

// "all": the first hit and the count in the message; every hit on screen
// bright in both views, a hex string's across a line end in the text view.
TEST(Find, AllCountsAndEveryHitOnScreenIsBright) {
    pktest::TestScreen s;
    pk::FileEntry& e = s.load("xab ab\r\nab\r\nc\n");
    pktest::SetFindString("ab");
    pk::CountOnNextFind();
    e.findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), pk::FIND_HIT_COUNTED);
    EXPECT_EQ(s.message(), "3 hits");
    pk::DrawTextView();
    EXPECT_EQ(s.lit(3) + "|" + s.lit(4), "1-2 4-5|0-1");
    pk::display.hexView = 1;
    e.found.offset = 1;
    pk::DrawHexView();
    EXPECT_EQ(s.lit(3), "17-20 25-28 35-38 59-60 62-63 66-67");
    pk::display.hexView = 0;
    pktest::SetFindString("\r\nc");  // the hex string '0d0a63: line ends are bytes
    pk::settings.findKind = pk::FIND_KIND_HEX;
    e.findStart = {1, 1, 0};
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(std::tie(e.found.line, e.found.column), std::make_tuple(2u, 3u));
    pk::DrawTextView();
    EXPECT_EQ(s.lit(3) + "|" + s.lit(4) + "|" + s.lit(5), "||0-0");
    pktest::SetFindString("X");
    e.findStart = {1, 1, 0};
    pk::CountOnNextFind();
    ASSERT_EQ(pk::RunFind(), pk::FIND_HIT_COUNTED);
    EXPECT_EQ(s.message(), "1 hit");
    e.findStart = {1, 1, 0};
    pk::settings.findKind = pk::FIND_KIND_PATTERN;
    pktest::SetFindString("a(");
    EXPECT_EQ(pk::RunFind(), 0);
    EXPECT_EQ(s.message(), "Bad pattern at 2");
}

TEST(Find, HitMovesTheViewToShowIt) {
    pktest::TestScreen s;  // 80x25: 21 data rows
    using pktest::Repeat;
    pk::FileEntry& e = s.load(Repeat("line\n", 1499) + std::string(90, '-') + "needle\n" + Repeat("line\n", 500));
    pktest::SetFindString("needle");
    ASSERT_EQ(pk::RunFind(), 1);  // the hit on data row 10, its last byte (column 96) at the right edge
    EXPECT_EQ(std::tie(e.found.line, e.view.line, e.view.column), std::make_tuple(1500u, 1491u, 17u));

    // Tabs on: the hit is placed by the columns where it is shown. Six tabs
    // fill columns 1-48, so "target" (bytes 48-53) stands at columns 90-95.
    pk::FileEntry& tabbed = s.load(std::string(6, '\t') + std::string(40, 'x') + " target\n");
    pk::settings.tabsOn = 1;
    pktest::SetFindString("target");
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(std::tie(tabbed.found.column, tabbed.view.column), std::make_tuple(48u, 16u));
    pk::settings.tabsOn = 0;

    s.load(std::string(5000, '.') + "zz");
    pk::display.hexView = 1;
    pktest::SetFindString("zz");
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(s.entry().view.offset, (5000u - 168u) / 16 * 16);  // near mid-screen, on a row start
    s.entry().view.offset = 4992;
    s.entry().findStart.offset = 35;
    pktest::SetFindString(".");
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(s.entry().view.offset, 32u);  // above the view: the hit's row on top
}

}  // namespace
