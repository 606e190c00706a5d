// UTF-8 as shown: the sequence rules, the units of a line (joined marks,
// controls and broken bytes as glyphs, wide characters) and the walks and
// widths built on them, all in the C.UTF-8 locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "panel/utf8.h"

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

class Utf8 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
        pk::ReadCharacterWidths();
    }
};

// Well-formed sequences decode whole; every other one is refused.
TEST_F(Utf8, SequenceRules) {
    const std::pair<std::string, char32_t> good[] = {
        {"A", 'A'}, {"\x7F", 0x7F}, {"\xC2\x80", 0x80} /* the first two-byte form, a C1 control */,
        {"\xDF\xBF", 0x7FF}, {"\xE0\xA0\x80", 0x800}, {"\xED\x9F\xBF", 0xD7FF} /* just below the surrogates */,
        {"\xEF\xBF\xBF", 0xFFFF}, {"\xF0\x90\x80\x80", 0x10000}, {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    for (const auto& [bytes, code] : good) {
        pk::Utf8Sequence s = pk::DecodeUtf8(Bytes(bytes), uint32_t(bytes.size()));
        EXPECT_EQ(std::pair(s.code, s.length), std::pair(code, uint32_t(bytes.size()))) << bytes;
    }
    const std::pair<std::string, uint32_t> bad[] = {  // the bytes, and how many the text still has from here
        {"\xC0\x80", 2}, {"\xC1\xBF", 2}, {"\xE0\x9F\xBF", 3}, {"\xF0\x8F\xBF\xBF", 4},  // overlong forms
        {"\xED\xA0\x80", 3}, {"\xED\xBF\xBF", 3},                                      // surrogates
        {"\xF4\x90\x80\x80", 4}, {"\xF5\x80\x80\x80", 4},                             // beyond U+10FFFF
        {"\xFF", 1}, {"\x80", 1}, {"\xC3(", 2},  // a byte never used, a stray continuation byte, a missing one
        {"\xE6\x97\xA5", 2}, {"\xF0\x9F\x98\x80", 3}, {"\xC3\xA9", 1},               // cut by the line's end
    };
    for (const auto& [bytes, available] : bad) {
        pk::Utf8Sequence s = pk::DecodeUtf8(Bytes(bytes), available);
        EXPECT_EQ(std::pair(s.code, s.length), std::pair(char32_t(0), 0u)) << bytes;
    }
}

// The units of a text walked one by one with tabs expanded or not: each
// one's first byte and cell column (what WalkCells and MeasureCells must
// agree with), and the units written as "w<width>:<length>" for characters
// and "g" for glyphs.
struct Layout { std::vector<uint32_t> starts; std::vector<uint64_t> columns; uint64_t width = 0; std::string units; };
Layout Walk(const std::string& text, bool expandTabs) {
    Layout l;
    for (uint32_t p = 0; p < text.size();) {
        pk::TextUnit u = pk::NextUnit(Bytes(text), uint32_t(text.size()), p);
        EXPECT_TRUE(!u.glyph || (u.length == 1 && u.width == 1)) << text;
        if (!l.units.empty()) l.units += ' ';
        if (u.glyph) l.units += 'g';
        else l.units.append("w").append(std::to_string(u.width)).append(":").append(std::to_string(u.length));
        l.starts.push_back(p);
        l.columns.push_back(l.width);
        l.width = expandTabs && text[p] == '\t' ? l.width + 8 - l.width % 8 : l.width + u.width;
        p += u.length;
    }
    return l;
}

TEST_F(Utf8, UnitsWidthsAndWalks) {
    struct Case { std::string text, units; uint64_t raw, expanded; } const cases[] = {
        {"Caf\xC3\xA9", "w1:1 w1:1 w1:1 w1:2", 4, 4},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "w2:3 w2:3", 4, 4},                    // wide
        {"\xF0\x9F\x98\x80!", "w2:4 w1:1", 3, 3},                            // an emoji
        {"\xC2\xA7\xE2\x91\xA0", "w1:2 w1:3", 2, 2},                         // ambiguous widths: one cell
        {"e\xCC\x81\xCC\xA3x", "w1:5 w1:1", 2, 2},                           // two marks join the e
        {"\xE6\x97\xA5\xEF\xB8\x8F", "w2:6", 2, 2},                          // a mark joins a wide one
        {"\xCC\x81" "a", "g g w1:1", 3, 3},                                  // nothing before it to join
        {"\t\xCC\x81", "g g g", 3, 10},                                      // nor after a tab
        {"\x01\xCC\x81", "g g g", 3, 3},                                     // nor after a control
        {"\xC2\x85\x7F\x1B", "g g g g", 4, 4},                               // C1, DEL, ESC
        {"\xE2\x80\xA8", "g g g", 3, 3},                                     // a character the locale cannot show
        {"a\xE2\x80\xAE" "b", "w1:1 g g g w1:1", 5, 5},                       // a direction control never joins
        {"\xC3(\x80\xE6\x97", "g w1:1 g g g", 5, 5},                         // broken and cut sequences
        {"\xE6\x97\xA5\tx", "w2:3 g w1:1", 4, 9},                            // a tab after a wide character
        {"abcdefgh\xCC\x81ijklmnop\tq", std::string(), 18, 25},              // a mark after a run of eight
    };
    for (const Case& c : cases) {
        const std::string& t = c.text;
        const uint32_t n = uint32_t(t.size());
        pk::TextWidths w = pk::MeasureCells(Bytes(t), n);
        EXPECT_EQ(w.raw, c.raw) << t;
        EXPECT_EQ(w.expanded, c.expanded) << t;
        for (bool expand : {false, true}) {
            Layout l = Walk(t, expand);
            EXPECT_EQ(l.width, expand ? c.expanded : c.raw) << t;
            EXPECT_TRUE(c.units.empty() || l.units == c.units) << t << ": " << l.units;
            // Every column and every byte lands on the unit that holds it.
            for (size_t i = 0; i < l.starts.size(); ++i) {
                uint64_t end = i + 1 < l.columns.size() ? l.columns[i + 1] : l.width;
                uint32_t last = i + 1 < l.starts.size() ? l.starts[i + 1] : n;
                for (uint64_t col = l.columns[i]; col < end; ++col) {
                    pk::CellPoint at = pk::WalkCells(Bytes(t), n, col, UINT32_MAX, expand);
                    EXPECT_EQ(at.byte, l.starts[i]) << t << " column " << col;
                    EXPECT_EQ(at.column, l.columns[i]) << t << " column " << col;
                }
                for (uint32_t b = l.starts[i]; b < last; ++b) {
                    pk::CellPoint at = pk::WalkCells(Bytes(t), n, UINT64_MAX, b, expand);
                    EXPECT_EQ(at.byte, l.starts[i]) << t << " byte " << b;
                    EXPECT_EQ(at.column, l.columns[i]) << t << " byte " << b;
                }
                EXPECT_EQ(pk::PrevUnitStart(Bytes(t), n, last), l.starts[i]) << t;
            }
            pk::CellPoint end = pk::WalkCells(Bytes(t), n, l.width + 3, UINT32_MAX, expand);
            EXPECT_EQ(end.byte, n);
            EXPECT_EQ(end.column, l.width);
        }
    }
}

// The widths, read a page at a time, are the C library's in the locale of
// the last ReadCharacterWidths, also when several threads meet unread pages
// at once.
TEST_F(Utf8, WidthsFollowTheLocaleInEveryThread) {
    auto library = [](char32_t c) {
        bool control = c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || (c >= 0x200E && c <= 0x200F) ||
                       (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        return control ? -1 : wcwidth(static_cast<wchar_t>(c));
    };
    std::vector<char32_t> wrong[4];
    std::thread threads[4];
    for (int t = 0; t < 4; ++t) {
        threads[t] = std::thread([&, t] {
            for (char32_t i = 0; i < 0x10000; ++i) {
                char32_t c = t % 2 ? 0xFFFF - i : (i * 0x9E37 + char32_t(t) * 0x1000) & 0xFFFF;
                if (pk::ShownWidth(c) != library(c)) wrong[t].push_back(c);
            }
        });
    }
    for (int t = 0; t < 4; ++t) {
        threads[t].join();
        EXPECT_TRUE(wrong[t].empty()) << "thread " << t << ", first U+" << std::hex << uint32_t(wrong[t][0]);
    }
    ASSERT_NE(setlocale(LC_CTYPE, "C"), nullptr);
    pk::ReadCharacterWidths();
    EXPECT_EQ(pk::ShownWidth(0xE9), library(0xE9));
    EXPECT_EQ(pk::ShownWidth(0x65E5), library(0x65E5));
    ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    pk::ReadCharacterWidths();
    EXPECT_EQ(std::pair(pk::ShownWidth(0xE9), pk::ShownWidth(0x65E5)), std::pair(1, 2));
}

}  // namespace
