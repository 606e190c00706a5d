// Keys on the real terminal: every case of the shared key table, also under
// other TERM values; scrolling limits and beeps in text and hex view, clicks
// on the key labels, the page amount that follows the F2 label, the column
// keys with tabs expanded and not, F5 after a miss; and the mouse wheel,
// which never beeps. The command line: the 67-character window, the full
// line, Backspace, Esc, Home/End, Insert and its cursor shape, recall and
// repeat, Ctrl+V through the clipboard programs and the terminal's own paste.
#include <map>
#include <string>

#include "key_cases.h"
#include "pk_driver.h"

namespace {

using namespace pktest;

// A press and release at a 1-based column of the last row (SGR report).
std::string Click(int col, int button = 0, int row = 25) {
    std::string at = std::to_string(button) + ";" + std::to_string(col) + ";" + std::to_string(row);
    return "\x1b[<" + at + "M\x1b[<" + at + "m";
}

// A wheel notch: up, down, left, right; with Shift.
enum Notch { kUp = 64, kDown, kLeft, kRight, kShift = 4 };
std::string Wheel(int notch) { return "\x1b[<" + std::to_string(notch) + ";10;10M"; }

TEST(PkKeys, ShortFileBeepsAndClicksOnKeyLabels) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("short.txt", "one\ntwo\nthree\n")}));
    // Down, PgDn, F9, F4, Up; F6 before any command. A label or its number
    // acts as its key: F2 twice, then F5 (no find string), F10 (one file)
    // and F12 (a narrow file) beep.
    for (VTermKey k : {VTERM_KEY_DOWN, VTERM_KEY_PAGEDOWN, Fn(9), Fn(4), VTERM_KEY_UP, Fn(6)})
        EXPECT_TRUE(pk.run({{"", k}})) << k;
    EXPECT_TRUE(pk.run({
        {Click(10), {}, 0, "2Page", 24},  // the "Half" label: F2
        {Click(8), {}, 0, "2Half", 24},   // its number
        {Click(29)}, {Click(27)}, {Click(65)}, {Click(80)},
    }));
    // Nothing between labels, for a right press, on another line or for a
    // drag; a double click acts once.
    pk.t.send(Click(6) + Click(64) + Click(71) + Click(10, 2) + Click(10, 0, 24) + "\x1b[<32;10;25M" + Click(30) +
              Click(30));
    EXPECT_TRUE(pk.waitBells(11) && pk.settle());
    EXPECT_EQ(pk.window(), B(67));
    EXPECT_EQ(pk.t.bells, 11);
    EXPECT_TRUE(pk.t.waitFor("2Half", kWait, 24));
}

// The page amount that follows the F2 label, a beep at the bottom, the
// wheel that never beeps; F5 after a miss finds from the top again.
TEST(PkKeys, PageAmountWheelAndRepeatFindAfterAMiss) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("lines.txt", Lines(100, [](int i) { return (i == 50 ? "the needle " : "line ") + std::to_string(i); }))}));
    EXPECT_TRUE(pk.run({
        {"", Fn(2), 0, "2Page", 24}, {"", VTERM_KEY_PAGEDOWN, 0, "Line 22 of 100"},  // all 21 rows
        {"", Fn(9), 0, "Line 80 of 100"}, {"", Fn(9)},
        {Wheel(kDown) + Wheel(kUp), {}, 0, "Line 77 of 100"},  // three lines, no beep at the bottom
        {Wheel(kDown), {}, 0, "Line 80 of 100"},
        {"", Fn(4), 0, "Line 1 of 100"},
        {Wheel(kUp) + Wheel(kDown), {}, 0, "Line 4 of 100"},  // nor at the top
        {"f needle\r", {}, 0, "Line 41 of 100"},  // the hit nine rows down
        {"", Fn(5), 0, "Not found"},
    }));
    EXPECT_EQ(pk.t.bells, 1);
    EXPECT_TRUE(pk.settle());  // the message stays until the next key
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.status().find("Not found") == std::string::npos; }, kWait));
    EXPECT_TRUE(pk.run({{"", Fn(4), 0, "Line 1 of 100"}, {"", Fn(5), 0, "Line 41 of 100"}}));
}

TEST(PkKeys, ColumnKeysFollowTheTabSetting) {
    Pk pk;
    // 60 bytes, 200 columns with tabs expanded, then 29 short lines.
    const std::string text = std::string(20, '\t') + std::string(40, 'x') + "\n" + Repeat("a\n", 29);
    ASSERT_TRUE(pk.start({pk.dir.write("tabs.txt", text)}));
    EXPECT_TRUE(pk.run({
        {"", {}, 0, "Column 1 of 60"},
        {"", Fn(12)}, {"", Fn(8)}, {"", Fn(11)}, {"", Fn(7)},
        {"tabs\r", {}, 0, "Column 1 of 200"},
        {Wheel(kLeft) + Wheel(kShift + kDown), {}, 0, "Column 9 of 200"},  // eight columns
        {Wheel(kShift + kUp), {}, 0, "Column 1 of 200"},
        {Wheel(kRight), {}, 0, "Column 9 of 200"},
        {Wheel(kLeft), {}, 0, "Column 1 of 200"},
        {"", Fn(12), 0, "Column 2 of 200"},   {"", Fn(8), 0, "Column 42 of 200"},
        {"", Fn(8), 0, "Column 82 of 200"},   {"", Fn(8), 0, "Column 121 of 200"},  // the last page
        {"", Fn(7), 0, "Column 81 of 200"},   {"", Fn(7), 0, "Column 41 of 200"},   {"", Fn(7), 0, "Column 1 of 200"},
        {"", Fn(7)}, {"", Fn(11)},
        {"", Fn(2), 0, "2Page", 24},
        {"", Fn(8), 0, "Column 81 of 200"},  // a whole page
    }));
    EXPECT_EQ(pk.t.bells, 6);
}

TEST(PkKeys, HexViewKeys) {
    Pk pk(24, 80);  // 20 data rows, 320 bytes a page
    ASSERT_TRUE(pk.start({pk.dir.write("data.bin", std::string(1000, 'h'))}));
    EXPECT_TRUE(pk.run({
        {"view\r", {}, 0, "File size is 1000 bytes"},
        {"", Fn(9), 0, "000002A8", 3}, {"", VTERM_KEY_END, VTERM_MOD_CTRL, "000002B0", 3},  // 680, 688
        {"", Fn(4), 0, "00000000", 3},          {"", VTERM_KEY_DOWN, 0, "00000010", 3},
        {"", VTERM_KEY_PAGEDOWN, 0, "000000B0", 3}, {"", VTERM_KEY_UP, 0, "000000A0", 3},
        {"", Fn(7)}, {"", Fn(8)}, {"", Fn(11)}, {"", Fn(12)},
        {"", VTERM_KEY_HOME, VTERM_MOD_CTRL, "00000000", 3}, {"", VTERM_KEY_PAGEUP},
        {Wheel(kUp) + Wheel(kShift + kDown) + Wheel(kDown), {}, 0, "00000030", 3},  // three rows
        {"", VTERM_KEY_END, VTERM_MOD_CTRL, "000002B0", 3},
        {Wheel(kDown) + Wheel(kUp), {}, 0, "00000280", 3},
    }));
    EXPECT_EQ(pk.t.bells, 5);
    // Back to text view: "wait..." reaches the terminal while the position
    // is converted, and the message field is empty afterwards.
    EXPECT_EQ(pk.t.output().find("wait..."), std::string::npos);
    EXPECT_TRUE(pk.run({{"view\r", {}, 0, "Line 1 of 1"}}));
    EXPECT_NE(pk.t.output().find("wait..."), std::string::npos);
    EXPECT_EQ(pk.status().substr(0, 21), B(21));
}

std::string At(int line, int col) { return "Line " + std::to_string(line) + " of 100, Column " + std::to_string(col) + " of 300"; }

// Each case of the shared key table acts in pk as its record says, from
// line 50, column 101 and "top" typed with the cursor on the "p": it moves
// the view, edits or runs the line, types a character, or does nothing; F1
// shows help, F2 switches the label, F3 and F10 change the file, Insert the
// cursor's shape.
void CheckKeys(const std::vector<KeyCase>& cases, std::vector<std::string> env) {
    using namespace pk;
    Pk pk;
    const std::string text = Lines(100, [](int i) { return (i == 70 ? "needle " : "line   ") + std::string(293, 'x'); });
    for (char k : std::string("123456789")) pk.dir.write(std::string("k") + k + ".txt", text);
    pk.t.addStub("xclip", "printf clip");
    ASSERT_TRUE(pk.start({pk.dir / "k*.txt"}, env));
    ASSERT_TRUE(pk.run({{"f needle\r", {}, 0, "Line 61 of"}}));
    // Keys that move the view: by scan code alone, or with Ctrl or Alt held.
    const std::map<std::pair<uint16_t, uint32_t>, std::string> views = {
        {{SCAN_F4, 0}, At(1, 1)},       {{SCAN_F5, 0}, At(50, 1)},       {{SCAN_F6, 0}, At(50, 201)},
        {{SCAN_F7, 0}, At(50, 61)},     {{SCAN_F8, 0}, At(50, 141)},     {{SCAN_F9, 0}, At(80, 1)},
        {{SCAN_F11, 0}, At(50, 100)},   {{SCAN_F12, 0}, At(50, 102)},    {{SCAN_UP, 0}, At(49, 101)},
        {{SCAN_DOWN, 0}, At(51, 101)},  {{SCAN_PGUP, 0}, At(40, 101)},   {{SCAN_PGDN, 0}, At(60, 101)},
        {{SCAN_HOME, CTRL_PRESSED}, At(1, 101)},  {{SCAN_END, CTRL_PRESSED}, At(80, 101)},
        {{SCAN_LEFT, ALT_PRESSED}, At(50, 100)},  {{SCAN_RIGHT, ALT_PRESSED}, At(50, 102)},
        {{SCAN_RETURN, 0}, At(1, 101)}};  // Enter runs "top"
    // Keys that edit the line: the window and the cursor's column.
    const std::map<uint16_t, std::pair<std::string, int>> edits = {
        {SCAN_HOME, {"top", 12}},  {SCAN_END, {"top", 15}},    {SCAN_LEFT, {"top", 13}},   {SCAN_RIGHT, {"top", 15}},
        {SCAN_DELETE, {"to ", 14}}, {SCAN_BACK, {"tp ", 13}},  {SCAN_ESCAPE, {"   ", 12}}, {SCAN_C, {"   ", 12}},
        {SCAN_V, {"toclip ", 18}}};  // Ctrl+V: the clipboard
    for (const KeyCase& c : cases) {
        const KeyRecord& k = c.records[0];
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        ASSERT_TRUE(pk.window() == B(67) || pk.run({{"\x03", {}, 0, B(67), 2, 12}}));
        // Back to line 50, column 101. Each step waits for a change it makes:
        // keys typed while a command redraws are dropped, so a step whose
        // result already shows would let the next one be typed too soon.
        std::vector<Step> back;
        if (pk.status().find("Line 50 of") == std::string::npos) back.push_back({"50\r", {}, 0, "Line 50 of"});
        if (pk.status().find("Column 1 of") == std::string::npos) back.push_back({"left 400\r", {}, 0, "Column 1 of"});
        back.push_back({"right 100\r", {}, 0, At(50, 101)});
        ASSERT_TRUE(pk.status().find(At(50, 101)) != std::string::npos || pk.run(back));
        ASSERT_TRUE(pk.run({{"top", {}, 0, "top", 2, 15}, {"", VTERM_KEY_LEFT, 0, "top", 2, 14}}));
        const std::string title = pk.t.rowText(0);
        // Ctrl counts on Home, End, Left and Right, Alt on Left and Right.
        const bool arrow = k.scan == SCAN_LEFT || k.scan == SCAN_RIGHT;
        uint32_t held = 0;
        if ((k.state & CTRL_PRESSED) && (arrow || k.scan == SCAN_HOME || k.scan == SCAN_END)) held = CTRL_PRESSED;
        else if ((k.state & ALT_PRESSED) && arrow) held = ALT_PRESSED;
        const bool typed = k.ch >= 0x20 || k.ch == '\n' || k.ch == '\t';
        auto view = views.find({k.scan, held});
        auto edit = edits.find(k.scan);
        auto window = [&](const std::string& want, int col) { return pk.waitWindow(want) && pk.waitCursor(2, col); };
        pk.t.send(c.bytes);
        bool acted;
        if (typed) {
            const std::string glyph = k.ch == '\n' ? "\u25D9" : k.ch == '\t' ? "\u25CB" : k.ch >= 0x80 ? c.bytes : std::string(1, char(k.ch));
            acted = window("to" + glyph + " ", 15);
        } else if (view != views.end()) acted = pk.t.waitFor(view->second, kWait, 1);
        else if (edit != edits.end() && held == 0) acted = window(edit->second.first, edit->second.second);
        else if (k.scan == SCAN_F1) acted = pk.t.waitFor("<Press any key to end help>", kWait, 23) && (pk.t.send("\x1b"), window("top", 12));
        else if (k.scan == SCAN_F2) acted = pk.t.waitFor("2Page", kWait, 24) && pk.run({{"", Fn(2), 0, "2Half", 24}});
        else if (k.scan == SCAN_F3 || k.scan == SCAN_F10) acted = pk.t.waitUntil([&] { return pk.t.rowText(0) != title; }, kWait);
        else if (k.scan == SCAN_INSERT)
            acted = pk.waitShape(VTERM_PROP_CURSORSHAPE_BLOCK) && (pk.t.key(VTERM_KEY_INS), pk.waitShape(VTERM_PROP_CURSORSHAPE_UNDERLINE));
        else acted = pk.settle() && pk.waitCursor(2, 14) && pk.status().find(At(50, 101)) != std::string::npos;  // nothing
        EXPECT_TRUE(acted) << pk.status() << "|" << pk.window() << "|" << pk.t.cursorCol;
    }
}

TEST(PkKeys, EveryKeyOfTheSharedTableActsAsItsRecord) {
    CheckKeys(KeyCases(), {});
    using namespace pk;
    const std::pair<const char*, KeyCase> terms[] = {
        {"TERM=no-such-terminal", {"\033[1;5H", {{VKEY_HOME, SCAN_HOME, 0, LEFT_CTRL_PRESSED}}}},  // falls back to xterm
        {"TERM=screen-256color", {"\033[15;2~", {{VKEY_F5, SCAN_F5, 0, SHIFT_PRESSED}}}},  // what tmux sends
        {"TERM=screen-256color", {"\033[1;3D", {{VKEY_LEFT, SCAN_LEFT, 0, LEFT_ALT_PRESSED}}}},
        {"TERM=linux", {"\033[[A", {{VKEY_F1, SCAN_F1, 0, 0}}}},
    };
    for (const auto& [term, c] : terms) CheckKeys({c}, {term});
}

std::string Letters(int n) { return Repeat("abcdefghijklmnopqrstuvwxyz", 10).substr(0, size_t(n)); }


TEST(PkEditor, WindowScrollingAndEditingKeys) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    const std::string text = Letters(67), moved = text.substr(1) + "#";
    EXPECT_TRUE(pk.run({
        {text, {}, 0, text, 2, 79},
        {"#", {}, 0, moved, 2, 79},  // the 68th moves the window
        {"", VTERM_KEY_HOME, 0, text, 2, 12},
        {"", VTERM_KEY_END, 0, moved, 2, 79},
        {"\x1b", {}, 0, B(67), 2, 12},  // Esc after scrolling shows the start again
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
        {"\x1b", {}, 0, B(67), 2, 12}, {"abc", {}, 0, "abc", 2, 15},
        {"", VTERM_KEY_RIGHT, 0, "abc", 2, 16}, {"", VTERM_KEY_RIGHT, 0, "abc", 2, 17},
        {"\x7f", {}, 0, "abc", 2, 16},  // Backspace past the end only moves back
        {"", VTERM_KEY_HOME, 0, "abc", 2, 12}, {"\x7f"},  // nothing before the cursor
    }));
    EXPECT_EQ(pk.window(), "abc" + B(64));
    EXPECT_EQ(pk.t.bells, 3);
}

TEST(PkEditor, RecallRepeatAndCaseQuery) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("rows.txt", Lines(60, [](int i) { return "row " + std::to_string(i); }))}));
    EXPECT_TRUE(pk.run({
        {"down 3\r", {}, 0, "Line 4 of 60"}, {"?\r", {}, 0, "down 3 ", 2, 18},
        {"\r", {}, 0, "Line 7 of 60"},  // the recalled line runs again
        {"=\r", {}, 0, "Line 10 of 60"}, {"", {}, 0, "==> " + B(67), 2}, {"case ?\r", {}, 0, "case u", 2, 18},
    }));
}

// Ctrl+V tries the clipboard tools in order, only those on PATH, each with
// its own arguments (a stub called otherwise fails), within one second in
// all, and leaves no process behind.
TEST(PkEditor, CtrlVTriesTheClipboardToolsInOrderWithinOneSecond) {
    const std::map<std::string, std::string> arguments = {
        {"wl-paste", "1:--no-newline"}, {"xclip", "3:-o -selection clipboard"}, {"xsel", "1:-ob"}, {"tmux", "2:save-buffer -"}};
    const struct Case { std::map<std::string, std::string> stubs; std::vector<std::string> env; std::string typed; } cases[] = {
        {{}, {}, ""},
        {{{"wl-paste", "printf 'from wl'"}, {"xclip", "printf 'from xclip'"}}, {}, "from wl"},
        {{{"wl-paste", "printf 'partial'; exit 1"}, {"xclip", "exit 0"}, {"xsel", "printf 'from xsel'"}}, {}, "from xsel"},
        {{{"xclip", "read line; printf 'got[%s]' \"$line\""}}, {}, "got[]"},  // standard input gives nothing
        {{{"wl-paste", "sleep 30"}, {"xclip", "printf 'too late'"}}, {}, ""},  // the hang took the second
        {{{"tmux", "printf 'tmux buffer'"}}, {}, ""},                          // tmux only inside tmux
        {{{"tmux", "printf 'tmux buffer'"}}, {"TMUX=/tmp/fake,1,0"}, "tmux buffer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Pk pk;
        for (const auto& [tool, args] : arguments)  // the machine's own tools must not answer
            pk.t.addStub(tool, c.stubs.count(tool) ? "[ \"$#:$*\" = '" + args + "' ] || exit 9; " + c.stubs.at(tool) : "exit 1");
        ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}, c.env));
        pk.t.send("\x16");
        EXPECT_TRUE(c.typed.empty() ? pk.settle() && pk.window() == B(67) : pk.waitWindow(c.typed + " "));
        const std::string children = "/proc/" + std::to_string(pk.t.pid()) + "/task/" + std::to_string(pk.t.pid()) + "/children";
        EXPECT_TRUE(pk.t.waitUntil([&] { return ReadAll(children).empty(); }, kWait));
    }
}

// The clipboard's text and the terminal's paste are typed without line
// ends, up to 255 bytes; a key sequence in a paste stays text. A key that
// redraws drops the keys typed behind it, never a paste.
TEST(PkEditor, CtrlVAndTheTerminalsPasteTypeText) {
    Pk pk;
    pk.t.addStub("xclip", "printf 'abc\\r\\ndef'");
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", Repeat("text\n", 100))}));
    // The second: PgDn, typed keys, a paste, PgDn; the paste typed over from the start.
    ASSERT_TRUE(pk.run({{"\x16", {}, 0, "abcdef ", 2, 18}, {"\x1b[200~ghi\r\njkl\x1b[201~", {}, 0, "abcdefghijkl ", 2},
                        {"\x1b[6~xyz\x1b[200~kept\x1b[201~\x1b[6~", {}, 0, "keptefghijkl ", 2}, {"", {}, 0, "Line 11 of 100"}}));
    pk.t.paste("\x1bOP" + std::string(3000, 'q'));  // the Esc in it blanks the line
    EXPECT_TRUE(pk.run({{"", VTERM_KEY_RIGHT, 0, std::string(66, 'q') + " ", 2, 79},
                        {"", VTERM_KEY_HOME, 0, "OPqqq", 2, 12}}));
    EXPECT_EQ(pk.t.bells, 0);
}

// Malformed and over-long sequences and a paste marker inside a paste never
// reach the command line; a paste of 1 MB is read past its first 255 bytes
// without a pause, so the key after it is answered.
TEST(PkEditor, BadSequencesAreDroppedWholeAndALongPasteIsSkipped) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", Repeat("text\n", 100))}));
    const std::string digits20 = "12345678901234567890";
    ASSERT_TRUE(pk.run({{"\x1b[<" + std::string(40, '9') + ";1;1Ma", {}, 0, "a ", 2, 13},
                        {"\x1b[<0;" + digits20 + ";" + digits20 + "Mb", {}, 0, "ab ", 2, 14},
                        {"\x1b[200~c\x1b[200~d\x1b[201~", {}, 0, "abcd ", 2, 16},
                        {"\x1b", {}, 0, B(67), 2, 12}}));
    pk.t.paste(std::string(1 << 20, 'p'));
    pk.t.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(pk.t.waitFor("Line 2 of 100", kWait, 1)) << pk.t.screenText();
    EXPECT_EQ(pk.window(), std::string(67, 'p'));  // the 255 bytes kept, from the start
    EXPECT_EQ(pk.t.bells, 0);
}

}  // namespace
