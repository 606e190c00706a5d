// The help screen on the real terminal: the box with its bright title and
// prompt, the keys that end it while letters do not, and the screen and
// cursor that come back, also on a larger terminal and after resizes.
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

const char* const kPrompt = "<Press any key to end help>";

void ExpectBox(const Pk& pk) {
    EXPECT_EQ(pk.t.rowText(0).substr(0, 9), "\u2554\u2550\u2550");
    EXPECT_EQ(pk.t.rowText(1).substr(24 + 2, 31), "Help for Linux Peekra 1.3.3.0  ");  // after the 3-byte "║"
    EXPECT_TRUE(pk.t.cell(1, 24).bold);
    EXPECT_FALSE(pk.t.cell(5, 30).bold);
    EXPECT_NE(pk.t.rowText(3).find("F sss....         :Find first occurrance of string sss...."), std::string::npos);
    EXPECT_TRUE(pk.t.cell(23, 49).bold);
}

TEST(PkHelp, KeysThatEndItAndTheScreenComingBack) {
    Pk pk;
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "data line " + std::to_string(i) + "\n";
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", text)}));
    ASSERT_TRUE(pk.run({{"abc", {}, 0, "abc", 2, 15}}));
    const std::string before = pk.t.screenText();

    // Letters, digits, Space and the wheel are read and ignored: had one
    // ended the help, the rest would have reached the command line.
    const struct { const char* name; std::string bytes; } enders[] = {
        {"Enter", "a1 \x1b[<65;9;9M\r"}, {"Esc", "a1 \x1b"}, {"F3", "a1 \x1bOR"}};
    for (const auto& e : enders) {
        pk.t.key(Fn(1));
        ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23)) << e.name;
        ExpectBox(pk);
        pk.t.send(e.bytes);
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText() == before; }, kWait)) << e.name;
        EXPECT_TRUE(pk.waitCursor(2, 12)) << e.name;  // the loop starts again at the window's start
    }
    // The loop reads keys again and the line survived; the command shows the same box.
    ASSERT_TRUE(pk.run({{"x", {}, 0, "xbc", 2, 13}, {"\x1b", {}, 0, std::string(67, ' '), 2, 12}}));
    pk.t.send("help\r");
    ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    ExpectBox(pk);
    pk.t.send("\r");
    EXPECT_TRUE(pk.t.waitFor("data line 1 ", kWait, 3));
    EXPECT_EQ(pk.t.bells, 0);
}

// On a larger terminal the rest is blank; a resize while the help shows
// (through the notice below 80x24) draws it again, and its end the viewer
// at the new size, as a pk started at that size shows them.
TEST(PkHelp, WideScreenAndResizesWhileShown) {
    Pk pk(43, 132);
    std::string text;
    for (int i = 1; i <= 60; ++i) text += std::string(120, char('A' + i % 26)) + "\n";
    const std::string file = pk.dir.write("wide.txt", text);
    ASSERT_TRUE(pk.start({file}));
    ASSERT_TRUE(pk.t.waitFor(std::string(120, 'C'), kWait, 4));
    pk.t.key(Fn(1));
    ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    EXPECT_EQ(pk.t.rowText(30), std::string(132, ' '));
    EXPECT_EQ(pk.t.rowText(42), std::string(132, ' '));
    const std::string row5 = pk.t.rowText(5);
    EXPECT_EQ(row5.substr(row5.size() - 52), std::string(52, ' '));

    Pk ref(30, 100);
    ASSERT_TRUE(ref.start({file}));
    ref.t.key(Fn(1));
    ASSERT_TRUE(ref.t.waitFor(kPrompt, kWait, 23));
    ref.t.settle();
    pk.t.resize(20, 60);
    ASSERT_TRUE(pk.t.waitFor("Terminal too small", kWait, 0));
    pk.t.resize(30, 100);
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.shot() == ref.shot(); }, kWait)) << pk.t.screenText();
    ExpectBox(pk);
    pk.t.send("\x1b");
    ref.t.send("\x1b");
    ASSERT_TRUE(ref.t.waitFor("BBBB", kWait, 3));
    ref.t.settle();
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.shot() == ref.shot(); }, kWait)) << pk.t.screenText();
}

}  // namespace
