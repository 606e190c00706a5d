// The keyboard loop: the command line editor and every key binding.
#pragma once

#include "panel/console.h"

namespace pk {

int KeyboardLoop();
int ReadKeyEvent(InputRecord& record);
int MouseToKey(Coord position);

}  // namespace pk
