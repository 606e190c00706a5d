// The command interpreter: splits commandLine into a word and a parameter,
// looks the word up in the command table and runs the command's action. A
// word that names no command is a line number (text view) or a hexadecimal
// offset (hex view) when it is all digits, and otherwise goes to the shell.
#include "interact/commands.h"

#include <algorithm>
#include <cstring>

#include "display/display_state.h"
#include "display/find.h"
#include "display/screen.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "files/shell.h"
#include "interact/command_state.h"
#include "interact/command_table.h"
#include "interact/help.h"
#include "interact/movement.h"
#include "panel/panel.h"

namespace pk {

namespace {

// The split command line. Offsets index commandLine; end is where the text
// stops (the first NUL).
struct CommandText {
    std::string_view word;
    std::string_view parameter;
    std::string_view rest;  // the word and everything after it
    int wordEnd = 0;
    int parameterStart = 0;
};

bool IsGap(char c) { return c == ' ' || c == '\t'; }
bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

template <typename Pred>
bool AllOf(std::string_view text, Pred pred) {
    for (char c : text)
        if (!pred(c)) return false;
    return !text.empty();
}

CommandText Split(int end) {
    const char* line = commands.commandLine;
    CommandText t;
    int i = 0;
    while (i < end && IsGap(line[i])) ++i;
    int wordStart = i;
    while (i < end && !IsGap(line[i])) ++i;
    t.wordEnd = i;
    while (i < end && IsGap(line[i])) ++i;
    t.parameterStart = i;
    t.word = std::string_view(line + wordStart, size_t(t.wordEnd - wordStart));
    t.parameter = std::string_view(line + i, size_t(end - i));
    t.rest = std::string_view(line + wordStart, size_t(end - wordStart));
    return t;
}

// Decimal digits only, at least one; values beyond 32 bits stay at the top.
bool ParseDecimal(std::string_view text, uint32_t& value) {
    if (!AllOf(text, IsDecimal)) return false;
    uint64_t v = 0;
    for (char c : text) v = std::min<uint64_t>(v * 10 + uint64_t(c - '0'), UINT32_MAX);
    value = uint32_t(v);
    return true;
}

uint32_t Message(const char* text) {
    SetMessage(text);
    return CMD_KEEPMSG;
}

uint32_t AfterMove(int moved) {
    if (!moved) return 0;
    SyncFindStart();
    return CMD_REDRAW;
}

uint32_t Scroll(const CommandText& t, int (*move)(uint32_t)) {
    uint32_t count = 1;
    if (!t.parameter.empty() && !ParseDecimal(t.parameter, count)) return Message("Invalid parameter");
    return AfterMove(move(count));
}

uint32_t FindResult(int outcome) {
    if (outcome == FIND_SET_RUN) return CMD_FIND;
    return outcome == FIND_SET_MESSAGE ? CMD_KEEPMSG : 0;
}

uint32_t Shell(const char* text) { return RunShellCommand(text, display.messageText); }

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
    return CMD_KEEPMSG;
}

uint32_t Case(const CommandText& t) {
    char c = t.parameter.empty() ? '\0' : t.parameter[0];
    if (c == 'm' || c == 'M' || c == 'u' || c == 'U') {
        display.exactCase = (c == 'm' || c == 'M') ? 1 : 0;
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

uint32_t Tab(const CommandText&) {
    settings.tabsOn = settings.tabsOn ? 0 : 1;
    return display.hexView ? 0 : CMD_REDRAW;
}

uint32_t Translate(const CommandText& t) {
    if (t.parameter.empty()) return Message("Parameter missing");
    struct Choice {
        char letter;
        uint32_t DisplayState::*field;
        uint32_t value;
    };
    static constexpr Choice choices[] = {
        {'a', &DisplayState::ebcdicOn, 0},    {'e', &DisplayState::ebcdicOn, 1},
        {'o', &DisplayState::printXlatOn, 0}, {'p', &DisplayState::printXlatOn, 1},
    };
    char c = t.parameter[0];
    if (c >= 'A' && c <= 'Z') c = char(c | 0x20);
    for (const Choice& choice : choices) {
        if (choice.letter != c) continue;
        display.*choice.field = choice.value;
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

using Action = uint32_t (*)(const CommandText&);

// One action per command, in table order.
const Action actions[COMMAND_COUNT] = {
    Load,
    [](const CommandText&) { return AfterMove(GoBottom()); },
    Case,
    [](const CommandText& t) { return Shell(commands.commandLine + t.parameterStart); },
    [](const CommandText& t) { return Scroll(t, ScrollDown); },
    [](const CommandText&) { return CMD_END; },
    [](const CommandText& t) { return FindResult(SetFindText(t.parameter)); },
    [](const CommandText&) { ShowHelp(); return CMD_REDRAW; },
    [](const CommandText& t) { return Scroll(t, ScrollLeft); },
    [](const CommandText&) { return CMD_END; },
    [](const CommandText&) { return CMD_FIND; },
    [](const CommandText& t) { return Scroll(t, ScrollRight); },
    [](const CommandText&) { return AfterMove(GoTop()); },
    Tab,
    [](const CommandText& t) { return Scroll(t, ScrollUp); },
    Translate,
    [](const CommandText&) { return CMD_ENDLEAVE; },
    Recall,
    [](const CommandText&) { return CMD_REPEAT; },
    HexFind,
    [](const CommandText& t) { return FindResult(SetFindSlash(t.rest.substr(1))); },
    Next,
    [](const CommandText&) { ToggleView(); return CMD_REDRAW; },
};

// No command matched: a line number, an offset, or a shell command.
uint32_t NumberOrShell(const CommandText& t) {
    if (display.hexView) {
        if (t.rest.size() <= 8 && AllOf(t.rest, IsHex)) return AfterMove(GoToOffset(ParseHex(t.rest)));
    } else {
        uint32_t line = 0;
        if (ParseDecimal(t.rest, line)) return AfterMove(GoToLine(line));
    }
    return Shell(t.rest.data());
}

}  // namespace

uint32_t ParseHex(std::string_view text) {
    if (text.size() > 8 || !AllOf(text, IsHex)) return 0;
    uint32_t value = 0;
    for (char c : text) value = value * 16 + uint32_t(IsDecimal(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    return value;
}

uint32_t ExecuteCommand() {
    int n = CommandLength();
    if (n == 0) {
        // An empty line stays blank, so that it is recalled as a blank line.
        Beep();
        return 0;
    }
    commands.commandLine[n] = '\0';
    // The text ends at the first NUL, as a command written back into the
    // line (by "'" or "case ?") may hold one.
    int end = int(strnlen(commands.commandLine, size_t(n)));
    CommandText t = Split(end);
    if (t.word.empty()) {
        Beep();
        return 0;
    }
    int command = FindCommand(t.word);
    return command >= 0 ? actions[command](t) : NumberOrShell(t);
}

}  // namespace pk
