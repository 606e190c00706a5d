// The keyboard loop against the in-memory console: what only it can show
// (repeat counts, control-key states, mouse events a terminal rarely sends,
// paste against typed keys across a redraw, the flush on return). The key
// bindings themselves are proved on the real terminal in tests/e2e.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keyboard_fixture.h"

namespace {

using namespace pktest;

struct Key { uint16_t scan; uint16_t repeat = 1; uint8_t ch = 0; uint32_t state = 0; };

TEST(KeyboardEditor, EditingKeysAndRepeatCounts) {
    struct Case { const char* typed; std::vector<Key> keys; const char* line; int column, beeps; };
    const Case cases[] = {
        {"abcdef", {{SC_LEFT, 3}}, "abcdef", 15, 0},
        {"abcdef", {{SC_RIGHT, 300}}, "abcdef", 79, 0},  // stops at 256, the window follows
        {"abcdef", {{SC_LEFT, 2}, {SC_BACKSPACE, 1, 8}}, "abcef", 15, 0},
        {"abcdef", {{SC_LEFT, 4}, {SC_BACKSPACE, 3, 8}}, "aef", 13, 0},  // one place back, three removed
        {"abcdef", {{SC_LEFT, 4}, {SC_DELETE, 2}}, "abef", 14, 0},
        {"abcdef", {{SC_LEFT, 4}, {SC_DELETE, 9}}, "ab", 14, 0},
        {"abcdef", {{SC_DELETE}}, "abcdef", 18, 1},  // nothing under the cursor
        {"abcdef", {{SC_HOME}, {SC_END, 1, 0, pk::LEFT_ALT_PRESSED}}, "abcdef", 18, 0},
        {"", {{SC_BACKSPACE, 1, 8}, {SC_LEFT}}, "", 12, 2},
        {"abc", {{SC_RIGHT, 5}, {SC_BACKSPACE, 1, 8}}, "abc", 19, 0},  // past the end it only moves back
        {"abc", {{SC_INSERT}, {SC_HOME}, {SC_RIGHT, 2}, {0, 1, 'X'}, {0, 1, '\t'}}, "abX\tc", 16, 0},
        {"", {{SC_ENTER, 1, 13}, {0, 1, '?'}, {SC_ENTER, 1, 13}}, "", 12, 1},  // a blank line is recalled
    };
    for (const Case& c : cases) {
        KeyboardScreen s;
        s.console.text(c.typed);
        for (const Key& k : c.keys) s.key(k.scan, k.repeat, k.ch, k.state);
        EXPECT_EQ(s.run(), pk::KEY_READFAIL);  // editing never ends the loop
        EXPECT_EQ(s.line(), c.line) << c.line;
        EXPECT_EQ(s.console.cursor.x, c.column) << c.line;
        EXPECT_EQ(s.console.beeps, c.beeps) << c.line;
    }
}

TEST(KeyboardPaste, CtrlVNeedsOneCtrlKeyAndNothingElse) {
    const struct { uint32_t state; const char* line; } cases[] = {
        {pk::LEFT_CTRL_PRESSED, "abcdef"},
        {pk::RIGHT_CTRL_PRESSED, "abcdef"},
        {pk::LEFT_CTRL_PRESSED | pk::NUMLOCK_ON, "\x16"},
        {pk::LEFT_CTRL_PRESSED | pk::SHIFT_PRESSED, "\x16"},
        {pk::LEFT_CTRL_PRESSED | pk::LEFT_ALT_PRESSED, "\x16"},
    };
    for (const auto& c : cases) {
        KeyboardScreen s;
        s.console.clipboard = "abc\r\ndef";
        s.key(SC_V, 1, 0x16, c.state).run();
        EXPECT_EQ(s.line(), c.line) << c.state;
    }
    pk::FillPasteBuffer(std::string(10, 'a') + '\0' + "bc");  // a NUL ends the text
    EXPECT_EQ(pk::keyboard.pasteCount, 10);
    pk::ResetKeyboard();
}

TEST(KeyboardPaste, PastedTextOutlivesARedrawTypedTextDoesNot) {
    KeyboardScreen s;
    s.load(std::string(50, '\n'));
    s.console.paste("x\ry\nz\bw\x1b" "q");  // Backspace and Esc act as keys
    s.run();
    EXPECT_EQ(s.line(), "q");

    s.key(0, 1, 27).key(SC_DOWN);  // Esc, then a key that ends the loop ...
    s.console.paste("kept");       // ... and what the terminal pasted stays queued
    s.console.text("lost");
    EXPECT_EQ(s.run(), pk::KEY_REDRAW);
    EXPECT_EQ(s.run(), pk::KEY_READFAIL);
    EXPECT_EQ(s.line(), "kept");
}

TEST(KeyboardMouse, OnlyALeftPressOnALabelActs) {
    const struct { int x, y, scan; } positions[] = {
        {0, 24, 0x3B}, {4, 24, 0x3B}, {5, 24, 0}, {7, 24, 0x3C}, {31, 24, 0x3F}, {32, 24, 0},
        {69, 24, 0x44}, {70, 24, 0}, {71, 24, 0x57}, {79, 24, 0x58}, {27, 23, 0},
    };
    KeyboardScreen s;
    for (const auto& p : positions)
        EXPECT_EQ(pk::MouseToKey(pk::Coord{int16_t(p.x), int16_t(p.y)}), p.scan) << p.x << "," << p.y;

    // On the "Half" label (F2) only the plain left press acts.
    s.console.mouse(8, 24, pk::RIGHTMOST_BUTTON_PRESSED);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED, pk::DOUBLE_CLICK);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED | pk::RIGHTMOST_BUTTON_PRESSED);
    s.console.mouse(8, 24, 0);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED, pk::MOUSE_MOVED);
    EXPECT_EQ(s.run(), pk::KEY_READFAIL);
    EXPECT_EQ(pk::display.scrollPage, 0u);
    s.console.mouse(8, 24, pk::FROM_LEFT_1ST_BUTTON_PRESSED);
    s.run();
    EXPECT_EQ(pk::display.scrollPage, 1u);
}

TEST(KeyboardLoop, EndsOnReadFailureOrSignalAndFlushesWhatWaits) {
    KeyboardScreen s;
    EXPECT_EQ(s.run(), pk::KEY_READFAIL);
    s.console.setEndRequested();
    EXPECT_EQ(s.run(), pk::KEY_END);
    s.console.setEndRequested(false);

    s.load(std::string(50, '\n'));
    s.key(SC_DOWN);
    s.console.text("abc");
    EXPECT_EQ(s.run(), pk::KEY_REDRAW);
    EXPECT_TRUE(s.console.input.empty());  // the rest was discarded
    EXPECT_EQ(s.line(), "");
}

}  // namespace
