// The program-wide records and their reset.
#include "files/program_state.h"

namespace pk {

ProgramState program;
Settings settings;

void ResetProgramState() {
    program = ProgramState{};
    settings = Settings{};
}

}  // namespace pk
