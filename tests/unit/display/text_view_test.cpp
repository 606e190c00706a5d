// The text view's rows: line walking and the cache, horizontal offset, tab
// expansion, EBCDIC, line ends, the find highlight, and the column seek
// against a plain walk with NextCell from the start of the line.
#include <gtest/gtest.h>

#include <random>

#include "view_fixture.h"

using pktest::Range;
using pktest::TestScreen;

namespace {

std::string Pad(std::string s, size_t width = 80) {
    s.resize(width, ' ');
    return s;
}

TEST(TextView, RowsWalkTheLinesAndSetTheCache) {
    TestScreen s;
    pk::FileEntry& e = s.load("one\ntwo\nthree\n");
    pk::DrawTextView();
    EXPECT_EQ(s.dataRow(0), Pad("one"));
    EXPECT_EQ(s.dataRow(2), Pad("three"));
    for (int r = 3; r < 21; ++r) EXPECT_EQ(s.dataRow(r), Pad("")) << r;
    EXPECT_EQ(s.row(24), std::string(80, '\0'));
    EXPECT_EQ(e.cache.line, 1u);

    e.view.line = 3;
    pk::DrawTextView();
    EXPECT_EQ(s.dataRow(0), Pad("three"));
    EXPECT_EQ(s.dataRow(1), Pad(""));
    EXPECT_EQ(e.cache.line, 3u);
    EXPECT_EQ(e.cache.offset, 8u);
    EXPECT_EQ(e.cache.start, e.data + 8);

    // A screen of lines exactly: the last row holds the last line.
    std::string lines;
    for (int i = 1; i <= 30; ++i) lines += "line " + std::to_string(i) + "\n";
    s.load(lines);
    pk::fileTable[0].view.line = 10;
    pk::DrawTextView();
    EXPECT_EQ(s.dataRow(0), Pad("line 10"));
    EXPECT_EQ(s.dataRow(20), Pad("line 30"));
}

TEST(TextView, ColumnOffsetTabsAndTranslation) {
    struct Case {
        const char* data;
        uint32_t column;
        uint32_t tabsOn;
        uint32_t ebcdicOn;
        std::string row;
    };
    const Case cases[] = {
        {"short\nx", 8, 0, 0, ""},                       // column beyond the line
        {"\tX", 5, 1, 0, "    X"},                        // rest of a tab, then column 9
        {"\tX", 1, 1, 0, "        X"},
        {"\tX", 1, 0, 0, "\tX"},                          // tabs off: the byte itself
        {"\tX", 2, 0, 0, "X"},
        {"ab\tc", 1, 1, 0, "ab      c"},
        {"\t\tX", 9, 1, 0, "        X"},
        {"abcdefgh\tX", 9, 1, 0, "        X"},           // a tab on a stop is 8 wide
        {"abcdefg\tX", 8, 1, 0, " X"},                    // a tab at column 8 is 1 wide
        {"\x05\xC1\x40\xF1", 1, 1, 1, "\x09" "a 1"},      // no expansion while EBCDIC is on
        {"A\r\nB", 1, 0, 0, "A"},                         // CR before LF not shown
        {"A\rB\n", 1, 0, 0, "A\rB"},                      // a lone CR is a character
        {"abc\r", 1, 0, 0, "abc"},
        {"\x80\xff\x01\x1b[2J", 1, 0, 0, "\x80\xff\x01\x1b[2J"},
    };
    for (const Case& c : cases) {
        TestScreen s;
        s.load(c.data);
        pk::settings.tabsOn = c.tabsOn;
        pk::display.ebcdicOn = c.ebcdicOn;
        pk::fileTable[0].view.column = c.column;
        pk::DrawTextView();
        EXPECT_EQ(s.dataRow(0), Pad(c.row)) << "data " << c.data << " column " << c.column;
    }
}

TEST(TextView, FoundTextIsBrightOnlyWhereVisible) {
    TestScreen s;
    std::string line;
    for (int i = 0; i < 100; ++i) line += char('0' + i % 10);
    pk::FileEntry& e = s.load(line + "\nsecond\n" + line + "\n");

    s.hit(1, 3, 2, 5);  // bytes 2..6 of line 1
    e.view.column = 5;  // bytes 4.. on screen
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(3), Range(0, 2));
    EXPECT_TRUE(s.brightColumns(5).empty());  // same bytes, another line

    s.hit(1, 78, 77, 6);  // bytes 77..82, the screen ends at byte 79
    e.view.column = 1;
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(3), Range(77, 79));

    // The found line is not on screen: nothing is bright.
    e.view.line = 2;
    pk::DrawTextView();
    for (int y = 3; y < 24; ++y) EXPECT_TRUE(s.brightColumns(y).empty());

    // Not shown any more: nothing is bright.
    e.view.line = 1;
    e.findFlags = 0;
    pk::DrawTextView();
    EXPECT_TRUE(s.brightColumns(3).empty());
}

TEST(TextView, FoundTabIsBrightOverItsWholeWidth) {
    TestScreen s;
    s.load("a\tbc\n");
    pk::settings.tabsOn = 1;
    s.hit(1, 2, 1, 2);  // the tab and b
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(3), Range(1, 8));

    pk::fileTable[0].view.column = 4;  // only the tab's last five cells and b
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(3), Range(0, 5));
}

// The row as the plain rule makes it: every display character from index 0
// produced with NextCell, those left of view.column dropped.
std::vector<pk::Cell> ReferenceRow(const std::string& line, uint32_t column, int width, int64_t litFirst,
                                   int64_t litLast) {
    std::vector<pk::Cell> row(size_t(width), pk::Cell{' ', 0, pk::ATTR_NORMAL});
    bool expand = pk::settings.tabsOn && !pk::display.ebcdicOn;
    pk::CellCursor cursor;
    auto text = reinterpret_cast<const uint8_t*>(line.data());
    for (uint64_t i = 0;; ++i) {
        int ch = pk::NextCell(text, uint32_t(line.size()), uint32_t(i), cursor, expand);
        if (ch == pk::END_OF_LINE || i >= column - 1 + uint64_t(width)) break;
        if (i < column - 1) continue;
        int64_t source = int64_t(cursor.position) - 1;
        uint8_t shown = pk::display.ebcdicOn ? pk::EbcdicTable[ch] : uint8_t(ch);
        row[i - (column - 1)] = pk::Cell{shown, 0, source >= litFirst && source <= litLast ? pk::ATTR_FOUND
                                                                                           : pk::ATTR_NORMAL};
    }
    return row;
}

void ExpectRowMatches(const TestScreen& s, const std::string& line, uint32_t column, int64_t litFirst,
                      int64_t litLast) {
    std::vector<pk::Cell> want = ReferenceRow(line, column, s.console.cols, litFirst, litLast);
    for (int x = 0; x < s.console.cols; ++x) {
        pk::Cell got = s.console.cell(x, 3);
        ASSERT_EQ(got.ch, want[size_t(x)].ch) << "column " << column << " cell " << x;
        ASSERT_EQ(got.attr, want[size_t(x)].attr) << "column " << column << " cell " << x;
    }
}

TEST(TextView, ColumnSeekMatchesAWalkFromTheLineStart) {
    std::mt19937 random(7);
    const char alphabet[] = "\t\t\tabcdefgh \r\x05\xC1";
    for (int trial = 0; trial < 40; ++trial) {
        std::string line;
        int length = int(random() % 300);
        for (int i = 0; i < length; ++i) line += alphabet[random() % (sizeof alphabet - 1)];
        line += 'z';  // a CR at the end would not belong to the line's text
        TestScreen s;
        s.load(line + "\n");
        pk::settings.tabsOn = trial % 2;
        pk::display.ebcdicOn = trial % 5 == 0;
        uint32_t hitColumn = uint32_t(random() % 200) + 1;
        s.hit(1, hitColumn, 0, 7);
        for (uint32_t column : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 33u, 100u, 250u, 900u, 2400u}) {
            pk::fileTable[0].view.column = column;
            pk::DrawTextView();
            ExpectRowMatches(s, line, column, int64_t(hitColumn) - 1, int64_t(hitColumn) + 5);
        }
    }
}

TEST(TextView, FarColumnsOfALongLine) {
    TestScreen s;
    std::string line;
    for (int i = 0; i < 4'000'000; ++i) line += (i % 97 == 0) ? '\t' : char('a' + i % 26);
    s.load(line);
    for (uint32_t tabs : {0u, 1u}) {
        pk::settings.tabsOn = tabs;
        for (uint32_t column : {3'999'990u, 4'199'000u, 4'300'000u}) {
            pk::fileTable[0].view.column = column;
            pk::DrawTextView();
            ExpectRowMatches(s, line, column, 1, 0);
        }
    }
    pk::settings.tabsOn = 0;
    pk::fileTable[0].view.column = 3'999'991;
    pk::DrawTextView();
    EXPECT_EQ(s.dataRow(0), Pad(line.substr(3'999'990)));
}

}  // namespace
