// The keyboard loop: the command line editor and every key binding.
#pragma once

#include "panel/console.h"

namespace pk {

int KeyboardLoop();
int ReadKeyEvent(InputRecord& record);
int MouseToKey(Coord position);

// One row of the key table: a key without a character, and whether Ctrl and
// Alt give it actions of their own.
struct KeyForms {
    uint16_t scanCode = 0;  // 0 past the last row
    bool ctrl = false;
    bool alt = false;
};
KeyForms KeyTableRow(int index);

}  // namespace pk
