// The keyboard loop against the in-memory console: the command-line editor,
// paste, mouse clicks on the key labels, the key table in both views and the
// ways the loop ends.
#include <gtest/gtest.h>

#include <string>

#include "keyboard_fixture.h"

namespace {

using namespace pktest;
using pk::KEY_END;
using pk::KEY_READFAIL;
using pk::KEY_REDRAW;

TEST(KeyboardEditor, WindowFollowsTheCursor) {
    KeyboardScreen s;
    std::string text;
    for (int i = 0; i < 67; ++i) text += char('A' + i % 26);
    EXPECT_EQ(s.text(text).run(), KEY_READFAIL);  // typing never ends the loop
    EXPECT_EQ(s.window(), text);
    EXPECT_EQ(s.console.cursor.x, 79);
    EXPECT_EQ(s.console.cursor.y, 2);

    s.text(text).text("!").run();  // the 68th moves the window one place
    EXPECT_EQ(s.window(), text.substr(1) + "!");
    EXPECT_EQ(s.console.cursor.x, 79);

    s.text(text).text("!").key(SC_HOME).run();
    EXPECT_EQ(s.window(), text);
    EXPECT_EQ(s.console.cursor.x, 12);

    s.key(SC_END, pk::LEFT_ALT_PRESSED).run();  // Alt+End is End; the text stayed
    EXPECT_EQ(s.window(), text.substr(1) + "!");
    EXPECT_EQ(s.console.cursor.x, 79);

    s.key(SC_END).key(SC_ESC, 0, 1, 27).run();  // Esc blanks the line and shows its start
    EXPECT_EQ(s.window(), std::string(67, ' '));
    EXPECT_EQ(s.console.cursor.x, 12);
    EXPECT_EQ(pk::CommandLength(), 0);
}

TEST(KeyboardEditor, FullLineBeepsInBothModes) {
    KeyboardScreen s;
    std::string full(256, 'x');
    s.text(full).run();
    EXPECT_EQ(s.console.beeps, 0);
    s.key(SC_END).text("y").run();  // overtype at 256
    EXPECT_EQ(s.console.beeps, 1);

    s.press(SC_INSERT);
    EXPECT_EQ(pk::keyboard.insertMode, 1u);
    EXPECT_EQ(s.console.cursorSize, 70);
    s.text("z").key(SC_END).text("z").run();  // insert at and before the end of a full line
    EXPECT_EQ(s.console.beeps, 3);
    EXPECT_EQ(s.line(), full);

    s.press(SC_INSERT);
    EXPECT_EQ(s.console.cursorSize, 12);
    s.text("z").run();  // overtype at the start replaces
    EXPECT_EQ(s.line(), "z" + full.substr(1));
}

TEST(KeyboardEditor, InsertBackspaceDeleteAndRepeatCounts) {
    struct Case {
        uint16_t scan;
        uint8_t ch;
        uint16_t repeat;
        int leftFirst;  // Left presses before the key
        const char* line;
        int cursorColumn;
        int beeps;
    };
    const Case cases[] = {
        {SC_LEFT, 0, 3, 0, "abcdef", 15, 0},
        {SC_RIGHT, 0, 300, 0, "abcdef", 79, 0},  // stops at 256, the window follows
        {SC_BACKSPACE, 8, 1, 2, "abcef", 15, 0},
        {SC_BACKSPACE, 8, 3, 4, "aef", 13, 0},   // one place back, three removed
        {SC_DELETE, 0, 2, 4, "abef", 14, 0},
        {SC_DELETE, 0, 9, 4, "ab", 14, 0},
        {SC_DELETE, 0, 1, 0, "abcdef", 18, 1},   // nothing under the cursor
        {SC_HOME, 0, 1, 0, "abcdef", 12, 0},
    };
    for (const Case& c : cases) {
        KeyboardScreen s;
        s.text("abcdef");
        for (int i = 0; i < c.leftFirst; ++i) s.key(SC_LEFT);
        s.key(c.scan, 0, c.repeat, c.ch).run();
        EXPECT_EQ(s.line(), c.line) << "key " << c.scan;
        EXPECT_EQ(s.console.cursor.x, c.cursorColumn) << "key " << c.scan;
        EXPECT_EQ(s.console.beeps, c.beeps) << "key " << c.scan;
    }

    KeyboardScreen s;  // at the start of the line Backspace and Left beep
    s.key(SC_BACKSPACE, 0, 1, 8).key(SC_LEFT).run();
    EXPECT_EQ(s.console.beeps, 2);
    EXPECT_EQ(s.console.cursor.x, 12);

    s.text("abc").key(SC_RIGHT, 0, 5).key(SC_BACKSPACE, 0, 1, 8).run();
    EXPECT_EQ(s.line(), "abc");  // past the end it only moves back
    EXPECT_EQ(s.console.cursor.x, 12 + 7);

    s.key(SC_INSERT).key(SC_RIGHT, 0, 2).text("X\t").run();
    EXPECT_EQ(s.line(), "abX\tc");  // insert mode shifts the rest right
}

TEST(KeyboardPaste, CtrlVFollowsTheClipboardRules) {
    KeyboardScreen s;
    s.console.clipboard = "abc\r\ndef";
    EXPECT_EQ(s.press(SC_V, pk::LEFT_CTRL_PRESSED, 1, 0x16), KEY_READFAIL);
    EXPECT_EQ(s.line(), "abcdef");

    s.press(SC_ESC, 0, 1, 27);
    s.console.clipboard.reset();  // nothing on the clipboard: nothing happens
    s.press(SC_V, pk::RIGHT_CTRL_PRESSED, 1, 0x16);
    EXPECT_EQ(s.line(), "");
    EXPECT_EQ(s.console.clipboardReads, 2);

    s.console.clipboard = std::string(300, 'p');
    s.press(SC_V, pk::LEFT_CTRL_PRESSED, 1, 0x16);
    EXPECT_EQ(s.line(), std::string(255, 'p'));
    s.press(SC_ESC, 0, 1, 27);

    // Any other state bit makes it a typed character.
    s.key(SC_V, pk::LEFT_CTRL_PRESSED | pk::NUMLOCK_ON, 1, 0x16)
        .key(SC_V, pk::LEFT_CTRL_PRESSED | pk::SHIFT_PRESSED, 1, 0x16)
        .run();
    EXPECT_EQ(s.line(), "\x16\x16");
    EXPECT_EQ(s.console.clipboardReads, 3);
}

TEST(KeyboardPaste, TerminalPasteIsTypedAndSurvivesARedraw) {
    KeyboardScreen s;
    s.load(std::string(50, '\n'));
    s.console.paste("x\ry\nz\bw\x1b" "q");  // Backspace and Esc act as keys
    s.press(SC_END);
    EXPECT_EQ(s.line(), "q");

    s.key(SC_ESC, 0, 1, 27).run();
    s.console.key(SC_DOWN);   // ends the loop ...
    s.console.paste("kept");  // ... and what the terminal pasted stays queued
    s.console.text("lost");
    EXPECT_EQ(pk::KeyboardLoop(), KEY_REDRAW);
    EXPECT_EQ(pk::KeyboardLoop(), KEY_READFAIL);
    EXPECT_EQ(s.line(), "kept");

    s.console.clipboard = "pasted";  // Ctrl+V text waits in the paste buffer
    s.key(SC_V, pk::LEFT_CTRL_PRESSED, 1, 0x16).run();
    EXPECT_EQ(s.line(), "pasted");

    pk::FillPasteBuffer(std::string(10, 'a') + '\0' + "bc");  // a NUL ends the text
    EXPECT_EQ(pk::keyboard.pasteCount, 10);
}

TEST(KeyboardMouse, LabelPositionsGiveTheirKeys) {
    KeyboardScreen s;
    struct Case { int x, y; int scan; };
    const Case cases[] = {
        {0, 24, 0x3B}, {1, 24, 0x3B}, {4, 24, 0x3B}, {5, 24, 0}, {7, 24, 0x3C},
        {26, 24, 0x3F}, {27, 24, 0x3F}, {31, 24, 0x3F}, {32, 24, 0}, {64, 24, 0x44},
        {69, 24, 0x44}, {70, 24, 0}, {71, 24, 0x57}, {79, 24, 0x58}, {27, 23, 0}, {27, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pk::MouseToKey(pk::Coord{int16_t(c.x), int16_t(c.y)}), c.scan) << c.x << "," << c.y;
}

TEST(KeyboardMouse, OnlyALeftPressOnALabelActs) {
    KeyboardScreen s;
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED);  // the "Half" label: F2
    pk::KeyboardLoop();
    EXPECT_EQ(pk::display.scrollPage, 1u);

    s.console.mouse(8, 24, pk::RIGHTMOST_BUTTON_PRESSED);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED, pk::DOUBLE_CLICK);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED | pk::RIGHTMOST_BUTTON_PRESSED);
    s.console.mouse(8, 24, 0);  // a release
    s.console.mouse(6, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED);   // between two labels
    s.console.mouse(8, 23, pk::FROM_LEFT_1ST_BUTTON_PRESSED);   // another line
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED, pk::MOUSE_MOVED);
    pk::KeyboardLoop();
    EXPECT_EQ(pk::display.scrollPage, 1u);

    // RFind with a stored find string moves to the hit.
    s.load("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\no\np\nq\nr\ns\nt\nu\nv\nw\nneedle\n");
    std::memcpy(pk::settings.findString, "needle", 6);
    pk::settings.findLength = 6;
    s.console.mouse(29, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED);
    EXPECT_EQ(pk::KeyboardLoop(), KEY_REDRAW);
    EXPECT_NE(s.view().line, 1u);
}

TEST(KeyboardKeys, ShiftAloneClearsTheMessage) {
    KeyboardScreen s;
    s.press(SC_SHIFT, pk::SHIFT_PRESSED);  // the loop clears on entry too
    pk::SetMessage("Not found");
    pk::ShowStatus();
    ASSERT_EQ(s.console.rowText(1).substr(0, 9), "Not found");
    s.press(SC_SHIFT, pk::SHIFT_PRESSED);
    EXPECT_EQ(pk::display.messageText[0], '\0');
    for (char c : s.console.rowText(1).substr(0, 21)) EXPECT_TRUE(c == ' ' || c == '\0');
}

TEST(KeyboardKeys, TextViewVerticalKeys) {
    KeyboardScreen s;  // three lines: everything that goes down beeps
    EXPECT_EQ(s.press(SC_DOWN), KEY_READFAIL);
    EXPECT_EQ(s.press(SC_PGDN), KEY_READFAIL);
    EXPECT_EQ(s.press(SC_F9), KEY_READFAIL);
    EXPECT_EQ(s.press(SC_F4), KEY_READFAIL);
    EXPECT_EQ(s.console.beeps, 4);
    EXPECT_EQ(s.press(SC_HOME, pk::LEFT_CTRL_PRESSED), KEY_REDRAW);  // never beeps
    EXPECT_EQ(s.console.beeps, 4);

    std::string lines;
    for (int i = 1; i <= 100; ++i) lines += "line " + std::to_string(i) + "\n";
    s.load(lines);
    EXPECT_EQ(s.press(SC_PGDN), KEY_REDRAW);  // half of 21 rows
    EXPECT_EQ(s.view().line, 11u);
    s.press(SC_F2);
    EXPECT_EQ(s.console.rowText(24).substr(8, 4), "Page");
    s.press(SC_PGDN);
    EXPECT_EQ(s.view().line, 32u);
    s.press(SC_UP, 0, 3);  // the repeat count is not used
    EXPECT_EQ(s.view().line, 31u);
    s.press(SC_F9);
    EXPECT_EQ(s.view().line, 80u);
    EXPECT_EQ(s.press(SC_F9), KEY_READFAIL);
    s.press(SC_F4);
    EXPECT_EQ(s.view().line, 1u);
    s.press(SC_END, pk::RIGHT_CTRL_PRESSED);
    EXPECT_EQ(s.view().line, 80u);
    EXPECT_EQ(s.press(SC_F10), KEY_READFAIL);  // one file: beep
    EXPECT_EQ(s.press(SC_F5, pk::SHIFT_PRESSED), KEY_READFAIL);  // no find string: beep
    EXPECT_EQ(s.console.beeps, 7);
}

TEST(KeyboardKeys, HorizontalLimitsFollowTheTabSetting) {
    KeyboardScreen s;
    // 60 bytes raw, 200 columns with tabs expanded.
    s.load(std::string(20, '\t') + std::string(40, 'x') + "\n");
    struct Step { uint16_t scan; uint32_t state; uint16_t repeat; uint32_t column; bool moved; };
    const Step tabsOff[] = {
        {SC_F12, 0, 1, 1, false}, {SC_F8, 0, 1, 1, false}, {SC_RIGHT, pk::LEFT_ALT_PRESSED, 1, 1, false},
        {SC_F11, 0, 1, 1, false}, {SC_F7, 0, 1, 1, false},
    };
    for (const Step& st : tabsOff) {
        EXPECT_EQ(s.press(st.scan, st.state, st.repeat) == KEY_REDRAW, st.moved) << st.scan;
        EXPECT_EQ(s.view().column, st.column) << st.scan;
    }
    pk::settings.tabsOn = 1;
    const Step tabsOn[] = {
        {SC_F12, 0, 1, 2, true}, {SC_F12, 0, 5, 7, true}, {SC_F8, 0, 1, 47, true},
        {SC_F8, 0, 9, 121, true}, {SC_F12, 0, 1, 121, false}, {SC_F8, 0, 1, 121, false},
        {SC_F11, 0, 3, 118, true}, {SC_F7, 0, 1, 78, true}, {SC_F7, 0, 2, 1, true},
        {SC_F7, 0, 1, 1, false}, {SC_F11, 0, 1, 1, false},
        {SC_RIGHT, pk::LEFT_CTRL_PRESSED, 1, 1, false},
        {SC_RIGHT, pk::LEFT_CTRL_PRESSED | pk::LEFT_ALT_PRESSED, 1, 1, false},
    };
    for (const Step& st : tabsOn) {
        EXPECT_EQ(s.press(st.scan, st.state, st.repeat) == KEY_REDRAW, st.moved) << st.scan;
        EXPECT_EQ(s.view().column, st.column) << st.scan;
    }
    pk::display.scrollPage = 1;
    EXPECT_EQ(s.press(SC_F8), KEY_REDRAW);
    EXPECT_EQ(s.view().column, 81u);
}

TEST(KeyboardKeys, HexViewKeys) {
    KeyboardScreen s(80, 24);  // 20 data rows: 320 bytes a page
    s.load(std::string(1000, 'h'));
    pk::display.hexView = 1;
    for (uint16_t scan : {SC_F7, SC_F8, SC_F11, SC_F12, SC_UP, SC_PGUP, SC_F4})
        EXPECT_EQ(s.press(scan), KEY_READFAIL) << scan;
    EXPECT_EQ(s.console.beeps, 7);
    s.press(SC_DOWN);
    EXPECT_EQ(s.view().offset, 16u);
    s.press(SC_PGDN);
    EXPECT_EQ(s.view().offset, 176u);
    s.press(SC_F9);
    EXPECT_EQ(s.view().offset, 680u);
    EXPECT_EQ(s.press(SC_F9), KEY_READFAIL);
    s.press(SC_END, pk::LEFT_CTRL_PRESSED);
    EXPECT_EQ(s.view().offset, 688u);
    s.press(SC_HOME, pk::LEFT_CTRL_PRESSED);
    EXPECT_EQ(s.view().offset, 0u);
    EXPECT_EQ(s.console.beeps, 8);
}

TEST(KeyboardKeys, F6BeforeAnyCommandBeepsAndLeavesTheLineBlank) {
    KeyboardScreen s;
    s.text("half typed").key(SC_F6).run();
    EXPECT_EQ(s.console.beeps, 1);
    EXPECT_EQ(s.line(), "");
    EXPECT_EQ(s.window(), std::string(67, ' '));
}

TEST(KeyboardLoopEnds, ReadFailureSignalAndFlush) {
    KeyboardScreen s;
    EXPECT_EQ(pk::KeyboardLoop(), KEY_READFAIL);
    s.console.setEndRequested();
    EXPECT_EQ(pk::KeyboardLoop(), KEY_END);
    s.console.setEndRequested(false);

    s.console.key(SC_F1);  // the help ends at once on the in-memory console
    s.console.text("abc");
    EXPECT_EQ(pk::KeyboardLoop(), KEY_REDRAW);
    EXPECT_TRUE(s.console.input.empty());  // the rest was discarded
    EXPECT_EQ(s.line(), "");
}

}  // namespace
