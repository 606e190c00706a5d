// The command table: one record per command - its name, the number of
// leading letters a typed word must match, and its action - in the fixed
// order that decides what an abbreviation means.
#pragma once

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

// A word that names no command: a line number (text view) or a hexadecimal
// offset (hex view) when it is all digits, else a command for the shell.
uint32_t NumberOrShell(const CommandText& t);

}  // namespace pk
