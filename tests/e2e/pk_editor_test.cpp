// The command line on the real terminal: the 67-character window, the full
// line, Backspace, Esc, Home/End, Insert and its cursor shape, recall and
// repeat, Ctrl+V through a clipboard program and the terminal's own paste.
#include <filesystem>
#include <map>
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
        {"\x7f"},  // nothing before the cursor
    }));
    EXPECT_EQ(pk.window(), "abc" + kBlank.substr(3));
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

// Ctrl+V tries the clipboard tools in order, only those on PATH, each with
// its own arguments (a stub called otherwise fails), within one second in
// all, and leaves no process behind.
TEST(PkEditor, CtrlVTriesTheClipboardToolsInOrderWithinOneSecond) {
    const std::map<std::string, std::string> arguments = {
        {"wl-paste", "1:--no-newline"}, {"xclip", "3:-o -selection clipboard"}, {"xsel", "1:-ob"}, {"tmux", "2:save-buffer -"}};
    struct Case { std::map<std::string, std::string> stubs; std::vector<std::string> env; std::string typed; };
    const Case cases[] = {
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
        EXPECT_TRUE(c.typed.empty() ? pk.settle() && pk.window() == kBlank : pk.waitWindow(c.typed + " "));
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
    std::string text;
    for (int i = 0; i < 100; ++i) text += "text\n";
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", text)}));
    ASSERT_TRUE(pk.run({{"\x16", {}, 0, "abcdef ", 2, 18}}));
    pk.t.paste("ghi\r\njkl");
    EXPECT_TRUE(pk.waitWindow("abcdefghijkl "));
    pk.t.send("\x1b[6~xyz\x1b[200~kept\x1b[201~\x1b[6~");  // PgDn, typed keys, a paste, PgDn
    EXPECT_TRUE(pk.waitWindow("keptefghijkl "));  // typed over from the start
    EXPECT_TRUE(pk.t.waitFor("Line 11 of 100", kWait, 1));
    pk.t.paste("\x1bOP" + std::string(3000, 'q'));  // the Esc in it blanks the line
    EXPECT_TRUE(pk.run({{"", VTERM_KEY_RIGHT, 0, std::string(66, 'q') + " ", 2, 79},
                        {"", VTERM_KEY_HOME, 0, "OPqqq", 2, 12}}));
    EXPECT_EQ(pk.t.bells, 0);
}

}  // namespace
