// The command table as data and the abbreviation lookup: the first entry, in
// table order, whose minimum leading characters the typed word matches wins.
#include "interact/command_table.h"

namespace pk {

const std::string_view CommandNames[COMMAND_TABLE_SIZE] = {
    "peekra", "bot", "cas", "dos", "dow", "end", "fin", "hel", "lef", "qui", "rfi", "rig",
    "top",    "tab", "up",  "xla", "z",   "?",   "=",   "'",   "/",   "next", "view", "",
};

const uint16_t CommandMinimum[COMMAND_TABLE_SIZE] = {
    2, 1, 1, 3, 1, 1, 1, 1, 1, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0,
};

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c; }

bool Matches(std::string_view word, int entry) {
    size_t need = CommandMinimum[entry];
    if (word.size() < need) return false;
    for (size_t i = 0; i < need; ++i)
        if (Lower(word[i]) != Lower(CommandNames[entry][i])) return false;
    return true;
}

}  // namespace

int FindCommand(std::string_view word) {
    for (int entry = 0; CommandMinimum[entry] != 0; ++entry)
        if (Matches(word, entry)) return entry;
    return -1;
}

}  // namespace pk
