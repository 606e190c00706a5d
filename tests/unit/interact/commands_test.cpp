// The command interpreter through ExecuteCommand: results, messages, beeps
// and settings (commands that reach the shell meet an interpreter that does
// not exist: "Pgm not found"); view movement at every limit, huge counts
// clamped, the hex view by whole rows, sideways by the widest line as shown.
#include "interact/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/find.h"
#include "interact/command_state.h"
#include "interact/movement.h"
#include "temp_dir.h"
#include "test_screen.h"

namespace {

constexpr uint32_t KEEPMSG = pk::CMD_KEEPMSG, REDRAW = pk::CMD_REDRAW;

class Commands : public ::testing::Test {
protected:
    pktest::TestScreen s;

    void SetUp() override {
        setenv("SHELL", "/nonexistent/pk-test-shell", 1);
        for (const char* v : {"TMUX", "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL"}) unsetenv(v);
        pk::commands = pk::CommandState{};
    }

    // Types text on the blank-filled command line and presses Enter.
    uint32_t Enter(std::string_view text) {
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        std::memcpy(pk::commands.commandLine, text.data(), std::min<size_t>(text.size(), pk::COMMAND_SIZE));
        pk::SetMessage("");
        return pk::ExecuteCommand();
    }
};

TEST_F(Commands, ResultsMessagesBeepsSettingsAndRecall) {
    s.load(pktest::Repeat("xxx\n", 3));
    struct Group { std::vector<const char*> texts; uint32_t result; const char* message; int beeps; } groups[] = {
        {{"", "   \t", "?"}, 0, "", 1},  // "?" before any command
        {{"  end  ", "quit"}, pk::CMD_END, "", 0},
        // A word the shell answers to (a program, a builtin, shell syntax), or any "dos" command.
        {{"sh -c x", "set -e", "(cd /)", "$EDITOR x", "dosomething", "dos echo hi", "dos G"}, KEEPMSG,
         "Pgm not found", 0},
        {{"p", "G", "50%", "12a", "./no-such-program", "ano-such-program x"}, KEEPMSG, "Invalid command", 0},
        {{"dir /w", "down x", "down 3 4", "case", "xla b", "'414", "'4g"}, KEEPMSG, "Invalid parameter", 0},
        {{"xla", "find", "'", "pe"}, KEEPMSG, "Parameter missing", 0},
        {{"/"}, KEEPMSG, "Invalid command", 0},
        {{"peekra \"\"", "peekra \""}, KEEPMSG, "Filename missing", 0},
    };
    for (const Group& g : groups) {
        for (const char* text : g.texts) {
            int before = s.console.beeps;
            EXPECT_EQ(Enter(text), g.result) << text;
            EXPECT_EQ(s.message(), g.message) << text;
            EXPECT_EQ(s.console.beeps - before, g.beeps) << text;
            EXPECT_EQ(s.entry().view.line, 1u) << text;
        }
    }
    EXPECT_EQ(s.console.suspendCalls, 0);  // nothing started: the console stayed

    const int beeps = s.console.beeps;
    std::strcpy(pk::commands.lastCommand, "down 2");
    // After each command: the line when it is kept for editing, and the
    // settings as digits: exact case, tabs, EBCDIC, print translation, UTF-8.
    const std::tuple<const char*, uint32_t, const char*, const char*> steps[] = {
        {"   case    ?", pk::CMD_KEEPLINE, "case u", "00000"}, {"c Mixed", 0, "", "10000"},
        {"case ?", pk::CMD_KEEPLINE, "case m", "10000"},
        {"tabs on", REDRAW, "", "11000"}, {"tabs On", REDRAW, "", "11000"}, {"tabs OFF", REDRAW, "", "10000"},
        {"tabs x", KEEPMSG, "", "10000"}, {"ta", REDRAW, "", "11000"}, {"t", REDRAW, "", "10000"},
        {"xla Prt", REDRAW, "", "10010"}, {"xla utf", REDRAW, "", "10011"}, {"x E", REDRAW, "", "10111"},
        {"xla o", REDRAW, "", "10101"}, {"xla U", REDRAW, "", "10001"}, {"xla ASCII", REDRAW, "", "10000"},
        {"?", pk::CMD_KEEPLINE, "down 2", "10000"},
    };
    for (const auto& [text, result, line, state] : steps) {
        EXPECT_EQ(Enter(text), result) << text;
        if (*line) {
            EXPECT_STREQ(pk::commands.commandLine, line);
            EXPECT_EQ(pk::CommandLength(), int(strlen(line)));  // nothing of the older, longer line stays
        }
        std::string now;
        for (uint32_t v : {uint32_t(pk::display.exactCase), pk::settings.tabsOn, pk::display.ebcdicOn,
                           pk::display.printXlatOn, pk::settings.utf8On})
            now += char('0' + v);
        EXPECT_EQ(now, state) << text;
    }
    pk::display.hexView = 1;
    EXPECT_EQ(Enter("t"), 0u);  // nothing to redraw in hex view
    EXPECT_EQ(pk::settings.tabsOn, 1u);
    EXPECT_EQ(s.console.beeps, beeps);
}

TEST_F(Commands, CountsLineNumbersAndOffsetsMoveTheView) {
    // result 0: refused with a beep; at: line (text view) or offset (hex view)
    struct Case { const char* text; uint32_t result; uint32_t at; };
    const Case text[] = {
        {"down", REDRAW, 2},  {"d 10", REDRAW, 12}, {"down 0", 0, 12}, {"do 4294967295", REDRAW, 80}, {"bottom", 0, 80},
        {"up 999999999999999999999999999999", REDRAW, 1}, {"up", 0, 1}, {"b", REDRAW, 80}, {"to", REDRAW, 1},
        {"r", 0, 1},          {"left", 0, 1},       {"50", REDRAW, 50}, {"0", REDRAW, 1},
        {"000000000000000000000000000000000000000007", REDRAW, 7}, {"999999999999999999999999999999", REDRAW, 100},
        {"down", 0, 100},  // past the last page: no way down, and no jump back
    };
    const Case hex[] = {
        {"down", 0, 0},         {"down 15", 0, 0},      {"down 32", REDRAW, 32},  {"down 160", REDRAW, 192},
        {"0e0", REDRAW, 0xE0},  {"a0", REDRAW, 0xA0},   {"0fffffff", REDRAW, 992}, {"400", REDRAW, 992},
        {"0", REDRAW, 0},       {"right", 0, 0},        {"left 16", 0, 0},        {"up 16", 0, 0},
        // Two or more hex digits are an offset, whatever the first letter; at most 16.
        {"e0", REDRAW, 0xE0},   {"C0", REDRAW, 0xC0},   {"ff", REDRAW, 0xF0},     {"DEAD", REDRAW, 992},
        {"000000010", REDRAW, 16}, {"ffffffffffffffff", REDRAW, 992}, {"12345678901234567", KEEPMSG, 992},
        {"e", pk::CMD_END, 992}, {"0", REDRAW, 0}, {"ff 1", KEEPMSG, 0},
    };
    for (bool inHex : {false, true}) {
        s.load(inHex ? std::string(1000, 'h') : pktest::Repeat("xxx\n", 100));
        pk::display.hexView = inHex;
        int beeps = s.console.beeps;
        for (const Case& c : inHex ? std::span<const Case>(hex) : std::span<const Case>(text)) {
            EXPECT_EQ(Enter(c.text), c.result) << c.text;
            EXPECT_EQ(inHex ? s.entry().view.offset : s.entry().view.line, c.at) << c.text;
            EXPECT_EQ(s.console.beeps, beeps += c.result == 0) << c.text;
        }
    }
    EXPECT_EQ(s.message(), "Invalid parameter");
    pktest::SetFindString("h");  // with a find string, a move starts the next find at the view
    EXPECT_EQ(Enter("down 32"), REDRAW);
    EXPECT_EQ(s.entry().findStart.offset, 32u);
}

TEST_F(Commands, FindFormsStoreTheirBytes) {
    s.load("abc\nABA\n").view = {2, 3, 48};
    EXPECT_EQ(Enter("f " + std::string(254, 'q')), pk::CMD_FIND);
    EXPECT_EQ(pktest::FindString(), std::string(pk::FIND_MAX, 'q'));  // cut to the longest there can be
    const pk::FilePosition& at = s.entry().findStart;  // the find starts at the view
    EXPECT_EQ(std::tie(at.line, at.column, at.offset), std::make_tuple(2u, 3u, 48u));
    EXPECT_EQ(Enter("f   two  words  "), pk::CMD_FIND);
    EXPECT_EQ(pktest::FindString(), "two  words");
    EXPECT_EQ(Enter("find"), 0u);  // a stored string: nothing at all
    EXPECT_EQ(Enter("/ x y"), pk::CMD_FIND);  // nothing of the longer string before stays
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pk::settings.findString), 5), std::string(" x y\0", 5));
    EXPECT_EQ(Enter("'4g"), KEEPMSG);  // a refused form keeps the stored string
    EXPECT_EQ(Enter("'4162 anything"), pk::CMD_FIND);
    EXPECT_EQ(pktest::FindString(), "Ab");
    EXPECT_EQ(pk::commands.commandLine[5], '\0');  // the rest of the line is cut off
    EXPECT_EQ(Enter("'41"), pk::CMD_FIND);
    s.entry().findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), 1);  // case u: 0x41 matches the byte 0x61
    EXPECT_EQ(s.entry().found.line * 10 + s.entry().found.column, 11u);

    pk::display.ebcdicOn = 1;
    for (const char* text : {"find abc", "/abc", "'41", "/"}) {
        EXPECT_EQ(Enter(text), KEEPMSG) << text;
        EXPECT_EQ(s.message(), "Invalid in this mode") << text;
    }
    EXPECT_EQ(pktest::FindString(), "A");
}

// The find command's quoted strings, patterns and keywords, one command
// after another: what is stored after each (a refused one keeps the string
// before it) and where the search starts (v the view, t the top, e the end).
TEST_F(Commands, FindCommandQuotesPatternsAndKeywords) {
    s.load("abc\nABA\n").view = {2, 1, 4};
    const uint32_t FIND = pk::CMD_FIND;
    struct Case { std::string text; uint32_t result; const char* message; std::string find; uint32_t kind, back; char start; } cases[] = {
        {"f \"free software\"", FIND, "", "free software", 0, 0, 'v'},
        {"f \"say \"\"hi\"\"\" Prev", FIND, "", "say \"hi\"", 0, 1, 'v'},
        {"f 'it''s'\tFIRST", FIND, "", "it's", 0, 0, 't'},
        {"f \"x\" all last", FIND, "", "x", 0, 1, 'e'},
        {"f \"open \"\"end next", FIND, "", "open \"end next", 0, 0, 'v'},  // no closing quote
        {"f \"y\" next prev", KEEPMSG, "Invalid parameter", "open \"end next", 0, 0, 'v'},
        {"f \"y\" bogus", KEEPMSG, "Invalid parameter", "open \"end next", 0, 0, 'v'},
        {"f \"y\"z", KEEPMSG, "Invalid parameter", "open \"end next", 0, 0, 'v'},
        {"f r\"time=\\d{3,}ms\"", FIND, "", "time=\\d{3,}ms", 2, 0, 'v'},
        {"f R'^ERR' prev", FIND, "", "^ERR", 2, 1, 'v'},
        {"f r\"ab(c\"", KEEPMSG, "Bad pattern at 4", "^ERR", 2, 1, 'v'},
        {"f \"\"", KEEPMSG, "Parameter missing", "^ERR", 2, 1, 'v'},
        {"f rx\" 'q'", FIND, "", "rx\" 'q'", 0, 0, 'v'},  // unquoted: as it stands
        {"'0d0a", FIND, "", "\r\n", 1, 0, 'v'},
    };
    for (const Case& c : cases) {
        s.entry().findStart = {9, 9, 9};
        EXPECT_EQ(Enter(c.text), c.result) << c.text;
        EXPECT_EQ(s.message(), c.message) << c.text;
        EXPECT_EQ(pktest::FindString(), c.find) << c.text;
        EXPECT_EQ(std::tie(pk::settings.findKind, pk::settings.findBackward), std::tie(c.kind, c.back)) << c.text;
        const pk::FilePosition& at = s.entry().findStart;
        if (c.result != FIND) continue;
        const pk::FilePosition want = c.start == 'v' ? s.entry().view : c.start == 't' ? pk::FilePosition{1, 1, 0} : pk::EndPosition();
        EXPECT_EQ(std::tie(at.line, at.column, at.offset), std::tie(want.line, want.column, want.offset)) << c.text;
    }
}

TEST_F(Commands, LoadingByNameWithOrWithoutQuotes) {
    pktest::TempDir dir;
    std::string path = dir.write("my file.txt", "loaded\n");
    std::strcpy(s.load(pktest::Repeat("xxx\n", 3)).name, "/first");
    // A name that matches nothing is proved end to end.
    EXPECT_EQ(Enter("peekra \"" + path + "\""), REDRAW);
    int loaded = pk::program.currentEntry;
    EXPECT_NE(loaded, 0);
    EXPECT_EQ(pk::CurrentEntry().size, 7u);
    pk::program.currentEntry = 0;
    EXPECT_EQ(Enter("PEEKRA " + path), REDRAW);  // the same file, already loaded
    EXPECT_EQ(pk::program.currentEntry, loaded);
    EXPECT_EQ(s.console.beeps, 0);
}

using Op = int (*)(uint64_t);
int Bottom(uint64_t) { return pk::GoBottom(); }
const Op Down = pk::ScrollDown, Up = pk::ScrollUp, Offset = pk::GoToOffset;
constexpr uint64_t kMax = 4294967295u;
constexpr uint64_t kBig = uint64_t(1) << 33, kHuge = uint64_t(1) << 40;

// One hex view move from a start offset in a file of size bytes (only the
// size matters: a huge file is never read); a refused move (result 0) beeps
// once. The text view's limits are proved end to end and by the commands;
// Down, Up at the top, Ctrl+End and Right in hex view end to end.
TEST(Movement, HexViewMovesWholeRowsAndStopsAtTheEnds) {
    const uint64_t half = (kMax / 2) & ~uint64_t(15);
    const struct { uint64_t size, from; Op op; uint64_t n; int result; uint64_t to; } cases[] = {
        {1000, 0, Down, 15, 0, 0},       {1000, 64, Up, 31, 1, 48},      {1000, 32, Up, kMax, 1, 0},
        {1000, 0, Down, kMax, 1, 688},   {1000, 688, Down, 16, 0, 688},  {320, 0, Down, 16, 0, 0},
        {336, 16, Down, 16, 0, 16},      {1000, 688, Bottom, 0, 0, 688}, {1024, 0, Bottom, 0, 1, 704},
        {320, 0, Bottom, 0, 0, 0},       {1000, 0, Offset, 1000, 1, 992}, {1000, 0, Offset, kMax, 1, 992},
        {1000, 0, Offset, 0x1F, 1, 16},  {1024, 0, Offset, 0x400, 1, 1008},
        {kMax, 16, Down, kMax, 1, 4294966976u}, {kMax / 2, half, Down, kMax, 0, half},
        // Past 2^31 and 2^32: nothing wraps, however far the numbers go.
        {kBig, 0x7FFFFF00, Down, 0x200, 1, 0x80000100}, {kBig, 0xFFFFFF00, Down, 0x200, 1, 0x100000100},
        {kBig, 0, Offset, 0x1FFFFFFFF, 1, 0x1FFFFFFF0}, {kBig, 0, Offset, UINT64_MAX, 1, kBig - 16},
        {kHuge, 0, Bottom, 0, 1, kHuge - 320},          {kHuge, 16, Down, UINT64_MAX, 1, kHuge - 320},
        {kHuge, kHuge - 320, Up, UINT64_MAX, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " from " << c.from << " n " << c.n);
        pktest::TestScreen s(80, 24);  // 20 data rows, 320 bytes a page
        pk::FileEntry& e = s.load("x");
        pk::display.hexView = 1;
        e.size = c.size;
        e.view = {1, 1, c.from};
        EXPECT_EQ(c.op(c.n), c.result);
        EXPECT_EQ(std::pair(e.view.offset, e.view.line), std::pair(c.to, uint64_t(1)));
        EXPECT_EQ(s.console.beeps, c.result ? 0 : 1);
    }
}

// In UTF-8 the widths are cells, and the find starts at the byte of the
// character in the first cell.
TEST(Movement, SidewaysFollowsTheWidestLineAsShownAndFindStartFollowsTheView) {
    ASSERT_TRUE(pktest::UseUtf8Locale());
    pktest::TestScreen s(80, 24);
    pk::FileEntry& e = s.load(std::string(100, 'w') + "\n\t\t" + pktest::Repeat("\xC3\xA9", 110) + "\n");
    // Raw width 112 cells, expanded 126 (222 and 236 bytes); narrower again
    // with tabs off, right beeps; as bytes it is wider.
    const struct { uint64_t utf8, tabs, n; int result; uint64_t column; } steps[] = {
        {1, 0, 50, 1, 33}, {1, 0, 1, 0, 33}, {1, 1, kMax, 1, 47}, {1, 0, 1, 0, 47}, {0, 0, kMax, 1, 143}};
    for (const auto& st : steps) {
        pk::settings.utf8On = st.utf8, pk::settings.tabsOn = st.tabs;
        EXPECT_EQ(pk::ScrollRight(st.n), st.result) << st.n;
        EXPECT_EQ(e.view.column, st.column) << st.n;
    }
    EXPECT_EQ(s.console.beeps, 2);

    pk::settings.utf8On = pk::settings.tabsOn = 1;
    e.view = {2, 47, 0};
    e.findStart = {3, 4, 5};
    pk::SyncFindStart();  // no find string: the start stays
    EXPECT_EQ(e.findStart.line, 3u);
    pktest::SetFindString("x");
    pk::SyncFindStart();  // the 31st é, in cell 47
    EXPECT_EQ(std::tie(e.findStart.line, e.findStart.column, e.findStart.offset), std::make_tuple(2u, 63u, 0u));
}

}  // namespace
