// The main screen of pk on a real terminal (pty + libvterm), cell by cell
// with attributes, on 80x25 with a name longer than the title field and on
// 132x43: title, status ending at column 80, "COMMAND ==>", data area, and
// the key row in reverse video on the last line.
#include <gtest/gtest.h>

#include <string>

#include "pk_driver.h"

namespace {

std::string B(size_t n) { return std::string(n, ' '); }

bool Plain(const pktest::PtyTerm::CellInfo& c) { return c.fgDefault && c.bgDefault && !c.bold && !c.reverse; }

TEST(MainScreen, EveryFieldOnTwoTerminalSizes) {
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += char('a' + i % 26);
    std::string sixty;
    for (int i = 1; i <= 60; ++i) sixty += (i == 1 ? wide : "line " + std::to_string(i)) + "\n";
    struct Case {
        int rows, cols;
        std::string name, text, status;
        int lastRow;  // the last data row that holds a line
        std::string lastText;
    } const cases[] = {
        {25, 80, "a-rather-long-folder-name-for-the-title/and-another-long-one/file.log",
         "first line\nsecond\nthird line\n", "Line 1 of 3, Column 1 of 10", 5, "third line"},
        {43, 132, "wide.txt", sixty, "Line 1 of 60, Column 1 of 200", 41, "line 39"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cols);
        pktest::Pk pk(c.rows, c.cols);
        const std::string file = pk.dir.write(c.name, c.text);
        ASSERT_TRUE(pk.start({file}));
        pktest::PtyTerm& t = pk.t;
        ASSERT_TRUE(t.waitFor(c.lastText, pktest::kWait, c.lastRow)) << t.screenText();

        const std::string title = file.size() > 73 ? file.substr(file.size() - 73) : file;
        EXPECT_EQ(t.rowText(0), "Peekra " + title + B(size_t(c.cols) - 7 - title.size()));
        for (int x = 0; x < 6; ++x) EXPECT_TRUE(t.cell(0, x).bold && !t.cell(0, x).reverse) << x;
        for (int x = 7; x < 80; ++x) EXPECT_TRUE(Plain(t.cell(0, x))) << x;
        EXPECT_EQ(t.rowText(1), B(80 - c.status.size()) + c.status + B(size_t(c.cols) - 80));
        EXPECT_EQ(t.rowText(2).substr(0, 12), "COMMAND ==> ");
        for (int x = 0; x < 11; ++x) EXPECT_TRUE(t.cell(2, x).bold) << x;

        const std::string first = c.text.substr(0, c.text.find('\n')).substr(0, size_t(c.cols));
        EXPECT_EQ(t.rowText(3), first + B(size_t(c.cols) - first.size()));
        for (int x = 0; x < c.cols; ++x) EXPECT_TRUE(Plain(t.cell(3, x))) << x;
        EXPECT_EQ(t.rowText(c.lastRow), c.lastText + B(size_t(c.cols) - c.lastText.size()));
        for (int r = c.lastRow + 1; r < c.rows - 1; ++r) EXPECT_EQ(t.rowText(r), B(size_t(c.cols))) << r;

        // Digits bold, labels reversed, in their columns on the last line.
        const std::u32string keys = U"1Help  2Half  3End  4Top  5RFind  6RCmd  7Left  8Right  9Bottom 10Next 11<\u2500 12\u2500>";
        const int row = c.rows - 1;
        for (int x = 0; x < c.cols; ++x) {
            pktest::PtyTerm::CellInfo cell = t.cell(row, x);
            char32_t want = x < int(keys.size()) ? keys[size_t(x)] : U' ';
            EXPECT_EQ(cell.ch ? cell.ch : U' ', want) << "column " << x + 1;
            if (want == U' ') continue;
            bool digit = want >= U'0' && want <= U'9';
            EXPECT_EQ(cell.bold, digit) << "column " << x + 1;
            EXPECT_EQ(cell.reverse, !digit) << "column " << x + 1;
        }
    }
}

}  // namespace
