// The command line on the real terminal: the 67-character window, the full
// line, Backspace, Esc, Home/End, Insert and its cursor shape, recall and
// repeat, Ctrl+V through a clipboard program and the terminal's own paste.
#include <filesystem>
#include <fstream>
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

std::string Letters(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('a' + i % 26);
    return s;
}

const std::string kBlank(67, ' ');

TEST(PkEditor, WindowScrollingAndEditingKeys) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    const std::string text = Letters(67), moved = text.substr(1) + "#";
    EXPECT_TRUE(pk.run({
        {text, {}, 0, text, 2, 79},
        {"#", {}, 0, moved, 2, 79},  // the 68th moves the window
        {"", VTERM_KEY_HOME, 0, text, 2, 12},
        {"", VTERM_KEY_END, 0, moved, 2, 79},
        {"\x1b", {}, 0, kBlank, 2, 12},  // Esc after scrolling shows the start again
        {Letters(256), {}, 0, Letters(256).substr(189), 2, 79},
        {"!"},  // overtype at 256
    }));
    pk.t.key(VTERM_KEY_INS);
    EXPECT_TRUE(pk.waitShape(VTERM_PROP_CURSORSHAPE_BLOCK));
    EXPECT_TRUE(pk.run({{"", VTERM_KEY_HOME, 0, text, 2, 12}, {"!"}}));  // insert into a full line
    EXPECT_TRUE(pk.waitWindow(text));
    pk.t.key(VTERM_KEY_INS);
    EXPECT_TRUE(pk.waitShape(VTERM_PROP_CURSORSHAPE_UNDERLINE));
    EXPECT_TRUE(pk.run({
        {"\x1b", {}, 0, kBlank, 2, 12},
        {"abc", {}, 0, "abc", 2, 15},
        {"", VTERM_KEY_RIGHT, 0, "abc", 2, 16},
        {"", VTERM_KEY_RIGHT, 0, "abc", 2, 17},
        {"\x7f", {}, 0, "abc", 2, 16},  // Backspace past the end only moves back
        {"", VTERM_KEY_HOME, 0, "abc", 2, 12},
        {"", VTERM_KEY_RIGHT, 0, "abc", 2, 13},
        {"", VTERM_KEY_DEL, 0, "ac ", 2, 13},
        {"\x7f", {}, 0, "c ", 2, 12},
        {"\x7f"},  // nothing before the cursor
    }));
    EXPECT_EQ(pk.window(), "c" + kBlank.substr(1));
    EXPECT_EQ(pk.t.bells, 3);
}

TEST(PkEditor, RecallRepeatAndCaseQuery) {
    Pk pk;
    std::string text;
    for (int i = 1; i <= 60; ++i) text += "row " + std::to_string(i) + "\n";
    ASSERT_TRUE(pk.start({pk.dir.write("rows.txt", text)}));
    EXPECT_TRUE(pk.run({
        {"down 3\r", {}, 0, "Line 4 of 60"},
        {"?\r", {}, 0, "down 3 ", 2, 18},
        {"\r", {}, 0, "Line 7 of 60"},  // the recalled line runs again
        {"=\r", {}, 0, "Line 10 of 60"},
    }));
    EXPECT_TRUE(pk.waitWindow(kBlank));
    EXPECT_TRUE(pk.run({{"case ?\r", {}, 0, "case u", 2, 18}}));
}

TEST(PkEditor, CtrlVAndTheTerminalsPasteTypeText) {
    Pk pk;
    pk.t.addStub("xclip", "cat \"$HOME/clip\"");  // nothing there: it fails
    const std::string clip = pk.t.home() + "/clip";
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.t.send("\x16");
    EXPECT_TRUE(pk.settle());
    EXPECT_EQ(pk.window(), kBlank);

    std::ofstream(clip) << "abc\r\ndef";
    ASSERT_TRUE(pk.run({{"\x16", {}, 0, "abcdef ", 2, 18}}));
    pk.t.paste("ghi\r\njkl");
    EXPECT_TRUE(pk.waitWindow("abcdefghijkl "));

    std::ofstream(clip) << std::string(300, 'q');  // the first 255
    EXPECT_TRUE(pk.run({{"\x1b", {}, 0, kBlank, 2, 12},
                        {"\x16", {}, 0, "qqq", 2, 79},
                        {"", VTERM_KEY_RIGHT, 0, std::string(66, 'q') + " ", 2, 79}}));
    EXPECT_EQ(pk.t.bells, 0);
}

}  // namespace
