// The command interpreter through ExecuteCommand (what abbreviations mean
// is checked where the command table is built). Commands that reach the
// shell meet an interpreter that does not exist, so they show
// "Pgm not found" instead of starting anything.
#include "interact/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "display/find.h"
#include "interact/command_state.h"
#include "temp_dir.h"
#include "test_screen.h"

namespace {

constexpr uint32_t KEEPMSG = pk::CMD_KEEPMSG;
constexpr uint32_t REDRAW = pk::CMD_REDRAW;

std::string Lines(int count) {
    std::string out;
    for (int i = 1; i <= count; ++i) out += "line " + std::to_string(i) + "\n";
    return out;
}

std::string FindString() {
    return std::string(reinterpret_cast<const char*>(pk::settings.findString), pk::settings.findLength);
}

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

TEST_F(Commands, ResultsMessagesAndBeeps) {
    s.load(Lines(3));
    struct Group { std::vector<const char*> texts; uint32_t result; const char* message; int beeps; } groups[] = {
        {{"", "   \t", "?"}, 0, "", 1},  // "?" before any command
        {{"next"}, REDRAW, "", 1},       // a single file
        {{"  end  ", "quit"}, pk::CMD_END, "", 0},
        {{"p", "git status", "dosomething", "dos echo hi", "12a"}, KEEPMSG, "Pgm not found", 0},
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
}

TEST_F(Commands, CountsLineNumbersAndOffsetsMoveTheView) {
    // result 0: refused with a beep; at: line (text view) or offset (hex view)
    struct Case { const char* text; uint32_t result; uint32_t at; };
    const Case text[] = {
        {"down", REDRAW, 2},  {"d 10", REDRAW, 12}, {"down 0", 0, 12}, {"do 4294967295", REDRAW, 80}, {"bottom", 0, 80},
        {"up 999999999999999999999999999999", REDRAW, 1}, {"up", 0, 1}, {"b", REDRAW, 80}, {"to", REDRAW, 1},
        {"r", 0, 1},          {"left", 0, 1},       {"50", REDRAW, 50}, {"0", REDRAW, 1},
        {"000000000000000000000000000000000000000007", REDRAW, 7}, {"999999999999999999999999999999", REDRAW, 100},
    };
    const Case hex[] = {
        {"down", 0, 0},         {"down 15", 0, 0},      {"down 32", REDRAW, 32},  {"down 160", REDRAW, 192},
        {"0e0", REDRAW, 0xE0},  {"a0", REDRAW, 0xA0},   {"0fffffff", REDRAW, 992}, {"400", REDRAW, 992},
        {"0", REDRAW, 0},       {"right", 0, 0},        {"left 16", 0, 0},        {"up 16", 0, 0},
        {"e0", pk::CMD_END, 0}, {"000000010", KEEPMSG, 0}, {"ffffffff", KEEPMSG, 0},  // nine digits; the find command
    };
    for (bool inHex : {false, true}) {
        s.load(inHex ? std::string(1000, 'h') : Lines(100));
        pk::display.hexView = inHex;
        int beeps = s.console.beeps;
        for (const Case& c : inHex ? std::span<const Case>(hex) : std::span<const Case>(text)) {
            EXPECT_EQ(Enter(c.text), c.result) << c.text;
            EXPECT_EQ(inHex ? s.entry().view.offset : s.entry().view.line, c.at) << c.text;
            if (c.result == 0) {
                EXPECT_EQ(s.console.beeps, ++beeps) << c.text;
            }
        }
    }
    EXPECT_EQ(s.message(), "Parameter missing");
    pktest::SetFindString("h");  // with a find string, a move starts the next find at the view
    EXPECT_EQ(Enter("down 32"), REDRAW);
    EXPECT_EQ(s.entry().findStart.offset, 32u);
}

TEST_F(Commands, SettingsAndRecall) {
    s.load(Lines(3));
    std::strcpy(pk::commands.lastCommand, "down 2");
    // After each command: the line when it is kept for editing, and the
    // settings as digits: exact case, tabs, EBCDIC, print translation, UTF-8.
    const std::tuple<const char*, uint32_t, const char*, const char*> steps[] = {
        {"   case    ?", pk::CMD_KEEPLINE, "case u", "00000"}, {"c Mixed", 0, "", "10000"},
        {"case ?", pk::CMD_KEEPLINE, "case m", "10000"},
        {"tabs on", REDRAW, "", "11000"} /* toggles whatever follows */, {"ta", REDRAW, "", "10000"},
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
    EXPECT_EQ(s.console.beeps, 0);
}

TEST_F(Commands, FindFormsStoreTheirBytes) {
    s.load("abc\nABA\n").view = {2, 1, 0};
    EXPECT_EQ(Enter("f   two  words  "), pk::CMD_FIND);
    EXPECT_EQ(FindString(), "two  words");
    EXPECT_EQ(s.entry().findStart.line, 2u);
    EXPECT_EQ(Enter("find"), 0u);  // a stored string: nothing at all
    EXPECT_EQ(Enter("/ x y"), pk::CMD_FIND);
    EXPECT_EQ(FindString(), " x y");
    EXPECT_EQ(Enter("'4g"), KEEPMSG);  // a refused form keeps the stored string
    EXPECT_EQ(Enter("'4162 anything"), pk::CMD_FIND);
    EXPECT_EQ(FindString(), "Ab");
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
    EXPECT_EQ(FindString(), "A");
}

TEST_F(Commands, LoadingByNameWithOrWithoutQuotes) {
    pktest::TempDir dir;
    std::string path = dir.write("my file.txt", "loaded\n");
    std::strcpy(s.load(Lines(3)).name, "/first");
    EXPECT_EQ(Enter("peekra " + dir.path() + "/nothing-matches*.none"), KEEPMSG);
    EXPECT_EQ(s.message(), "File not found.");
    EXPECT_EQ(pk::program.currentEntry, 0);  // the current file stays

    EXPECT_EQ(Enter("peekra \"" + path + "\""), REDRAW);
    int loaded = pk::program.currentEntry;
    EXPECT_NE(loaded, 0);
    EXPECT_EQ(pk::CurrentEntry().size, 7u);
    pk::program.currentEntry = 0;
    EXPECT_EQ(Enter("PEEKRA " + path), REDRAW);  // the same file, already loaded
    EXPECT_EQ(pk::program.currentEntry, loaded);
    EXPECT_EQ(s.console.beeps, 0);
}

}  // namespace
