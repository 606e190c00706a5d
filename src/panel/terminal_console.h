// The terminal console: pk's Console on a Linux terminal through ncursesw.
#pragma once

#include "panel/console.h"

namespace pk {

// The process's single terminal console.
Console* TerminalConsole();

}  // namespace pk
