// The text view's rows: the column seek and the find highlight against a
// plain walk with NextCell from the start of the line (also far into a 4 MB
// line). Tabs against expand and the glyphs are proved end to end.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "test_screen.h"

namespace {

// Rows only the in-memory console shows exactly: a column past the line, and
// a last CR with no line feed after it.
TEST(TextView, RowsForLinesAndColumns) {
    const std::tuple<std::string, uint32_t, std::string> cases[] = {{"short\nx", 8, ""}, {"abc\r", 1, "abc"}};
    for (const auto& [data, column, want] : cases) {
        pktest::TestScreen s;
        s.load(data).view = {1, column, 0};
        pk::DrawTextView();
        EXPECT_EQ(s.dataRow(0), want + std::string(80 - want.size(), ' ')) << data;
        EXPECT_EQ(s.row(24), std::string(80, '\0'));  // nothing written below the data area
    }
    // The hit is lit only on its own line, not once scrolled off, not once
    // no longer shown.
    std::string digits;
    for (int i = 0; i < 100; ++i) digits += char('0' + i % 10);
    for (int k : {0, 1, 2}) {
        pktest::TestScreen s;
        s.load(digits + "\nsecond\n" + digits + "\n").view = {k == 1 ? 2u : 1u, 5, 0};
        s.found(1, 3, 2, 5);
        if (k == 2) s.entry().findFlags = 0;
        pk::DrawTextView();
        std::string lit;
        for (int y = 3; y < 24; ++y)
            if (!s.lit(y).empty()) lit += std::to_string(y) + ":" + s.lit(y);
        EXPECT_EQ(lit, k == 0 ? "3:0-2" : "") << k;
    }
}

// The first data row against every cell produced with NextCell from index 0,
// those left of view.column dropped; source bytes [litFirst, litLast] bright.
void ExpectRowMatchesWalk(const pktest::TestScreen& s, const std::string& line, int64_t litFirst,
                          int64_t litLast) {
    const uint32_t column = pk::fileTable[0].view.column;
    const bool expand = pk::settings.tabsOn && !pk::display.ebcdicOn;
    std::vector<pk::Cell> want(size_t(s.console.cols()), pk::Cell{' ', 0, pk::ATTR_NORMAL});
    pk::CellCursor cursor;
    auto text = reinterpret_cast<const uint8_t*>(line.data());
    for (uint64_t i = 0; i < column - 1 + want.size(); ++i) {
        int ch = pk::NextCell(text, uint32_t(line.size()), uint32_t(i), cursor, expand);
        if (ch == pk::END_OF_LINE) break;
        if (i < column - 1) continue;
        int64_t source = int64_t(cursor.position) - 1;
        want[i - (column - 1)] = {pk::display.ebcdicOn ? pk::EbcdicTable[ch] : uint8_t(ch), 0,
                                  source >= litFirst && source <= litLast ? pk::ATTR_FOUND : pk::ATTR_NORMAL};
    }
    for (int x = 0; x < s.console.cols(); ++x) {
        ASSERT_EQ(s.console.cell(x, 3).ch, want[size_t(x)].ch) << "column " << column << " cell " << x;
        ASSERT_EQ(s.console.cell(x, 3).attr, want[size_t(x)].attr) << "column " << column << " cell " << x;
    }
}

TEST(TextView, ColumnSeekMatchesAWalkFromTheLineStart) {
    std::mt19937 random(7);
    const char alphabet[] = "\t\t\tabcdefgh \r\x05\xC1";
    for (int trial = 0; trial < 40; ++trial) {
        std::string line;
        for (int i = int(random() % 300); i > 0; --i) line += alphabet[random() % (sizeof alphabet - 1)];
        line += 'z';  // a CR at the end would not belong to the line's text
        pktest::TestScreen s;
        s.load(line + "\n");
        pk::settings.tabsOn = trial % 2;
        pk::display.ebcdicOn = trial % 5 == 0;
        uint32_t hitColumn = uint32_t(random() % 200) + 1;
        s.found(1, hitColumn, 0, 7);
        for (uint32_t column : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 33u, 100u, 250u, 900u, 2400u}) {
            s.entry().view.column = column;
            pk::DrawTextView();
            ExpectRowMatchesWalk(s, line, int64_t(hitColumn) - 1, int64_t(hitColumn) + 5);
        }
    }
    pktest::TestScreen s;
    std::string line;
    for (int i = 0; i < 4'000'000; ++i) line += (i % 97 == 0) ? '\t' : char('a' + i % 26);
    s.load(line);
    for (uint32_t tabs : {0u, 1u}) {
        pk::settings.tabsOn = tabs;
        for (uint32_t column : {3'999'990u, 4'199'000u, 4'300'000u}) {
            s.entry().view.column = column;
            pk::DrawTextView();
            ExpectRowMatchesWalk(s, line, 1, 0);
        }
    }
}

// UTF-8 rows: tabs to 8-cell stops after a wide character, and the hit lit
// on every cell of the characters its bytes belong to. (Characters in one or
// two cells, glyphs and wide characters cut by either edge are proved end to
// end.)
TEST(TextView, Utf8RowsCountCells) {
    ASSERT_TRUE(pktest::UseUtf8Locale());
    const std::string wide = "\xE6\x97\xA5", accent = "\xC3\xA9";
    // hitColumn: a byte column; hitLength 0: no hit
    struct Case { std::string line; uint32_t column, tabs, hitColumn, hitLength; std::string want, lit; } const cases[] = {
        {wide + "\tx", 1, 1, 0, 0, wide + "      x", ""},
        {wide + "\tx", 5, 1, 0, 0, "    x", ""},                          // into the tab
        {"e\xCC\x81" + wide + "b", 1, 0, 1, 2, "e\xCC\x81" + wide + "b", "0-0"},  // a hit on part of a character
        {"ab" + accent + wide + "c", 1, 0, 4, 3, "ab" + accent + wide + "c", "2-4"},
        {"ab" + accent + wide + "c", 4, 0, 3, 5, wide + "c", "0-1"},        // a hit partly left of the screen
        {"ab" + accent + wide + "c", 5, 0, 2, 2, " c", ""},                 // and wholly
    };
    for (const Case& c : cases) {
        pktest::TestScreen s;
        s.load(c.line + "\n").view = {1, c.column, 0};
        pk::settings.utf8On = 1;
        pk::settings.tabsOn = c.tabs;
        if (c.hitLength != 0) s.found(1, c.hitColumn, c.hitColumn - 1, c.hitLength);
        pk::DrawTextView();
        std::string row = s.dataRow(0);
        EXPECT_EQ(row.substr(0, row.find_last_not_of(' ') + 1), c.want) << c.line << " column " << c.column;
        EXPECT_EQ(s.lit(3), c.lit) << c.line;
    }
}

}  // namespace
