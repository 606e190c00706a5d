// The commands' actions and the command table built from them, with the
// compile-time checks of its size and order, and the lookup by
// abbreviation.
#include "interact/command_table.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include "display/display_state.h"
#include "display/find.h"
#include "display/screen.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "files/raw_bytes.h"
#include "files/shell_names.h"
#include "interact/command_state.h"
#include "interact/follow.h"
#include "interact/help.h"
#include "interact/movement.h"
#include "interact/shell_command.h"
#include "panel/panel.h"
#include "panel/ascii.h"

namespace pk {

namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

template <typename Pred>
bool AllOf(std::string_view text, Pred pred) {
    return !text.empty() && std::all_of(text.begin(), text.end(), pred);
}

// Decimal digits only, at least one; values beyond 64 bits stay at the top.
bool ParseDecimal(std::string_view text, uint64_t& value) {
    if (!AllOf(text, IsDecimal)) return false;
    uint64_t v = 0;
    for (char c : text) {
        uint64_t digit = uint64_t(c - '0');
        v = v > (UINT64_MAX - digit) / 10 ? UINT64_MAX : v * 10 + digit;
    }
    value = v;
    return true;
}

// Equal, letters A-Z in either case.
bool AsciiEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

uint32_t Message(const char* text) {
    SetMessage(text);
    return CMD_KEEPMSG;
}

uint32_t Scroll(const CommandText& t, int (*move)(uint64_t)) {
    uint64_t count = 1;
    if (!t.parameter.empty() && !ParseDecimal(t.parameter, count)) return Message("Invalid parameter");
    return AfterMove(move(count));
}

uint32_t FindResult(int outcome) {
    if (outcome == FIND_SET_RUN) return CMD_FIND;
    return outcome == FIND_SET_MESSAGE ? CMD_KEEPMSG : 0;
}

uint32_t Load(const CommandText& t) {
    if (t.parameter.empty()) return Message("Parameter missing");
    char* name = commands.commandLine + t.parameterStart;
    size_t length = t.parameter.size();
    if (name[0] == '"') {
        ++name;
        --length;
        if (length == 0) return Message("Filename missing");
        if (name[length - 1] == '"') name[--length] = '\0';
        if (length == 0) return Message("Filename missing");
    }
    char fullName[NAME_SIZE] = {};
    uint32_t systemError = 0;
    LoadResult result = LoadFiles(name, fullName, systemError);
    if (result == LOAD_OK) return CMD_REDRAW;
    ShortLoadMessage(display.messageText, MESSAGE_SIZE, result, systemError);
    // Files loaded before the table filled are shown.
    return result == LOAD_TABLE_FILLED ? CMD_KEEPMSG | CMD_REDRAW : CMD_KEEPMSG;
}

uint32_t Case(const CommandText& t) {
    char c = t.parameter.empty() ? '\0' : AsciiLower(t.parameter[0]);
    if (c == 'm' || c == 'u') {
        display.exactCase = c == 'm' ? 1 : 0;
        return 0;
    }
    if (c != '?') return Message("Invalid parameter");
    // The setting replaces the whole line, so no older text stays behind it.
    char* line = commands.commandLine;
    std::memset(line, ' ', COMMAND_SIZE);
    std::memcpy(line, display.exactCase ? "case m" : "case u", 6);
    line[6] = '\0';
    return CMD_KEEPLINE;
}

// "tabs on", "tabs off", or "tabs" alone to switch.
uint32_t Tab(const CommandText& t) {
    uint32_t on = settings.tabsOn ? 0 : 1;
    if (AsciiEqual(t.parameter, "on")) on = 1;
    else if (AsciiEqual(t.parameter, "off")) on = 0;
    else if (!t.parameter.empty()) return Message("Invalid parameter");
    settings.tabsOn = on;
    return display.hexView ? 0 : CMD_REDRAW;
}

// "xla a", "xla e", "xla u": the data as bytes, from EBCDIC, or as UTF-8
// (the title follows), each of a compressed file's decompressed bytes;
// "xla r": a compressed file's raw bytes; "xla p", "xla o": the print
// translation. KEEP leaves a setting as it is, so EBCDIC keeps the choice
// between bytes and UTF-8.
uint32_t Translate(const CommandText& t) {
    if (t.parameter.empty()) return Message("Parameter missing");
    constexpr int KEEP = -1;
    struct Choice {
        char letter;
        int ebcdic, utf8, print, raw;
    };
    static constexpr Choice choices[] = {
        {'a', 0, 0, KEEP, 0},       {'e', 1, KEEP, KEEP, 0},    {'u', 0, 1, KEEP, 0},
        {'o', KEEP, KEEP, 0, KEEP}, {'p', KEEP, KEEP, 1, KEEP}, {'r', KEEP, KEEP, KEEP, 1},
    };
    auto set = [](uint32_t& field, int value) {
        if (value != KEEP) field = uint32_t(value);
    };
    for (const Choice& choice : choices) {
        if (choice.letter != AsciiLower(t.parameter[0])) continue;
        uint32_t error = 0;
        RawResult raw = choice.raw == KEEP ? RAW_SHOWN : ShowRawBytes(CurrentEntry(), choice.raw != 0, error);
        if (raw == RAW_NOT_KEPT) return Message("Raw bytes not kept");
        if (raw == RAW_FAILED) return Message("File read error");
        set(display.ebcdicOn, choice.ebcdic);
        set(settings.utf8On, choice.utf8);
        set(display.printXlatOn, choice.print);
        ShowFileName();
        return CMD_REDRAW;
    }
    return Message("Invalid parameter");
}

uint32_t Recall(const CommandText&) {
    if (commands.lastCommand[0] == '\0') {
        Beep();
        return 0;
    }
    std::memcpy(commands.commandLine, commands.lastCommand, sizeof commands.commandLine);
    return CMD_KEEPLINE;
}

uint32_t HexFind(const CommandText& t) {
    // The word ends the command: the rest of the line is cut off.
    if (t.wordEnd < COMMAND_SIZE) commands.commandLine[t.wordEnd] = '\0';
    return FindResult(SetFindHex(t.word.substr(1)));
}

uint32_t Next(const CommandText&) {
    // Like the F10 key, a lone file beeps; the screen is redrawn either way.
    if (!NextLoadedEntry()) Beep();
    return CMD_REDRAW;
}

uint32_t Bottom(const CommandText&) { return AfterMove(GoBottom()); }
uint32_t Dos(const CommandText& t) { return RunShellCommand(commands.commandLine + t.parameterStart); }
uint32_t Down(const CommandText& t) { return Scroll(t, ScrollDown); }
uint32_t End(const CommandText&) { return CMD_END; }
uint32_t Find(const CommandText& t) { return FindResult(SetFindText(t.parameter)); }
uint32_t Help(const CommandText&) {
    ShowHelp();
    return CMD_REDRAW;
}
uint32_t Left(const CommandText& t) { return Scroll(t, ScrollLeft); }
uint32_t RepeatFind(const CommandText&) { return CMD_FIND; }
uint32_t Right(const CommandText& t) { return Scroll(t, ScrollRight); }
uint32_t Top(const CommandText&) { return AfterMove(GoTop()); }
uint32_t Up(const CommandText& t) { return Scroll(t, ScrollUp); }
uint32_t Leave(const CommandText&) { return CMD_ENDLEAVE; }
uint32_t Repeat(const CommandText&) { return CMD_REPEAT; }
uint32_t SlashFind(const CommandText& t) { return FindResult(SetFindSlash(t.rest.substr(1))); }
uint32_t Watch(const CommandText& t) {
    if (!t.parameter.empty()) return Message("Invalid parameter");
    return StartWatching();
}
uint32_t View(const CommandText&) {
    ToggleView();
    return CMD_REDRAW;
}

// The first entry that matches wins, so the order decides abbreviations:
// "dos" before "dow", "top" before "tab", "rfi" before "rig".
constexpr Command COMMANDS[] = {
    {"peekra", 2, Load},
    {"bot",    1, Bottom},
    {"cas",    1, Case},
    {"dos",    3, Dos},
    {"dow",    1, Down},
    {"end",    1, End},
    {"fin",    1, Find},
    {"hel",    1, Help},
    {"lef",    1, Left},
    {"qui",    1, End},
    {"rfi",    2, RepeatFind},
    {"rig",    1, Right},
    {"top",    2, Top},
    {"tab",    1, Tab},
    {"up",     1, Up},
    {"xla",    1, Translate},
    {"z",      1, Leave},
    {"?",      1, Recall},
    {"=",      1, Repeat},
    {"'",      1, HexFind},
    {"/",      1, SlashFind},
    {"next",   1, Next},
    {"view",   1, View},
    {"watch",  1, Watch},
};

constexpr const Command* Lookup(std::string_view word) {
    for (const Command& command : COMMANDS) {
        if (word.size() < command.minimum) continue;
        bool same = true;
        for (size_t i = 0; i < command.minimum; ++i) same = same && AsciiLower(word[i]) == AsciiLower(command.name[i]);
        if (same) return &command;
    }
    return nullptr;
}

constexpr std::string_view NameOf(std::string_view word) {
    const Command* command = Lookup(word);
    return command ? command->name : "";
}

// Every name means its own command (no earlier entry takes it), and the
// abbreviations that the order decides mean what the help promises.
constexpr bool EveryNameFindsItself() {
    for (const Command& command : COMMANDS)
        if (Lookup(command.name) != &command) return false;
    return true;
}
static_assert(std::size(COMMANDS) == 24, "24 commands");
static_assert(EveryNameFindsItself(), "an earlier entry takes a later command's name");
static_assert(NameOf("d") == "dow" && NameOf("do") == "dow" && NameOf("dosomething") == "dos");
static_assert(NameOf("t") == "tab" && NameOf("To") == "top" && NameOf("r") == "rig" && NameOf("RF") == "rfi");
static_assert(NameOf("p") == "" && NameOf("Pe") == "peekra" && NameOf("BXYZ") == "bot" && NameOf("0e0") == "");

}  // namespace

const Command* FindCommand(std::string_view word) { return Lookup(word); }

std::span<const Command> CommandTable() { return COMMANDS; }

bool IsOffsetWord(std::string_view word) { return display.hexView && word.size() >= 2 && AllOf(word, IsHexDigit); }

uint32_t NumberOrShell(const CommandText& t) {
    if (display.hexView && (AllOf(t.rest, IsHexDigit) || IsOffsetWord(t.word))) {
        if (t.rest.size() > MAX_OFFSET_DIGITS || !AllOf(t.rest, IsHexDigit)) return Message("Invalid parameter");
        uint64_t offset = 0;
        for (char c : t.rest) offset = offset * 16 + uint64_t(HexValue(c));
        return AfterMove(GoToOffset(offset));
    }
    uint64_t line = 0;
    if (!display.hexView && ParseDecimal(t.rest, line)) return AfterMove(GoToLine(line));
    if (!ShellAnswersTo(t.rest)) return Message("Invalid command");
    return RunShellCommand(t.rest.data());
}

}  // namespace pk
