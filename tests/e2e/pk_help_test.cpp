// The help screen on the real terminal: the box with its bright title and
// prompt, the keys that end it, and the screen and cursor that come back.
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

const char* const kPrompt = "<Press any key to end help>";

void ExpectBox(const Pk& pk) {
    EXPECT_EQ(pk.t.rowText(0).substr(0, 9), "\u2554\u2550\u2550");
    EXPECT_EQ(pk.t.rowText(1).substr(24 + 2, 31), "Help for Windows Peekra 1.3.3.0");  // after the 3-byte "║"
    EXPECT_TRUE(pk.t.cell(1, 24).bold);
    EXPECT_FALSE(pk.t.cell(5, 30).bold);
    EXPECT_NE(pk.t.rowText(3).find("F sss....         :Find first occurrance of string sss...."),
              std::string::npos);
    EXPECT_NE(pk.t.rowText(23).find(kPrompt), std::string::npos);
    EXPECT_TRUE(pk.t.cell(23, 49).bold);
}

TEST(PkHelp, KeysThatEndItAndTheScreenComingBack) {
    Pk pk;
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "data line " + std::to_string(i) + "\n";
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", text)}));
    pk.t.send("abc");
    ASSERT_TRUE(pk.waitCursor(2, 15));
    const std::string before = pk.t.screenText();

    struct Ender { const char* name; std::string bytes; };
    const Ender enders[] = {{"Enter", "\r"}, {"Esc", "\x1b"}, {"F3", "\x1bOR"}};
    for (const Ender& e : enders) {
        pk.t.key(Fn(1));
        ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23)) << e.name;
        ExpectBox(pk);
        pk.t.send(e.bytes);
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText() == before; }, kWait))
            << e.name << "\n" << pk.t.screenText();
        // The help put the cursor back; the loop then starts again at the
        // start of the command window.
        EXPECT_TRUE(pk.waitCursor(2, 12)) << e.name;
    }
    pk.t.send("x");  // the loop reads keys again, and F3 ended only the help
    EXPECT_TRUE(pk.waitWindow("xbc"));

    pk.t.send("\x1b");
    ASSERT_TRUE(pk.waitWindow(std::string(67, ' ')));
    pk.command("help");  // the command shows the same box
    ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    ExpectBox(pk);
    pk.t.send("\r");
    EXPECT_TRUE(pk.t.waitFor("data line 1 ", kWait, 3));
}

TEST(PkHelp, CharacterKeysAreIgnored) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.t.key(Fn(1));
    ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    // Insert is read by the help's own key reader: its cursor change shows
    // that the letters before it were read, and ignored.
    pk.t.send("a1 ");
    pk.t.key(VTERM_KEY_INS);
    ASSERT_TRUE(pk.t.waitUntil([&] { return pk.t.cursorShape == VTERM_PROP_CURSORSHAPE_BLOCK; }, kWait));
    EXPECT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    pk.t.key(VTERM_KEY_PAGEDOWN);
    EXPECT_TRUE(pk.t.waitFor("text", kWait, 3));
    EXPECT_EQ(pk.t.bells, 0);
}

TEST(PkHelp, WideScreenIsBlankAroundTheBoxAndComesBack) {
    Pk pk(43, 132);
    std::string text;
    for (int i = 1; i <= 60; ++i) text += std::string(120, char('A' + i % 26)) + "\n";
    ASSERT_TRUE(pk.start({pk.dir.write("wide.txt", text)}));
    ASSERT_TRUE(pk.t.waitFor(std::string(120, 'C'), kWait, 4));
    const std::string before = pk.t.screenText();
    pk.t.key(Fn(1));
    ASSERT_TRUE(pk.t.waitFor(kPrompt, kWait, 23));
    EXPECT_EQ(pk.t.rowText(30), std::string(132, ' '));
    EXPECT_EQ(pk.t.rowText(42), std::string(132, ' '));
    std::string row5 = pk.t.rowText(5);
    EXPECT_EQ(row5.substr(row5.size() - 52), std::string(52, ' '));
    pk.t.send("\x1b");
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.screenText() == before; }, kWait)) << pk.t.screenText();
}

}  // namespace
