// The help screen.
#pragma once

namespace pk {

// Shows the help box over the screen until a key ends it, then puts the
// screen and the cursor back exactly.
void ShowHelp();

}  // namespace pk
