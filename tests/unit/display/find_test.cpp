// Find: the fast searches against a plain reference that compares at every
// position, walking lines one by one; the messages and flags of RunFind; and
// where a hit puts the view.
#include "display/find.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "display/find_scan.h"
#include "interact/loaded_file.h"

using pk::FilePosition;
using pktest::LoadedFile;

namespace {

// ---- the reference: compare at every position, line by line ----

bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n, bool fold) {
    for (size_t i = 0; i < n; ++i) {
        uint8_t x = a[i], y = b[i];
        if (fold) {
            if (x >= 'A' && x <= 'Z') x |= 0x20;
            if (y >= 'A' && y <= 'Z') y |= 0x20;
        }
        if (x != y) return false;
    }
    return true;
}

// One search from start; on a hit found gets line/column (text) or offset.
bool ReferenceText(const pk::FileEntry& e, const std::string& s, bool fold, FilePosition start, FilePosition& found) {
    pk::LineCache cache;
    for (uint64_t line = start.line;; ++line) {
        pk::LineInfo info;
        if (line > UINT32_MAX || !pk::LineAt(e.bytes(), e.lineCount, cache, uint32_t(line), info)) return false;
        cache = pk::LineCache{info.offset, uint32_t(line), info.start};
        int64_t pos = line == start.line ? start.column : 1;
        int64_t n = int64_t(s.size());
        if (int64_t(info.length) - pos + 1 < n) continue;
        for (int64_t p = pos; p <= int64_t(info.length) - n + 1; ++p) {
            if (SameBytes(info.start + p - 1, reinterpret_cast<const uint8_t*>(s.data()), s.size(), fold)) {
                found.line = uint32_t(line);
                found.column = uint32_t(p);
                return true;
            }
        }
    }
}

bool ReferenceHex(const pk::FileEntry& e, const std::string& s, bool fold, FilePosition start, FilePosition& found) {
    if (start.offset >= e.size || e.size - start.offset < s.size()) return false;
    for (size_t o = start.offset; o + s.size() <= e.size; ++o) {
        if (SameBytes(e.data + o, reinterpret_cast<const uint8_t*>(s.data()), s.size(), fold)) {
            found.offset = uint32_t(o);
            return true;
        }
    }
    return false;
}

// Runs RunFind from the top until it fails, checking every hit and the
// start of the next search against the reference, then once more to see the
// search begin again at the top.
void CheckRepeatedFinds(LoadedFile& f, const std::string& needle, bool hex, bool fold) {
    pk::display.hexView = hex;
    pk::display.exactCase = fold ? 0 : 1;
    pktest::SetFindString(needle);
    pk::FileEntry& e = f.entry();
    e.findStart = {1, 1, 0};
    FilePosition start{1, 1, 0}, first{};
    bool any = false;
    for (int round = 0; round < 400; ++round) {
        FilePosition want{};
        bool hit = hex ? ReferenceHex(e, needle, fold, start, want) : ReferenceText(e, needle, fold, start, want);
        ASSERT_EQ(pk::RunFind(), hit ? 1 : 0) << "round " << round;
        if (!hit) {
            EXPECT_EQ(f.message(), "Not found");
            EXPECT_TRUE(e.findFlags & pk::FIND_FAILED);
            EXPECT_FALSE(e.findFlags & pk::FOUND_SHOWN);
            EXPECT_EQ(e.findStart.line, 1u);
            EXPECT_EQ(e.findStart.column, 1u);
            EXPECT_EQ(e.findStart.offset, 0u);
            break;
        }
        if (hex) {
            ASSERT_EQ(e.found.offset, want.offset);
            start.offset = want.offset + 1;
            ASSERT_EQ(e.findStart.offset, start.offset);
        } else {
            ASSERT_EQ(e.found.line, want.line);
            ASSERT_EQ(e.found.column, want.column);
            start.line = want.line;
            start.column = want.column + 1;
            ASSERT_EQ(e.findStart.line, start.line);
            ASSERT_EQ(e.findStart.column, start.column);
        }
        EXPECT_EQ(pk::display.foundLength, needle.size());
        EXPECT_TRUE(e.findFlags & pk::FOUND_SHOWN);
        if (!any) first = e.found;
        any = true;
    }
    pk::SetMessage("");
    if (!any) return;
    ASSERT_EQ(pk::RunFind(), 1);
    if (hex) EXPECT_EQ(e.found.offset, first.offset);
    else EXPECT_EQ(e.found.line * 100000ull + e.found.column, first.line * 100000ull + first.column);
}

std::string RandomBytes(std::mt19937& rng, size_t size, std::string_view alphabet) {
    std::string out(size, '\0');
    for (char& c : out) c = alphabet.empty() ? char(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    return out;
}

// Letters that fold, their near neighbours that must not, and line ends.
constexpr std::string_view kMixed = std::string_view("aAbBzZ@[`{\r\n\t\0 x", 16);

std::string RandomNeedle(std::mt19937& rng, const std::string& data) {
    size_t n = 1 + rng() % 6;
    if (rng() % 2 && data.size() >= n) {
        std::string s = data.substr(rng() % (data.size() - n + 1), n);
        for (char& c : s)
            if (rng() % 2 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
        return s;
    }
    return RandomBytes(rng, n, kMixed);
}

std::string RandomText(std::mt19937& rng, size_t lines) {
    std::string out;
    for (size_t i = 0; i < lines; ++i) {
        out += RandomBytes(rng, rng() % 30, kMixed.substr(0, 10));
        if (rng() % 3 == 0) out += '\t';
        out += rng() % 4 == 0 ? "\r\n" : "\n";
    }
    if (rng() % 2) out += RandomBytes(rng, rng() % 5, "aB\r");
    return out;
}

TEST(Find, FastSearchesGiveTheReferenceHitsInBothViewsAndCaseModes) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 120; ++trial) {
        std::string data = trial % 3 == 0 ? RandomBytes(rng, 1 + rng() % 600, trial % 2 ? "" : kMixed)
                                          : RandomText(rng, 1 + rng() % 60);
        for (int k = 0; k < 4; ++k) {
            std::string needle = RandomNeedle(rng, data);
            for (int mode = 0; mode < 4; ++mode) {
                LoadedFile f(data);
                SCOPED_TRACE(::testing::Message() << "trial " << trial << " needle size " << needle.size() << " mode " << mode);
                CheckRepeatedFinds(f, needle, mode & 1, mode & 2);
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
    }
}

TEST(Find, TextSearchFromAnyStartPositionMatchesTheReference) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 300; ++trial) {
        LoadedFile f(RandomText(rng, 1 + rng() % 30));
        pk::FileEntry& e = f.entry();
        std::string needle = RandomNeedle(rng, f.bytes);
        bool fold = rng() % 2;
        pk::display.exactCase = !fold;
        // Lines past the end and columns well beyond a line's text included.
        FilePosition start{uint32_t(rng() % (e.lineCount + 2)), uint32_t(1 + rng() % 40), 0};
        e.findStart = start;
        pk::LineCache unrelated = e.cache;
        FilePosition want{};
        bool hit = ReferenceText(e, needle, fold, start, want);
        ASSERT_EQ(pk::FindInText(reinterpret_cast<const uint8_t*>(needle.data()), uint32_t(needle.size())), hit ? 1 : 0)
            << "trial " << trial;
        if (!hit) {
            EXPECT_EQ(e.cache.line, unrelated.line);
            continue;
        }
        EXPECT_EQ(e.found.line, want.line);
        EXPECT_EQ(e.found.column, want.column);
        // The cache is left on the hit's line, describing it truly.
        pk::LineInfo info;
        ASSERT_TRUE(pk::LineAt(e.bytes(), e.lineCount, pk::LineCache{}, want.line, info));
        EXPECT_EQ(e.cache.line, want.line);
        EXPECT_EQ(e.cache.offset, info.offset);
        EXPECT_EQ(e.cache.start, info.start);
    }
}

TEST(Find, ScanAgreesWithThePlainSearchOnLongRandomData) {
    std::mt19937 rng(5);
    for (int trial = 0; trial < 200; ++trial) {
        std::string data = RandomBytes(rng, rng() % 300, trial % 2 ? "aAbB\n" : "");
        std::string needle = RandomNeedle(rng, data);
        bool fold = trial % 3;
        size_t from = data.empty() ? 0 : rng() % (data.size() + 1);
        auto* d = reinterpret_cast<const uint8_t*>(data.data());
        auto* s = reinterpret_cast<const uint8_t*>(needle.data());
        size_t want = data.size();
        for (size_t o = from; o + needle.size() <= data.size(); ++o)
            if (SameBytes(d + o, s, needle.size(), fold)) { want = o; break; }
        EXPECT_EQ(pk::ScanForNeedle(d, data.size(), from, s, needle.size(), fold), want) << "trial " << trial;
        size_t lf = size_t(std::count(data.begin() + long(from), data.end(), '\n'));
        EXPECT_EQ(pk::CountLineFeeds(d + from, d + data.size()), lf);
    }
}

TEST(Find, HexViewExamples) {
    LoadedFile f("xabcabc");
    pk::display.hexView = 1;
    pktest::SetFindString("abc");
    std::vector<int> hits;
    for (int i = 0; i < 4; ++i) hits.push_back(pk::RunFind() ? int(f.entry().found.offset) : -1);
    EXPECT_EQ(hits, (std::vector<int>{1, 4, -1, 1}));

    LoadedFile g("abc");
    pk::display.hexView = 1;
    pktest::SetFindString("c");
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(g.entry().found.offset, 2u);  // the very last byte

    LoadedFile h("ab\ncd");
    pktest::SetFindString("b\nc");
    EXPECT_EQ(pk::RunFind(), 0);  // text view: never across a line end
    pk::display.hexView = 1;
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(h.entry().found.offset, 1u);
}

TEST(Find, TextViewExamples) {
    LoadedFile f("Hello\n");
    pktest::SetFindString("hELLO");
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.column, 1u);
    pk::display.exactCase = 1;
    f.entry().findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), 0);
    EXPECT_EQ(f.message(), "Not found");

    LoadedFile g("aaab\nab\r\n");
    pktest::SetFindString("ab");
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(g.entry().found.column, 3u);
    // Left of the start column on the start line is not searched.
    g.entry().findStart = {1, 4, 0};
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(g.entry().found.line, 2u);
    // The carriage return that ends a line is no part of its text.
    pktest::SetFindString("b\r");
    g.entry().findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), 0);

    LoadedFile h("x\ra\rb\r");  // one line; only the last CR is its end
    pktest::SetFindString("\ra\r");
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(h.entry().found.column, 2u);
    pktest::SetFindString("b\r");
    EXPECT_EQ(pk::RunFind(), 0);
}

TEST(Find, RepeatWithoutStringBeepsAndNullsAndLineFeedsAreOrdinaryBytes) {
    LoadedFile f(std::string("a\0b\nA\0B", 7));
    EXPECT_EQ(pk::RunFind(), 0);
    EXPECT_EQ(f.console.beeps, 1);
    EXPECT_EQ(f.message(), "");
    pktest::SetFindString(std::string("A\0b", 3));
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.line, 1u);
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.line, 2u);
}

TEST(Find, HitMovesTheViewToShowIt) {
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += i == 500 ? std::string(90, '-') + "needle\n" : "line\n";
    LoadedFile f(text, 80, 25);  // 21 data rows
    pktest::SetFindString("needle");
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.line, 500u);
    EXPECT_EQ(f.entry().view.line, 491u);  // the hit is on data row 10
    EXPECT_EQ(f.entry().view.column, 17u);  // its last byte, column 96, at the right edge

    LoadedFile g(std::string(91, 'x') + "0123456789\n");
    pktest::SetFindString("0123456789");  // ends at column 101
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(g.entry().view.column, 22u);
    EXPECT_EQ(g.entry().view.line, 1u);

    LoadedFile h(std::string(5000, '.') + "zz");
    pk::display.hexView = 1;
    pktest::SetFindString("zz");
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(h.entry().view.offset, (5000u - 160u) / 16 * 16);  // near mid-screen, on a row start
    h.entry().view.offset = 4992;
    pktest::SetFindString(".");
    h.entry().findStart.offset = 35;
    ASSERT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(h.entry().view.offset, 32u);  // above the view: the hit's row on top
}

TEST(Find, HexDigitsAndFolding) {
    struct Case {
        const char* digits;
        std::vector<uint8_t> bytes;
    } cases[] = {{"41", {0x41}}, {"6a6B", {0x6A, 0x6B}}, {"00ff", {0, 255}}, {"Ff0A", {255, 10}}};
    for (const Case& c : cases) {
        uint8_t out[8] = {};
        ASSERT_EQ(pk::HexToBytes(c.digits, out), int(c.bytes.size()));
        EXPECT_EQ(std::vector<uint8_t>(out, out + c.bytes.size()), c.bytes) << c.digits;
    }
    struct Fold {
        const char* a;
        const char* b;
        int sign;
    } folds[] = {{"Hello", "hELLO", 0}, {"@", "`", -1}, {"[", "{", -1}, {"a", "B", -1}, {"Z", "y", 1}, {"\xC4", "\xE4", -1}};
    for (const Fold& c : folds)
        EXPECT_EQ(pk::CompareFold(reinterpret_cast<const uint8_t*>(c.a), reinterpret_cast<const uint8_t*>(c.b),
                                  uint32_t(strlen(c.a))),
                  c.sign)
            << c.a << " " << c.b;
}

TEST(Find, SettingFormsStoreCutAndRefuse) {
    LoadedFile f("abc\n");
    f.entry().view = {7, 3, 48};
    EXPECT_EQ(pk::SetFindText(std::string(300, 'q')), pk::FIND_SET_RUN);
    EXPECT_EQ(pk::settings.findLength, 250);
    EXPECT_EQ(f.entry().findStart.line, 7u);
    EXPECT_EQ(f.entry().findStart.column, 3u);
    EXPECT_EQ(f.entry().findStart.offset, 48u);
    EXPECT_EQ(pk::SetFindSlash(" x"), pk::FIND_SET_RUN);
    EXPECT_EQ(pk::settings.findLength, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pk::settings.findString), 3), std::string(" x\0", 3));

    pk::display.ebcdicOn = 1;
    for (int form = 0; form < 3; ++form) {
        pk::SetMessage("");
        int r = form == 0 ? pk::SetFindText("abc") : form == 1 ? pk::SetFindSlash("abc") : pk::SetFindHex("41");
        EXPECT_EQ(r, pk::FIND_SET_MESSAGE);
        EXPECT_EQ(f.message(), "Invalid in this mode");
        EXPECT_EQ(pk::settings.findLength, 2);
    }
}

}  // namespace
