// The command table: the command names in their fixed order with the number
// of leading characters a typed word must match, and the abbreviation lookup.
#pragma once

#include <cstdint>
#include <string_view>

namespace pk {

// The 23 commands, in table order; the table's 24th entry is the empty name
// that ends it.
enum CommandId : int {
    COMMAND_PEEKRA, COMMAND_BOT, COMMAND_CAS, COMMAND_DOS, COMMAND_DOW, COMMAND_END,
    COMMAND_FIN, COMMAND_HEL, COMMAND_LEF, COMMAND_QUI, COMMAND_RFI, COMMAND_RIG,
    COMMAND_TOP, COMMAND_TAB, COMMAND_UP, COMMAND_XLA, COMMAND_Z, COMMAND_RECALL,
    COMMAND_REPEAT, COMMAND_HEXFIND, COMMAND_SLASHFIND, COMMAND_NEXT, COMMAND_VIEW,
    COMMAND_COUNT
};

constexpr int COMMAND_TABLE_SIZE = COMMAND_COUNT + 1;

extern const std::string_view CommandNames[COMMAND_TABLE_SIZE];
extern const uint16_t CommandMinimum[COMMAND_TABLE_SIZE];

// The first entry whose minimum number of leading characters the word
// matches (letters in either case), or -1 when none does.
int FindCommand(std::string_view word);

}  // namespace pk
