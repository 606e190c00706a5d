// The keyboard loop against the in-memory console: what only it can show
// (repeat counts, control-key states, byte-mode and UTF-8 editing limits,
// Backspace inside a paste, view positions kept across a resize, the help
// putting back every cell's attribute and the cursor). Plain editing, paste
// against a redraw, clicks, key bindings, signals and the help box are
// proved end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interact/command_state.h"
#include "interact/help.h"
#include "interact/keyboard.h"
#include "interact/keyboard_state.h"
#include "test_screen.h"

namespace {

using namespace pk;  // the SCAN_* and control-state names

// A blank command line; the cursor lives for one call of KeyboardLoop: queue
// keys, then run() one loop; it ends on a redraw or when the queue runs dry.
struct KeyboardScreen : pktest::TestScreen {
    KeyboardScreen() {
        pk::commands = pk::CommandState{};
        pk::ResetKeyboard();
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        load("one\ntwo\nthree\n");
    }
    ~KeyboardScreen() { pk::ResetKeyboard(); }

    void key(uint16_t scan, uint16_t repeat = 1, uint8_t ch = 0, uint32_t state = 0) { console.key(scan, ch, state, 0, repeat); }
    int run() { return pk::KeyboardLoop(); }
    std::string line() const { return std::string(pk::commands.commandLine, size_t(pk::CommandLength())); }
};

struct Key { uint16_t scan; uint16_t repeat = 1; uint8_t ch = 0; uint32_t state = 0; };

// Keys with repeat counts and control-key states; and in UTF-8 the editor
// steps over, removes and replaces whole characters, a character that does
// not fit is refused whole, and the cursor column and the window count cells.
TEST(KeyboardEditor, EditingKeysRepeatCountsAndUtf8) {
    ASSERT_TRUE(pktest::UseUtf8Locale());
    const std::string e = "\xC3\xA9", ri = "\xE6\x97\xA5", ben = "\xE6\x9C\xAC";
    const std::string wides = pktest::Repeat(ri, 40);
    // then: typed after the keys
    struct Case { std::string typed; std::vector<Key> keys; std::string line; int column, beeps; std::string then; bool utf8; };
    const Case cases[] = {
        {"abcdef", {{SCAN_RIGHT, 300}}, "abcdef", 79, 0, "", false},  // stops at 256, the window follows
        {"abcdef", {{SCAN_LEFT, 4}, {SCAN_BACK, 3, 8}}, "aef", 13, 0, "", false},  // one place back, three removed
        {"abcdef", {{SCAN_LEFT, 4}, {SCAN_DELETE, 9}}, "ab", 14, 0, "", false},
        {"", {{SCAN_BACK, 1, 8}, {SCAN_LEFT}}, "", 12, 2, "", false},
        {"abc", {{SCAN_INSERT}, {SCAN_HOME}, {SCAN_RIGHT, 2}, {0, 1, 'X'}, {0, 1, '\t'}}, "abX\tc", 16, 0, "", false},
        {"", {{SCAN_RETURN, 1, 13}, {0, 1, '?'}, {SCAN_RETURN, 1, 13}}, "", 12, 1, "", false},  // a blank line is recalled
        {ri + ben + "c", {{SCAN_HOME}, {SCAN_RIGHT}, {SCAN_DELETE}}, ri + "c", 14, 0, "", true},
        {"abc", {{SCAN_HOME}}, ri + "bc", 14, 0, ri, true},  // overtype replaces a character
        {ri + "bc", {{SCAN_HOME}}, "xbc", 13, 0, "x", true},  // ... and a wide one
        {"ab", {{SCAN_INSERT}, {SCAN_HOME}}, e + "ab", 13, 0, e, true},
        {std::string(255, 'x'), {{SCAN_HOME}, {SCAN_INSERT}}, "y" + std::string(255, 'x'), 13, 1, ri + "y", true},
        {wides, {}, wides, 12 + 66, 0, "", true},  // the window scrolls by characters
    };
    for (const Case& c : cases) {
        KeyboardScreen s;
        pk::settings.utf8On = c.utf8;
        s.console.text(c.typed);
        for (const Key& k : c.keys) s.key(k.scan, k.repeat, k.ch, k.state);
        s.console.text(c.then);
        EXPECT_EQ(s.run(), pk::KEY_READFAIL);  // editing never ends the loop
        EXPECT_EQ(s.line(), c.line) << c.line;
        EXPECT_EQ(s.console.cursor.x, c.column) << c.line;
        EXPECT_EQ(s.console.beeps, c.beeps) << c.line;
        if (c.line == wides) {  // 33 of them in the 67-cell window, its last cell blank
            const std::string shown = pktest::Repeat(ri, 33);
            EXPECT_EQ(s.row(2).substr(12, shown.size() + 1), shown + " ");
        }
    }
}

// Ctrl+V pastes only with one Ctrl key and nothing else held (the paste
// itself is proved end to end); a NUL ends the clipboard's text; Backspace
// inside a terminal's paste acts as the key.
TEST(KeyboardPaste, CtrlVNeedsOneCtrlKeyAndBackspaceInAPasteIsAKey) {
    for (uint32_t state : {pk::LEFT_CTRL_PRESSED | pk::NUMLOCK_ON, pk::LEFT_CTRL_PRESSED | pk::SHIFT_PRESSED}) {
        KeyboardScreen s;
        s.console.clipboard = "abc";
        s.key(SCAN_V, 1, 0x16, state);  // Ctrl+V's character, typed
        s.run();
        EXPECT_EQ(s.line(), "\x16") << state;
    }
    pk::FillPasteBuffer(std::string(10, 'a') + '\0' + "bc");
    EXPECT_EQ(pk::keyboard.pasteCount, 10);
    KeyboardScreen s;
    s.console.paste("ab\r\nc\bd");
    s.run();
    EXPECT_EQ(s.line(), "abd");
}

// 80x25 at first: 21 data rows, 336 bytes a hex page. The screens after a
// resize, and a top line or row kept away from the end, are proved end to end.
TEST(KeyboardLoop, ResizeKeepsEveryViewPosition) {
    const struct { bool hex; uint64_t size, from; int rows; uint64_t to; } cases[] = {
        {false, 100, 80, 43, 62},   // the last page stays the last page
        {false, 100, 62, 24, 62},
        {true, 1000, 664, 43, 376},  // F9's offset: its row boundaries kept
        {true, 1000, 672, 43, 384},  // Ctrl+End's
        {true, 1000, 664, 200, 8},   // the whole file fits from the first boundary
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hex << " " << c.from << " " << c.rows);
        KeyboardScreen s;
        pk::FileEntry& e = s.load(c.hex ? std::string(c.size, 'x') : pktest::Repeat("xxx\n", c.size));
        pk::display.hexView = c.hex;
        (c.hex ? e.view.offset : e.view.line) = c.from;
        s.console.resizeEvent(90, c.rows);
        EXPECT_EQ(s.run(), pk::KEY_READFAIL);
        EXPECT_EQ(c.hex ? e.view.offset : e.view.line, c.to);
        EXPECT_EQ(pk::program.hexPageBytes, (c.rows - 4) * 16);
    }
}

// The box drawn is proved end to end, and so are the characters coming back.
TEST(Help, PutsEveryCellAndTheCursorBack) {
    pktest::TestScreen s;
    std::vector<pk::Cell> before(80 * 25);
    for (size_t i = 0; i < before.size(); ++i)  // every cell different
        before[i] = pk::Cell{uint8_t('!' + i % 90), 0, uint16_t(i % 251)};
    s.console.writeCells(before.data(), pk::Coord{80, 25}, pk::Rect{0, 0, 79, 24});
    s.console.setCursorPosition(pk::Coord{33, 2});
    s.console.later();  // the key arrives while the help waits
    s.console.key(pk::SCAN_RETURN, 13);
    pk::ShowHelp();
    const std::span<const pk::Cell> after = s.console.cells();
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(after[i].ch * 0x10000 + after[i].attr, before[i].ch * 0x10000 + before[i].attr) << i;
    EXPECT_EQ(s.console.cursor.x * 100 + s.console.cursor.y, 3302);
}

}  // namespace
