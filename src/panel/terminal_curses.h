// The one include of curses for the terminal console's .cpp files, with the
// wide-character interface switched on.
#pragma once

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <ncursesw/curses.h>
