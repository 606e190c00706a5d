// The command table: one record per command - its name, the number of
// leading letters a typed word must match, and its action - in the fixed
// order that decides what an abbreviation means.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace pk {

// The command line split for a command. Offsets index commandLine.
struct CommandText {
    std::string_view word;
    std::string_view parameter;  // blanks and tabs at either end left off
    std::string_view rest;       // the word and everything after it
    int wordEnd = 0;
    int parameterStart = 0;
};

// A command's action returns CMD_* bits.
using CommandAction = uint32_t (*)(const CommandText&);

struct Command {
    std::string_view name;
    uint16_t minimum;  // leading characters a typed word must match
    CommandAction action;
};

// The first command, in table order, whose minimum number of leading
// characters the word matches (letters in either case); nullptr if none.
const Command* FindCommand(std::string_view word);

// Every command, in table order.
std::span<const Command> CommandTable();

// A hex offset holds at most this many hexadecimal digits (64 bits).
constexpr size_t MAX_OFFSET_DIGITS = 16;

// In the hex view, a word of two or more hexadecimal digits is an offset,
// never a command, whatever its first letter ("e0", "ff", "DEAD").
bool IsOffsetWord(std::string_view word);

// A word that names no command: a line number (text view) or a hexadecimal
// offset (hex view) when it is all digits (an offset word with more digits
// than an offset holds, or with more after it, is "Invalid parameter");
// else a command for the shell when the shell answers to its first word,
// and "Invalid command" when it does not.
uint32_t NumberOrShell(const CommandText& t);

}  // namespace pk
