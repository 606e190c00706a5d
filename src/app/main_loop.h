// The program's entry: start-up, the redraw cycle, the two ways to end, and
// shutdown.
#pragma once

namespace pk {

// Returns the process exit status.
int MainLoop(int argc, char** argv);
void RestoreConsole();
void ClearBottomLine();
int ShutDown();

}  // namespace pk
