// The command line on the real terminal: the 67-character window, the full
// line, Backspace, Esc, Home/End, Insert and its cursor shape, recall and
// repeat, Ctrl+V through a clipboard program, the terminal's own paste, and
// clicks on the key labels.
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

std::string Letters(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('a' + i % 26);
    return s;
}

TEST(PkEditor, WindowScrollingAndEditingKeys) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    std::string text = Letters(67);
    pk.t.send(text);
    ASSERT_TRUE(pk.waitWindow(text));
    EXPECT_TRUE(pk.waitCursor(2, 79));
    pk.t.send("#");  // the 68th moves the window
    EXPECT_TRUE(pk.waitWindow(text.substr(1) + "#"));
    EXPECT_TRUE(pk.waitCursor(2, 79));
    pk.t.key(VTERM_KEY_HOME);
    EXPECT_TRUE(pk.waitWindow(text));
    EXPECT_TRUE(pk.waitCursor(2, 12));
    pk.t.key(VTERM_KEY_END);
    EXPECT_TRUE(pk.waitWindow(text.substr(1) + "#"));
    pk.t.send("\x1b");  // Esc after scrolling shows the start again
    EXPECT_TRUE(pk.waitWindow(std::string(67, ' ')));
    EXPECT_TRUE(pk.waitCursor(2, 12));

    pk.t.send(Letters(256));
    ASSERT_TRUE(pk.waitCursor(2, 79));
    EXPECT_TRUE(pk.beeps("!"));  // overtype at 256
    pk.t.key(VTERM_KEY_INS);
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.cursorShape == VTERM_PROP_CURSORSHAPE_BLOCK; }, kWait));
    pk.t.key(VTERM_KEY_HOME);
    EXPECT_TRUE(pk.waitCursor(2, 12));
    EXPECT_TRUE(pk.beeps("!"));  // insert into a full line
    EXPECT_TRUE(pk.waitWindow(Letters(67)));
    pk.t.key(VTERM_KEY_INS);
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.cursorShape == VTERM_PROP_CURSORSHAPE_UNDERLINE; }, kWait));

    pk.t.send("\x1b");
    ASSERT_TRUE(pk.waitWindow(std::string(67, ' ')));
    pk.t.send("abc");
    pk.t.key(VTERM_KEY_RIGHT);
    pk.t.key(VTERM_KEY_RIGHT);
    ASSERT_TRUE(pk.waitCursor(2, 17));
    pk.t.send("\x7f");  // Backspace past the end only moves back
    EXPECT_TRUE(pk.waitCursor(2, 16));
    pk.t.key(VTERM_KEY_LEFT);
    pk.t.key(VTERM_KEY_LEFT);
    pk.t.key(VTERM_KEY_LEFT);
    pk.t.key(VTERM_KEY_DEL);
    EXPECT_TRUE(pk.waitWindow("ac "));
    pk.t.send("\x7f");
    EXPECT_TRUE(pk.waitCursor(2, 12));
    EXPECT_TRUE(pk.beeps("\x7f"));
    EXPECT_TRUE(pk.waitWindow(std::string(67, ' ').replace(0, 1, "c")));
    EXPECT_EQ(pk.t.bells, 3);
}

TEST(PkEditor, RecallRepeatAndCaseQuery) {
    Pk pk;
    std::string text;
    for (int i = 1; i <= 60; ++i) text += "row " + std::to_string(i) + "\n";
    ASSERT_TRUE(pk.start({pk.dir.write("rows.txt", text)}));
    pk.command("down 3");
    ASSERT_TRUE(pk.waitStatus("Line 4 of 60"));
    pk.command("?");
    EXPECT_TRUE(pk.waitWindow("down 3 "));
    EXPECT_TRUE(pk.waitCursor(2, 18));
    pk.t.send("\r");  // the recalled line runs again
    EXPECT_TRUE(pk.waitStatus("Line 7 of 60"));
    pk.command("=");
    EXPECT_TRUE(pk.waitStatus("Line 10 of 60"));
    EXPECT_TRUE(pk.waitWindow(std::string(67, ' ')));
    pk.command("case ?");
    EXPECT_TRUE(pk.waitWindow("case u"));
    EXPECT_TRUE(pk.waitCursor(2, 18));
}

TEST(PkEditor, CtrlVTypesTheClipboard) {
    Pk pk;
    pk.t.addStub("xclip", "printf 'abc\\r\\ndef'");
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.t.send("\x16");
    EXPECT_TRUE(pk.waitWindow("abcdef "));
    EXPECT_TRUE(pk.waitCursor(2, 18));
    pk.t.paste("ghi\r\njkl");  // the terminal's own paste, by the same rules
    EXPECT_TRUE(pk.waitWindow("abcdefghijkl "));
}

TEST(PkEditor, CtrlVKeepsTheFirst255Characters) {
    Pk pk;
    pk.t.addStub("xclip", "yes q | head -n 300 | tr -d '\\n'");
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.t.send("\x16");
    EXPECT_TRUE(pk.waitCursor(2, 79));
    pk.t.key(VTERM_KEY_RIGHT);  // one more place: the window shows the end
    EXPECT_TRUE(pk.waitWindow(std::string(66, 'q') + " "));
    EXPECT_EQ(pk.t.bells, 0);

    Pk empty;  // nothing on the clipboard: nothing happens
    empty.t.addStub("xclip", "exit 1");
    ASSERT_TRUE(empty.start({empty.dir.write("a.txt", "text\n")}));
    empty.t.send("\x16");
    EXPECT_TRUE(empty.settle());
    EXPECT_EQ(empty.window(), std::string(67, ' '));
    EXPECT_EQ(empty.t.bells, 0);
}

TEST(PkEditor, ClicksOnKeyLabels) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.t.click(24, 9);  // the "Half" label: F2
    EXPECT_TRUE(pk.t.waitFor("2Page", kWait, 24));
    pk.t.click(24, 7);  // its digit
    EXPECT_TRUE(pk.t.waitFor("2Half", kWait, 24));

    pk.t.click(24, 5);   // between two labels
    pk.t.click(24, 7, 3);  // right button
    pk.t.click(23, 7);   // another line
    EXPECT_TRUE(pk.settle());
    EXPECT_TRUE(pk.t.waitFor("2Half", kWait, 24));

    // RFind and its digit act as F5: with no find string, a beep each.
    EXPECT_TRUE(pk.beeps("\x1b[<0;29;25M\x1b[<0;29;25m"));
    EXPECT_TRUE(pk.beeps("\x1b[<0;27;25M\x1b[<0;27;25m"));
    // A double click acts once, through its first press.
    pk.t.send("\x1b[<0;30;25M\x1b[<0;30;25m\x1b[<0;30;25M\x1b[<0;30;25m");
    EXPECT_TRUE(pk.waitBells(3));
    EXPECT_TRUE(pk.settle());
    EXPECT_EQ(pk.t.bells, 3);
}

}  // namespace
