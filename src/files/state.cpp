// The program-wide records and the simple beep.
#include "files/state.h"

namespace pk {

ProgramState program;
Settings settings;

void Beep() {
    if (program.console) program.console->beep();
}

}  // namespace pk
