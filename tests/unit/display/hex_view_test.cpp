// The hex view's rows cell for cell: what is left unwritten, offsets past the
// end, the screen's width, and the find highlight in both columns. (The
// layout against xxd, short last rows, unaligned offsets and EBCDIC are
// proved end to end.)
#include <gtest/gtest.h>

#include "test_screen.h"

namespace {

std::string B(int n) { return std::string(size_t(n), ' '); }

std::string Alphabet(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('A' + i % 26);
    return s;
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
        s.load(Alphabet(c.size)).view.offset = c.offset;
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
        s.load(Alphabet(64)).view.offset = c.viewOffset;
        s.found(0, 0, c.hitOffset, c.length);
        if (!c.shown) s.entry().findFlags = 0;
        pk::DrawHexView();
        EXPECT_EQ(s.lit(3), c.row3) << "hit at " << c.hitOffset;
        EXPECT_EQ(s.lit(4), c.row4) << "hit at " << c.hitOffset;
    }
}

}  // namespace
