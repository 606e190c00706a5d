// The find's search engine against a per-line reference: each line's text
// searched as a subject of its own (a pattern's hits one after another from
// the line's start; a string's at every offset where it stands). Random
// text with CRLF line ends, invalid UTF-8 and lines longer than the
// backward chunk; forward from any offset, backward before any offset,
// counting, caseless, UTF-8, and the hex view's plain byte range.
#include "text/find_engine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "line_reference.h"

namespace {

using pk::FindHit;

std::span<const uint8_t> S(std::string_view s) { return pktest::B(s); }

std::string RandomText(std::mt19937& rng, size_t lines, size_t longLine) {
    static constexpr std::string_view kBytes("aAbBc9 0\t\xC3\xA9\xFF", 13);
    std::string d;
    for (size_t i = 0; i < lines; ++i) {
        size_t n = i == lines / 2 ? longLine : rng() % 24;
        for (size_t k = 0; k < n; ++k) d += kBytes[rng() % kBytes.size()];
        d += rng() % 4 ? "\n" : "\r\n";
    }
    return rng() % 2 ? d : d.substr(0, d.size() - 1 - rng() % 2);
}

// Every hit by the per-line reference: the line's text and a line feed as
// the subject, the hits that lie within the text.
std::vector<FindHit> Reference(const pk::FindRequest& request, std::string_view d) {
    pk::FindRequest perLine = request;
    perLine.lines = false;
    pk::Finder f;
    size_t error = 0;
    EXPECT_TRUE(pk::PrepareFind(perLine, f, error));
    std::vector<FindHit> hits;
    for (const pktest::RefLine& line : pktest::RefLines(d)) {
        const std::string subject = std::string(d.substr(line.start, line.length)) + "\n";
        for (FindHit h = pk::FindFirstIn(f, S(subject), 0, pk::NO_HIT); h.start != pk::NO_HIT;
             h = pk::FindFirstIn(f, S(subject), pk::NextSearchFrom(f, h), pk::NO_HIT))
            if (h.end <= line.length) hits.push_back({line.start + h.start, line.start + h.end});
    }
    return hits;
}

struct Case {
    const char* needle;
    bool pattern, fold = false, utf8 = false;
};

TEST(FindEngine, ChainsBackwardAndFromAnyOffsetEqualThePerLineReference) {
    const Case cases[] = {
        {"ab", false},       {"aB", false, true},   {"c9 ", false},       {"a+b", true},
        {"^a", true},        {"b$", true},          {"\\d+", true},       {"[ab]c*", true},
        {"x|9 0", true},     {"a.*b", true},        {"\\bab", true},      {"c\\s*a", true},
        {"$", true},         {"^", true},           {"ab+c", true, true}, {"B\\tA", true, true},
        {"\xC3\xA9+", true, false, true},           {".b", true, false, true},
        {"\xC3\x89", true, true, true},             {"c9 0[^\\r]", true},  {"a\tb", true, true},
    };
    std::mt19937 rng(7);
    for (int trial = 0; trial < 60; ++trial) {
        const bool big = trial == 0;  // lines around and beyond a real chunk
        std::string d = big ? RandomText(rng, 8000, pk::FIND_BACK_CHUNK + 5000) : RandomText(rng, rng() % 30, 200);
        const uint64_t chunk = big ? pk::FIND_BACK_CHUNK : 1 + rng() % 64;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "trial " << trial << " needle " << c.needle);
            pk::FindRequest request{S(c.needle), c.pattern, c.fold, c.utf8, true};
            pk::Finder f;
            size_t error = 0;
            ASSERT_TRUE(pk::PrepareFind(request, f, error));
            std::vector<FindHit> want = Reference(request, d), got;
            for (FindHit h = pk::FindFirstIn(f, S(d), 0, pk::NO_HIT); h.start != pk::NO_HIT;
                 h = pk::FindFirstIn(f, S(d), pk::NextSearchFrom(f, h), pk::NO_HIT))
                got.push_back(h);
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(std::tie(got[i].start, got[i].end), std::tie(want[i].start, want[i].end)) << i;
            EXPECT_EQ(pk::CountHits(f, S(d)), want.size());
            for (int k = 0; k < (big ? 3 : 12); ++k) {
                uint64_t before = k == 0 ? d.size() + 1 : rng() % (d.size() + 2);
                auto after = std::lower_bound(want.begin(), want.end(), before,
                                              [](const FindHit& h, uint64_t o) { return h.start < o; });
                FindHit back = pk::FindLastBefore(f, S(d), before, chunk);
                EXPECT_EQ(back.start, after == want.begin() ? pk::NO_HIT : std::prev(after)->start) << before;
                // Forward: a string's next hit from any offset, a pattern's
                // from the start of one of its hits; alone, and with the range
                // cut into pieces that threads take in turn.
                const uint64_t piece = 1 + rng() % 48;
                const unsigned workers = 2 + unsigned(k % 3);
                if (after == want.end()) {
                    FindHit none = pk::FindFirstAcross(f, S(d), before, pk::NO_HIT, piece, workers);
                    EXPECT_TRUE(c.pattern || none.start == pk::NO_HIT) << before;
                    continue;
                }
                const uint64_t from = c.pattern ? after->start : before;
                FindHit next = pk::FindFirstIn(f, S(d), from, pk::NO_HIT);
                FindHit across = pk::FindFirstAcross(f, S(d), from, pk::NO_HIT, piece, workers);
                EXPECT_EQ(std::tie(next.start, next.end), std::tie(after->start, after->end)) << before;
                EXPECT_EQ(std::tie(across.start, across.end), std::tie(next.start, next.end)) << from << " " << piece;
            }
            EXPECT_FALSE(f.failed);
        }
    }
}

// A find across pieces that threads take in turn finds what one search
// does, from any offset, in both views: patterns whose pieces begin at line
// starts, among CRLF line ends, and those searched alone because their hits
// depend on where a search starts.
TEST(FindEngine, FindAcrossPiecesEqualsOneSearch) {
    const char* needles[] = {"^\\s", "^", "$", "\\s$", "a[^b]*c", "[ab]\\d|9", "(?<=a)b", "\\bc9",
                             "c.\\n|.\\z", "\\Ga", "a\\Kb", "(*COMMIT)a|b", "a(*SKIP)(*F)|b", "\r$", "ab"};
    std::mt19937 rng(11);
    for (int trial = 0; trial < 40; ++trial) {
        const std::string d = RandomText(rng, rng() % 40, 300);
        for (const char* needle : needles)
            for (int mode = 0; mode < 8; ++mode) {
                const bool lines = mode & 1, fold = mode & 2, utf8 = mode & 4;
                pk::Finder f;
                size_t error = 0;
                ASSERT_TRUE(pk::PrepareFind({S(needle), true, fold, utf8, lines}, f, error)) << needle;
                for (int k = 0; k < 6; ++k) {
                    const uint64_t from = rng() % (d.size() + 2), piece = 1 + rng() % 40;
                    FindHit alone = pk::FindFirstIn(f, S(d), from, pk::NO_HIT);
                    FindHit across = pk::FindFirstAcross(f, S(d), from, pk::NO_HIT, piece, 2 + unsigned(k % 3));
                    EXPECT_EQ(std::tie(across.start, across.end), std::tie(alone.start, alone.end))
                        << needle << " mode " << mode << " from " << from << " piece " << piece;
                }
            }
    }
}

// A piece whose search stops at the matching limit ends the find only when
// no earlier piece holds a hit, as one search of the whole range would.
TEST(FindEngine, FindAcrossPiecesStopsWhereOneSearchStops) {
    std::string filler, runaway = std::string(40, 'a') + "\n";
    for (int i = 0; i < 40; ++i) filler += "x\n";
    const pk::FindRequest request{S("(a+)+c|b"), true, false, false, true};
    size_t error = 0;
    for (const std::string& d : {filler + "b\n" + filler + runaway, filler + runaway + filler + "b\n"}) {
        pk::Finder alone;
        ASSERT_TRUE(pk::PrepareFind(request, alone, error));
        FindHit want = pk::FindFirstIn(alone, S(d), 0, pk::NO_HIT);
        EXPECT_EQ(want.start, d[80] == 'b' ? 80u : pk::NO_HIT);
        EXPECT_EQ(alone.failed, d[80] != 'b');
        // Which thread meets the runaway line varies: try several.
        for (unsigned workers = 2; workers <= 6; ++workers) {
            pk::Finder across;
            ASSERT_TRUE(pk::PrepareFind(request, across, error));
            FindHit got = pk::FindFirstAcross(across, S(d), 0, pk::NO_HIT, 8, workers);
            EXPECT_EQ(got.start, want.start) << workers;
            EXPECT_EQ(across.failed, alone.failed) << workers;
        }
    }
}

// The hex view: strings and patterns over the bytes, line ends included.
TEST(FindEngine, BytesModeFindsAcrossLineEnds) {
    const std::string d = "ab\r\ncd\nab\r\n";
    struct { const char* needle; bool pattern; std::vector<uint64_t> starts; } cases[] = {
        {"\r\n", false, {2, 9}}, {"\ncd", false, {3}}, {"b\\r?\\n", true, {1, 8}}, {"^", true, {0, 4, 7}},
        {"d$", true, {5}},       {"[^a]+", true, {1, 8}},
    };
    for (const auto& c : cases) {
        pk::Finder f;
        size_t error = 0;
        ASSERT_TRUE(pk::PrepareFind({S(c.needle), c.pattern, false, false, false}, f, error));
        std::vector<uint64_t> got;
        for (FindHit h = pk::FindFirstIn(f, S(d), 0, pk::NO_HIT); h.start != pk::NO_HIT;
             h = pk::FindFirstIn(f, S(d), pk::NextSearchFrom(f, h), pk::NO_HIT))
            got.push_back(h.start);
        EXPECT_EQ(got, c.starts) << c.needle;
        EXPECT_EQ(pk::FindLastBefore(f, S(d), d.size()).start, c.starts.back()) << c.needle;
    }
    pk::Finder f;
    size_t error = 0;
    EXPECT_FALSE(pk::PrepareFind({S("ab(c"), true, false, false, false}, f, error));
    EXPECT_EQ(error, 4u);
}

}  // namespace
