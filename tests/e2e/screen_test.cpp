// The main screen of pk on a real terminal (pty + libvterm), cell by cell
// with attributes, on 80x25 with a name longer than the title field and on
// 132x43: title, status ending at column 80, "COMMAND ==>", data area, and
// the key row in reverse video on the last line; then the same screens
// after resizes, and the notice below 80x24. The help screen: the box with
// its bright title and prompt, the keys that end it while letters do not,
// and the screen and cursor that come back, also on a larger terminal and
// after resizes.
#include <gtest/gtest.h>

#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

TEST(MainScreen, EveryFieldOnTwoTerminalSizes) {
    const std::string wide = Repeat("abcdefghijklmnopqrstuvwxyz", 8).substr(0, 200);
    const std::string sixty = Lines(60, [&](int i) { return i == 1 ? wide : "line " + std::to_string(i); });
    // The size, the file, its status and the last data row that holds a line.
    struct Case { int rows, cols; std::string name, text, status; int lastRow; std::string lastText; } const cases[] = {
        {25, 80, "a-rather-long-folder-name-for-the-title/and-another-long-one/file.log",
         "first line\nsecond\nthird line\n", "Line 1 of 3, Column 1 of 10", 5, "third line"},
        {43, 132, "wide.txt", sixty, "Line 1 of 60, Column 1 of 200", 41, "line 39"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cols);
        Pk pk(c.rows, c.cols);
        const std::string file = pk.dir.write(c.name, c.text);
        ASSERT_TRUE(pk.start({file}));
        PtyTerm& t = pk.t;
        ASSERT_TRUE(t.waitFor(c.lastText, kWait, c.lastRow)) << t.screenText();

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
            PtyTerm::CellInfo cell = t.cell(row, x);
            char32_t want = x < int(keys.size()) ? keys[size_t(x)] : U' ';
            EXPECT_EQ(cell.ch ? cell.ch : U' ', want) << "column " << x + 1;
            if (want == U' ') continue;
            bool digit = want >= U'0' && want <= U'9';
            EXPECT_EQ(cell.bold, digit) << "column " << x + 1;
            EXPECT_EQ(cell.reverse, !digit) << "column " << x + 1;
        }
    }
}

const char* const kPrompt = "<Press any key to end help>";

void ExpectBox(const Pk& pk) {
    EXPECT_EQ(pk.t.rowText(0).substr(0, 9), "\u2554\u2550\u2550");
    EXPECT_EQ(pk.t.rowText(1).substr(24 + 2, 31), "Help for Linux Peekra " PK_VERSION "  ");  // after the 3-byte "║"
    EXPECT_TRUE(pk.t.cell(1, 24).bold);
    EXPECT_FALSE(pk.t.cell(5, 30).bold);
    EXPECT_NE(pk.t.rowText(3).find("F sss....         :Find first occurrence of string sss...."), std::string::npos);
    EXPECT_TRUE(pk.t.cell(23, 49).bold);
}

// One line down (text) or one row (hex, via View), "abc" typed and the
// cursor one place back.
bool Prepare(Pk& p, bool hex) {
    if (hex && !p.run({{"view\r", {}, 0, "File size is"}})) return false;
    return p.run({{"", VTERM_KEY_DOWN, 0, hex ? "00000010:" : "Line 2 of", hex ? 3 : 1},
                  {"abc", {}, 0, "abc", 2},
                  {"", VTERM_KEY_LEFT, 0, "abc", 2, 14}});
}

// A resized pk shows what one started at the new size shows after the same keys.
TEST(MainScreen, ResizesFollowedInBothViewsWithANoticeBelow80x24) {
    const std::string text = Lines(100, [](int i) { return "row " + std::to_string(i) + " " + std::string(150, char('a' + i % 26)); });
    Pk pk;
    const std::string file = pk.dir.write("r.txt", text);
    auto reference = [&](int rows, int cols, bool hex, bool help = false) {
        Pk ref(rows, cols);
        EXPECT_TRUE(ref.start({file}) && Prepare(ref, hex) && (!help || ref.run({{"", Fn(1), 0, kPrompt, 23}})));
        ref.t.settle();
        return ref.shot();
    };
    auto resizeTo = [&](int rows, int cols, const std::string& want) {
        pk.t.resize(rows, cols);
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.shot() == want; }, kWait)) << pk.shot() << "\n" << want;
    };
    ASSERT_TRUE(pk.start({file}) && Prepare(pk, false));
    const std::string start = pk.shot();
    for (auto [rows, cols] : {std::pair{43, 132}, {30, 100}, {24, 80}}) resizeTo(rows, cols, reference(rows, cols, false));

    pk.t.resize(20, 60);
    EXPECT_TRUE(pk.t.waitFor("Terminal too small: 60x20, pk needs 80x24" + B(19), kWait, 0));
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText().find("abc") == std::string::npos; }));
    pk.t.send("x");  // dropped: the screen after is the one before
    resizeTo(25, 80, start);
    const size_t mark = pk.t.output().size();
    for (int i = 0; i < 50; ++i) pk.t.resize(24 + i % 20, 80 + i * 7 % 60);
    resizeTo(25, 80, start);
    int clears = 0;  // a burst is drawn once (up to three times if the test was held up midway)
    for (size_t at = mark; (at = pk.t.output().find("\033[H\033[2J", at)) != std::string::npos; ++at) ++clears;
    EXPECT_LE(clears, 3);

    ASSERT_TRUE(pk.run({{"\x1b", {}, 0, B(67), 2, 12}, {"", Fn(4), 0, "Line 1 of"}}));
    ASSERT_TRUE(Prepare(pk, true));
    for (auto [rows, cols] : {std::pair{43, 132}, {24, 80}}) resizeTo(rows, cols, reference(rows, cols, true));

    // The help on a larger terminal is blank beyond its box; a resize while
    // it shows (through the notice) draws it again, and its end the viewer,
    // at the new size.
    pk.t.resize(43, 132);
    ASSERT_TRUE(pk.run({{"", Fn(1), 0, kPrompt, 23}}));
    EXPECT_EQ(pk.t.rowText(30) + pk.t.rowText(42), B(264));
    EXPECT_EQ(pk.t.rowText(5).substr(pk.t.rowText(5).size() - 52), B(52));
    pk.t.resize(20, 60);
    ASSERT_TRUE(pk.t.waitFor("Terminal too small", kWait, 0));
    resizeTo(30, 100, reference(30, 100, true, true));
    ExpectBox(pk);
    pk.t.send("\x1b");
    const std::string viewer = reference(30, 100, true);  // the cursor then at the window's start
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText() == viewer.substr(0, viewer.rfind('@')); }, kWait));
}


TEST(PkHelp, KeysThatEndItAndTheScreenComingBack) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", Lines(40, [](int i) { return "data line " + std::to_string(i); }))}));
    ASSERT_TRUE(pk.run({{"abc", {}, 0, "abc", 2, 15}}));
    const std::string before = pk.t.screenText();

    // Any key ends it and is not typed; the wheel is read and ignored.
    const struct { const char* name; std::string bytes; } enders[] = {
        {"Enter", "\x1b[<65;9;9M\r"}, {"Esc", "\x1b"}, {"F3", "\x1bOR"}, {"a letter", "\x1b[<65;9;9Mq"}, {"Space", " "}};
    for (const auto& e : enders) {
        ASSERT_TRUE(pk.run({{"", Fn(1), 0, kPrompt, 23}})) << e.name;
        ExpectBox(pk);
        pk.t.send(e.bytes);
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText() == before; }, kWait)) << e.name;
        EXPECT_TRUE(pk.waitCursor(2, 12)) << e.name;  // the loop starts again at the window's start
    }
    // The loop reads keys again and the line survived; the command shows the same box.
    ASSERT_TRUE(pk.run({{"x", {}, 0, "xbc", 2, 13}, {"\x1b", {}, 0, B(67), 2, 12}, {"help\r", {}, 0, kPrompt, 23}}));
    ExpectBox(pk);
    EXPECT_TRUE(pk.run({{"\r", {}, 0, "data line 1 ", 3}}));
    EXPECT_EQ(pk.t.bells, 0);
}

}  // namespace
