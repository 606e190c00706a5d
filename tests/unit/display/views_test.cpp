// The views' rows on the in-memory console. Text view: rows past a line's
// end, the find highlight's lifetime, the column seek far into a 4 MB line,
// UTF-8 cells; tabs against expand and the glyphs are proved end to end. Hex view, cell for cell: what is left unwritten,
// offsets past the end, the screen's width, and the find highlight in both
// columns; the layout against xxd, short last rows, unaligned offsets and
// EBCDIC are proved end to end.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_screen.h"

namespace {

std::string B(int n) { return std::string(size_t(n), ' '); }

// n characters counting up from first, period of them over and over.
std::string Cycle(char first, int period, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char(first + i % period);
    return s;
}

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
    const std::string digits = Cycle('0', 10, 100);
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

// The first data row from a column far into a 4 MB line, tabs expanded or
// not, against the line's cells as the line rules give them. (Random lines,
// columns, EBCDIC and hits: command_fuzz, with "right".)
TEST(TextView, ColumnSeekFarIntoALongLine) {
    pktest::TestScreen s;
    std::string line;
    for (int i = 0; i < 4'000'000; ++i) line += (i % 97 == 0) ? '\t' : char('a' + i % 26);
    s.load(line);
    for (uint32_t tabs : {0u, 1u}) {
        pk::settings.tabsOn = tabs;
        const std::vector<uint64_t> cells = pktest::RefCells(line, tabs);
        for (uint32_t column : {3'999'990u, 4'199'000u, 4'300'000u}) {
            s.entry().view.column = column;
            pk::DrawTextView();
            std::string want;
            for (uint64_t i = column - 1; i < cells.size() && want.size() < 80; ++i)
                want += tabs && line[cells[i]] == '\t' ? ' ' : line[cells[i]];
            EXPECT_EQ(s.dataRow(0), want + B(80 - int(want.size()))) << column;
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

TEST(HexView, RowsForSizesOffsetsAndWidths) {
    const std::string full = "   00000000:   41424344  45464748  494A4B4C  4D4E4F50    [ABCDEFGHIJKLMNOP]";
    // y: the console row (the first data row is 3); want: its first cols cells
    struct Case { int cols, rows, size; uint32_t offset; int y; std::string want; } const cases[] = {
        {80, 25, 19, 0, 2, std::string(80, '\0')},   // above and below the data
        {80, 25, 19, 0, 24, std::string(80, '\0')},  // area nothing is written
        {80, 25, 20, 20, 3, B(80)},
        {100, 30, 20, 0, 3, full + B(25)},
        {100, 30, 20, 0, 29, std::string(100, '\0')},
        // Narrower than a row: cut at the edge, never run into the next row.
        {60, 25, 40, 0, 3, full.substr(0, 60)},
        {60, 25, 40, 0, 4, "   00000010:   51525354  55565758  595A4142  43444546    [QR"},
    };
    for (const Case& c : cases) {
        pktest::TestScreen s(c.cols, c.rows);
        s.load(Cycle('A', 26, c.size)).view.offset = c.offset;
        pk::DrawHexView();
        EXPECT_EQ(s.row(c.y).substr(0, size_t(c.cols)), c.want)
            << c.cols << "x" << c.rows << " size " << c.size << " offset " << c.offset << " row " << c.y;
    }
}

TEST(HexView, FoundBytesAreBrightInDigitsAndCharacters) {
    struct Case { uint32_t viewOffset, hitOffset, length; bool shown; std::string row3, row4; } const cases[] = {
        {0, 7, 6, true, "31-32 35-42 45-46 65-70", ""},  // from the last byte of group 2
        {0, 14, 6, true, "49-52 72-73", "15-22 58-61"},   // into the next row
        {43, 40, 6, true, "15-20 58-60", ""},             // begun above the top row
        {0, 7, 6, false, "", ""},                          // not shown any more
    };
    for (const Case& c : cases) {
        pktest::TestScreen s;
        s.load(Cycle('A', 26, 64)).view.offset = c.viewOffset;
        s.found(0, 0, c.hitOffset, c.length);
        if (!c.shown) s.entry().findFlags = 0;
        pk::DrawHexView();
        EXPECT_EQ(s.lit(3), c.row3) << "hit at " << c.hitOffset;
        EXPECT_EQ(s.lit(4), c.row4) << "hit at " << c.hitOffset;
    }
}

}  // namespace
