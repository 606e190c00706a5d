// The terminal console: pk's Console on a Linux terminal through ncursesw.
#pragma once

#include "panel/console.h"

namespace pk {

// The process's single terminal console.
Console* TerminalConsole();

// Sets pk's character locale (LC_CTYPE): the user's, or C.UTF-8 when none
// is chosen; true when it uses UTF-8. Called before anything measures text
// (the widths of characters come from it) and by the console's open; only
// the first call sets the locale, later ones return its answer.
bool ChooseTerminalLocale();

}  // namespace pk
