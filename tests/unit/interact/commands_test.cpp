// The command interpreter through ExecuteCommand: abbreviations, counts,
// numbers and offsets, the find forms, settings commands, recall and
// loading. Commands that reach the shell meet an interpreter that does not
// exist, so they show "Pgm not found" instead of starting anything.
#include "interact/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "interact/command_state.h"
#include "display/find.h"
#include "interact/command_table.h"
#include "interact/loaded_file.h"
#include "temp_dir.h"

using pktest::LoadedFile;

namespace {

constexpr uint32_t KEEPMSG = pk::CMD_KEEPMSG;
constexpr uint32_t REDRAW = pk::CMD_REDRAW;

// Types text on the command line (blank-filled) and presses Enter.
uint32_t Enter(std::string_view text) {
    std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
    pk::commands.commandLine[pk::COMMAND_SIZE] = '\0';
    std::memcpy(pk::commands.commandLine, text.data(), std::min<size_t>(text.size(), pk::COMMAND_SIZE));
    return pk::ExecuteCommand();
}

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
    void SetUp() override {
        setenv("SHELL", "/nonexistent/pk-test-shell", 1);
        for (const char* v : {"TMUX", "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL"}) unsetenv(v);
        pk::commands = pk::CommandState{};
    }
};

TEST_F(Commands, TableHoldsTheNamesInOrderAndTheFirstMatchWins) {
    EXPECT_EQ(pk::CommandNames[pk::COMMAND_COUNT], "");
    EXPECT_EQ(pk::CommandMinimum[pk::COMMAND_COUNT], 0);
    struct Case {
        const char* word;
        int entry;
    } cases[] = {
        {"BOT", pk::COMMAND_BOT},     {"Bottom", pk::COMMAND_BOT}, {"b", pk::COMMAND_BOT},
        {"bxyz", pk::COMMAND_BOT},    {"p", -1},                   {"pe", pk::COMMAND_PEEKRA},
        {"PEEK", pk::COMMAND_PEEKRA}, {"t", pk::COMMAND_TAB},      {"ta", pk::COMMAND_TAB},
        {"to", pk::COMMAND_TOP},      {"r", pk::COMMAND_RIG},      {"rf", pk::COMMAND_RFI},
        {"d", pk::COMMAND_DOW},       {"do", pk::COMMAND_DOW},     {"dos", pk::COMMAND_DOS},
        {"dosomething", pk::COMMAND_DOS}, {"e0", pk::COMMAND_END}, {"f0", pk::COMMAND_FIN},
        {"ffffffff", pk::COMMAND_FIN}, {"0e0", -1},                {"a0", -1},
        {"x", pk::COMMAND_XLA},       {"z", pk::COMMAND_Z},        {"zz", pk::COMMAND_Z},
        {"?x", pk::COMMAND_RECALL},   {"=", pk::COMMAND_REPEAT},   {"'41", pk::COMMAND_HEXFIND},
        {"/abc", pk::COMMAND_SLASHFIND}, {"n", pk::COMMAND_NEXT},  {"V", pk::COMMAND_VIEW},
        {"u", pk::COMMAND_UP},        {"l", pk::COMMAND_LEF},      {"q", pk::COMMAND_QUI},
        {"h", pk::COMMAND_HEL},       {"c", pk::COMMAND_CAS},      {"dir", pk::COMMAND_DOW},
        {"git", -1},                  {"ps", -1},                  {"make", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(pk::FindCommand(c.word), c.entry) << c.word;
}

TEST_F(Commands, EmptyLineBeepsAndLineEndsAreMarked) {
    LoadedFile f(Lines(3));
    EXPECT_EQ(Enter(""), 0u);
    EXPECT_EQ(Enter("   \t"), 0u);  // a tab alone is no word
    EXPECT_EQ(f.console.beeps, 2);
    EXPECT_EQ(Enter("  end  "), pk::CMD_END);
    EXPECT_EQ(pk::commands.commandLine[5], '\0');  // right after the text
    EXPECT_EQ(Enter("quit"), pk::CMD_END);
    EXPECT_EQ(Enter("z"), pk::CMD_ENDLEAVE);
    EXPECT_EQ(Enter("="), pk::CMD_REPEAT);
    EXPECT_EQ(Enter("rfind"), pk::CMD_FIND);
}

TEST_F(Commands, MovementCommandsTakeCountsAndBeepAtLimits) {
    LoadedFile f(Lines(100));
    struct Case {
        const char* text;
        uint32_t result;
        uint32_t line;
        const char* message;
    } cases[] = {
        {"down", REDRAW, 2, ""},
        {"d 10", REDRAW, 12, ""},
        {"down 0", 0, 12, ""},
        {"down x", KEEPMSG, 12, "Invalid parameter"},
        {"down 3 4", KEEPMSG, 12, "Invalid parameter"},
        {"do 4294967295", REDRAW, 81, ""},
        {"bottom", 0, 81, ""},
        {"up 999999999999999999999999999999", REDRAW, 1, ""},
        {"up", 0, 1, ""},
        {"b", REDRAW, 81, ""},
        {"to", REDRAW, 1, ""},
        {"r", 0, 1, ""},  // no line is wider than the screen
        {"left", 0, 1, ""},
        {"50", REDRAW, 50, ""},
        {"0", REDRAW, 1, ""},
        {"000000000000000000000000000000000000000007", REDRAW, 7, ""},
        {"999999999999999999999999999999", REDRAW, 100, ""},
        {"12a", KEEPMSG, 100, "Pgm not found"},
    };
    int beeps = 0;
    for (const Case& c : cases) {
        pk::SetMessage("");
        EXPECT_EQ(Enter(c.text), c.result) << c.text;
        EXPECT_EQ(f.entry().view.line, c.line) << c.text;
        EXPECT_EQ(f.message(), c.message) << c.text;
        if (c.result == 0) {
            EXPECT_EQ(f.console.beeps, ++beeps) << c.text;
        }
    }
}

TEST_F(Commands, HexViewTakesOffsetsAndCountsBytes) {
    LoadedFile f(std::string(1000, 'h'));
    pk::display.hexView = 1;
    struct Case {
        const char* text;
        uint32_t result;
        uint32_t offset;
    } cases[] = {
        {"down", 0, 0},          {"down 15", 0, 0},       {"down 32", REDRAW, 32},  {"down 160", REDRAW, 192},
        {"0e0", REDRAW, 0xE0},   {"a0", REDRAW, 0xA0},    {"0fffffff", REDRAW, 992}, {"0", REDRAW, 0},
        {"right", 0, 0},         {"left 16", 0, 0},        {"up 16", 0, 0},          {"e0", pk::CMD_END, 0},
        {"000000010", KEEPMSG, 0}, {"ffffffff", KEEPMSG, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Enter(c.text), c.result) << c.text;
        EXPECT_EQ(f.entry().view.offset, c.offset) << c.text;
    }
    EXPECT_EQ(f.message(), "Parameter missing");  // ffffffff is the find command

    LoadedFile g(std::string(1024, 'k'));
    pk::display.hexView = 1;
    EXPECT_EQ(Enter("400"), REDRAW);
    EXPECT_EQ(g.entry().view.offset, 1008u);
    // A move with a find string set starts the next find at the view.
    pktest::SetFindString("k");
    EXPECT_EQ(Enter("up 32"), REDRAW);
    EXPECT_EQ(g.entry().findStart.offset, 976u);
}

TEST_F(Commands, ParseHexTakesOneToEightDigits) {
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {{"0", 0},       {"a0", 0xA0},        {"FfFf", 0xFFFF}, {"ffffffff", 0xFFFFFFFF},
                 {"", 0},        {"123456789", 0},    {"12g", 0},       {"0000000A", 10}};
    for (const Case& c : cases) EXPECT_EQ(pk::ParseHex(c.text), c.value) << c.text;
}

TEST_F(Commands, CaseTabsAndTranslationSettings) {
    LoadedFile f(Lines(3));
    EXPECT_EQ(Enter("case"), KEEPMSG);
    EXPECT_EQ(f.message(), "Invalid parameter");
    EXPECT_EQ(Enter("   case    ?"), pk::CMD_KEEPLINE);
    EXPECT_STREQ(pk::commands.commandLine, "case u");
    EXPECT_EQ(pk::CommandLength(), 6);  // nothing of the older, longer line stays
    EXPECT_EQ(Enter("c Mixed"), 0u);
    EXPECT_EQ(pk::display.exactCase, 1);
    EXPECT_EQ(Enter("case ?"), pk::CMD_KEEPLINE);
    EXPECT_STREQ(pk::commands.commandLine, "case m");
    EXPECT_EQ(Enter("case u"), 0u);
    EXPECT_EQ(pk::display.exactCase, 0);

    pk::settings.tabsOn = 1;
    EXPECT_EQ(Enter("tabs on"), REDRAW);
    EXPECT_EQ(pk::settings.tabsOn, 0u);
    pk::display.hexView = 1;
    EXPECT_EQ(Enter("t"), 0u);
    EXPECT_EQ(pk::settings.tabsOn, 1u);

    struct Xla {
        const char* text;
        uint32_t result;
        uint32_t ebcdic;
        uint32_t print;
        const char* message;
    } xla[] = {
        {"xla", KEEPMSG, 0, 0, "Parameter missing"}, {"xla b", KEEPMSG, 0, 0, "Invalid parameter"},
        {"xla Prt", REDRAW, 0, 1, ""},               {"xla ebc", REDRAW, 1, 1, ""},
        {"x E", REDRAW, 1, 1, ""},                   {"xla o", REDRAW, 1, 0, ""},
        {"xla ASCII", REDRAW, 0, 0, ""},
    };
    for (const Xla& c : xla) {
        pk::SetMessage("");
        EXPECT_EQ(Enter(c.text), c.result) << c.text;
        EXPECT_EQ(pk::display.ebcdicOn, c.ebcdic) << c.text;
        EXPECT_EQ(pk::display.printXlatOn, c.print) << c.text;
        EXPECT_EQ(f.message(), c.message) << c.text;
    }
}

TEST_F(Commands, FindFormsStoreTheirBytesAndRefuseBadInput) {
    LoadedFile f("abc\nABA\n");
    f.entry().view = {2, 1, 0};
    EXPECT_EQ(Enter("find"), KEEPMSG);
    EXPECT_EQ(f.message(), "Parameter missing");
    EXPECT_EQ(Enter("f   two  words  "), pk::CMD_FIND);
    EXPECT_EQ(FindString(), "two  words");
    EXPECT_EQ(f.entry().findStart.line, 2u);
    pk::SetMessage("");
    EXPECT_EQ(Enter("find"), 0u);  // a stored string: nothing at all
    EXPECT_EQ(f.message(), "");
    EXPECT_EQ(Enter("/ x y"), pk::CMD_FIND);
    EXPECT_EQ(FindString(), " x y");
    EXPECT_EQ(Enter("/"), KEEPMSG);
    EXPECT_EQ(f.message(), "Invalid command");
    EXPECT_EQ(Enter("'"), KEEPMSG);
    EXPECT_EQ(f.message(), "Parameter missing");
    EXPECT_EQ(Enter("'414"), KEEPMSG);
    EXPECT_EQ(f.message(), "Invalid parameter");
    EXPECT_EQ(Enter("'4g"), KEEPMSG);
    EXPECT_EQ(f.message(), "Invalid parameter");
    EXPECT_EQ(FindString(), " x y");
    EXPECT_EQ(Enter("'4162 anything"), pk::CMD_FIND);
    EXPECT_EQ(FindString(), "Ab");
    EXPECT_EQ(pk::commands.commandLine[5], '\0');  // the rest of the line is cut off
    // Case u: 'Ab' also matches "ab".
    f.entry().findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.line, 1u);
    EXPECT_EQ(Enter("'41"), pk::CMD_FIND);
    f.entry().findStart = {1, 1, 0};
    EXPECT_EQ(pk::RunFind(), 1);
    EXPECT_EQ(f.entry().found.column, 1u);  // the byte 0x61

    pk::display.ebcdicOn = 1;
    for (const char* text : {"find abc", "/abc", "'41", "/"}) {
        pk::SetMessage("");
        EXPECT_EQ(Enter(text), KEEPMSG) << text;
        EXPECT_EQ(f.message(), "Invalid in this mode") << text;
    }
    EXPECT_EQ(FindString(), "A");
    EXPECT_EQ(Enter("rfind"), pk::CMD_FIND);
}

TEST_F(Commands, RecallBringsBackTheLastCommand) {
    LoadedFile f(Lines(3));
    EXPECT_EQ(Enter("?"), 0u);
    EXPECT_EQ(f.console.beeps, 1);
    std::memset(pk::commands.lastCommand, ' ', pk::COMMAND_SIZE);  // Enter on an empty line
    EXPECT_EQ(Enter("?"), pk::CMD_KEEPLINE);
    EXPECT_EQ(pk::CommandLength(), 0);
    EXPECT_EQ(f.console.beeps, 1);
    std::strcpy(pk::commands.lastCommand, "down 2");
    EXPECT_EQ(Enter("?"), pk::CMD_KEEPLINE);
    EXPECT_STREQ(pk::commands.commandLine, "down 2");
}

TEST_F(Commands, ShellGetsUnknownWordsAndTheDosParameter) {
    LoadedFile f(Lines(3));
    for (const char* text : {"p", "ps ax", "git status", "dos", "dosomething", "dos echo hi"}) {
        pk::SetMessage("");
        EXPECT_EQ(Enter(text), KEEPMSG) << text;
        EXPECT_EQ(f.message(), "Pgm not found") << text;
    }
    // "d" is the down command, so a word such as dir never reaches the shell.
    EXPECT_EQ(Enter("dir /w"), KEEPMSG);
    EXPECT_EQ(f.message(), "Invalid parameter");
}

TEST_F(Commands, LoadingByNameWithOrWithoutQuotes) {
    pktest::TempDir dir;
    std::string path = dir.write("my file.txt", "loaded\n");
    LoadedFile f(Lines(3));
    std::strcpy(f.entry().name, "/first");
    EXPECT_EQ(Enter("pe"), KEEPMSG);
    EXPECT_EQ(f.message(), "Parameter missing");
    EXPECT_EQ(Enter("peekra \"\""), KEEPMSG);
    EXPECT_EQ(f.message(), "Filename missing");
    EXPECT_EQ(Enter("peekra \""), KEEPMSG);
    EXPECT_EQ(f.message(), "Filename missing");

    pk::SetMessage("");
    EXPECT_EQ(Enter("peekra " + dir.path() + "/nothing-matches*.none"), KEEPMSG);
    EXPECT_EQ(f.message(), "File not found.");
    EXPECT_EQ(pk::program.currentEntry, 0);

    EXPECT_EQ(Enter("peekra \"" + path + "\""), REDRAW);
    int loaded = pk::program.currentEntry;
    EXPECT_NE(loaded, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pk::CurrentEntry().data), 7), "loaded\n");
    pk::program.currentEntry = 0;
    EXPECT_EQ(Enter("PEEKRA " + path), REDRAW);  // the same file, already loaded
    EXPECT_EQ(pk::program.currentEntry, loaded);

    EXPECT_EQ(Enter("next"), REDRAW);
    EXPECT_EQ(pk::program.currentEntry, 0);
    EXPECT_EQ(f.console.beeps, 0);
}

TEST_F(Commands, NextWithASingleFileRedrawsAndBeeps) {
    LoadedFile f(Lines(3));
    EXPECT_EQ(Enter("next"), REDRAW);
    EXPECT_EQ(pk::program.currentEntry, 0);
    EXPECT_EQ(f.console.beeps, 1);
}

}  // namespace
