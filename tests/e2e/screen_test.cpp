// The main screen of pk on a real terminal (pty + libvterm): title, message
// and status fields, the "COMMAND ==>" label, the data area and the key row,
// cell by cell with their attributes, on 80x25 and 132x43.
#include <gtest/gtest.h>

#include <string>

#include "harness/pty_term.h"
#include "temp_dir.h"

namespace {

using pktest::PtyTerm;

constexpr int kWait = 5000;

std::string Blanks(size_t n) { return std::string(n, ' '); }

char32_t Glyph(const PtyTerm& t, int row, int col) {
    char32_t ch = t.cell(row, col).ch;
    return ch == 0 ? U' ' : ch;
}

// Starts pk on one file and waits for its first full screen.
void StartPk(PtyTerm& t, const std::string& file) {
    ASSERT_TRUE(t.start({PK_BINARY, file}));
    ASSERT_TRUE(t.waitFor("COMMAND ==>", kWait, 2)) << t.screenText();
    ASSERT_TRUE(t.waitFor("Half", kWait, t.rows() - 1)) << t.screenText();
}

// Plain text: default colours, neither bold nor reversed.
bool Plain(const PtyTerm::CellInfo& c) { return c.fgDefault && c.bgDefault && !c.bold && !c.reverse; }

void ExpectHeader(const PtyTerm& t, const std::string& name, const std::string& status) {
    EXPECT_EQ(t.rowText(0), "Peekra " + name + Blanks(size_t(t.cols()) - 7 - name.size()));
    for (int x = 0; x < 6; ++x) {
        EXPECT_TRUE(t.cell(0, x).bold) << x;
        EXPECT_FALSE(t.cell(0, x).reverse) << x;
    }
    for (int x = 7; x < 80; ++x) EXPECT_TRUE(Plain(t.cell(0, x))) << x;
    // The status text ends at column 80 whatever the width.
    EXPECT_EQ(t.rowText(1), Blanks(80 - status.size()) + status + Blanks(size_t(t.cols()) - 80));
    EXPECT_EQ(t.rowText(2).substr(0, 12), "COMMAND ==> ");
    for (int x = 0; x < 11; ++x) EXPECT_TRUE(t.cell(2, x).bold) << x;
}

void ExpectKeyRow(const PtyTerm& t) {
    struct Label {
        int column;  // 1-based
        std::u32string text;
        bool reverse;
    };
    const Label labels[] = {
        {1, U"1", false},   {2, U"Help", true},    {8, U"2", false},   {9, U"Half", true},
        {15, U"3", false},  {16, U"End", true},    {21, U"4", false},  {22, U"Top", true},
        {27, U"5", false},  {28, U"RFind", true},  {35, U"6", false},  {36, U"RCmd", true},
        {42, U"7", false},  {43, U"Left", true},   {49, U"8", false},  {50, U"Right", true},
        {57, U"9", false},  {58, U"Bottom", true}, {65, U"10", false}, {67, U"Next", true},
        {72, U"11", false}, {74, U"<\u2500", true}, {77, U"12", false}, {79, U"\u2500>", true},
    };
    const int row = t.rows() - 1;
    std::u32string want(size_t(t.cols()), U' ');
    for (const Label& l : labels) {
        want.replace(size_t(l.column - 1), l.text.size(), l.text);
        for (size_t i = 0; i < l.text.size(); ++i) {
            PtyTerm::CellInfo c = t.cell(row, l.column - 1 + int(i));
            EXPECT_EQ(c.reverse, l.reverse) << "column " << l.column + int(i);
            EXPECT_EQ(c.bold, !l.reverse) << "column " << l.column + int(i);
        }
    }
    for (int x = 0; x < t.cols(); ++x) EXPECT_EQ(Glyph(t, row, x), want[size_t(x)]) << "column " << x + 1;
}

TEST(MainScreen, EightyByTwentyFive) {
    pktest::TempDir dir;
    std::string file = dir.write("lines.txt", "first line\nsecond\nthird line\n");
    PtyTerm t(25, 80);
    StartPk(t, file);
    ASSERT_TRUE(t.waitFor("third line", kWait, 5)) << t.screenText();
    ExpectHeader(t, file, "Line 1 of 3, Column 1 of 10");
    EXPECT_EQ(t.rowText(3), "first line" + Blanks(70));
    EXPECT_EQ(t.rowText(5), "third line" + Blanks(70));
    for (int r = 6; r < 24; ++r) EXPECT_EQ(t.rowText(r), Blanks(80)) << r;
    for (int x = 0; x < 80; ++x) EXPECT_TRUE(Plain(t.cell(3, x))) << x;
    ExpectKeyRow(t);

    // F2 switches the label to "Page" and back.
    t.send("\033OQ");
    ASSERT_TRUE(t.waitFor("2Page", kWait, 24)) << t.rowText(24);
    t.send("\033OQ");
    ASSERT_TRUE(t.waitFor("2Half", kWait, 24)) << t.rowText(24);
}

TEST(MainScreen, WideTallScreenUsesTheWholeDataArea) {
    pktest::TempDir dir;
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += char('a' + i % 26);
    std::string text;
    for (int i = 1; i <= 60; ++i) text += (i == 1 ? wide : "line " + std::to_string(i)) + "\n";
    std::string file = dir.write("wide.txt", text);
    PtyTerm t(43, 132);
    StartPk(t, file);
    ASSERT_TRUE(t.waitFor("line 39", kWait, 41)) << t.screenText();
    ExpectHeader(t, file, "Line 1 of 60, Column 1 of 200");
    EXPECT_EQ(t.rowText(3), wide.substr(0, 132));
    EXPECT_EQ(t.rowText(41), "line 39" + Blanks(125));  // 39 data rows
    ExpectKeyRow(t);
}

TEST(MainScreen, TitleShowsTheEndOfALongName) {
    pktest::TempDir dir;
    std::string name = "a-rather-long-folder-name-for-the-title/and-another-long-folder-name/file.log";
    std::string file = dir.write(name, "x\n");
    ASSERT_GT(file.size(), 73u);
    PtyTerm t(25, 80);
    StartPk(t, file);
    EXPECT_TRUE(t.waitFor("Peekra " + file.substr(file.size() - 73), kWait, 0)) << t.rowText(0);
}

}  // namespace
