// The command interpreter: splits commandLine into a word and a parameter,
// finds the word in the command table and runs the command's action.
#include "interact/commands.h"

#include <cstring>

#include "interact/command_state.h"
#include "interact/command_table.h"
#include "panel/panel.h"

namespace pk {

namespace {

bool IsGap(char c) { return c == ' ' || c == '\t'; }

// The text up to end (the first NUL) as word, parameter and rest.
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

}  // namespace

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
    const Command* command = IsOffsetWord(t.word) ? nullptr : FindCommand(t.word);
    return command != nullptr ? command->action(t) : NumberOrShell(t);
}

}  // namespace pk
