// The main loop: start-up, the redraw cycle around the keyboard loop, the two
// ways of ending (give the terminal back, or leave the last page on it) and
// shutdown with its exit status; without a console, the copy to standard
// output instead.
#include "app/main_loop.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/copy_out.h"
#include "app/settings.h"
#include "app/startup.h"
#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/file_feed.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "interact/command_state.h"
#include "interact/follow.h"
#include "interact/keyboard.h"
#include "interact/keyboard_state.h"
#include "panel/panel.h"

namespace pk {

namespace {

// Exit statuses: the final settings write decides a normal run; a start-up
// that ended before the screen was up has its own status.
constexpr int EXIT_WRITTEN = 0;
constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_START_FAILED = 2;

// Every module's state back to its start, the panel library's included (it
// keeps the console the program was given).
void ClearGlobalState() {
    fullreset();
    ResetProgramState();
    ResetStoredSettings();
    ResetFileTable();
    ResetDisplay();
    ResetCommands();
    ResetKeyboard();
    ResetFollow();
}

// Gives back the loaded files and both cell blocks.
void ReleaseMemory() {
    ReleaseAllEntries();
    std::free(program.savedCells);
    program.savedCells = nullptr;
    std::free(program.viewCells);
    program.viewCells = nullptr;
}

// One pass: status fields, key labels, the file name when the file changed,
// the data area; then the keyboard loop's verdict.
int RunCycles() {
    int lastShown = program.currentEntry;
    for (;;) {
        FollowChanges();
        ShowStatus();
        ShowScrollAmount();
        if (program.currentEntry != lastShown) {
            ShowFileName();
            lastShown = program.currentEntry;
        }
        DrawDataView();
        int result = KeyboardLoop();
        if (result != KEY_REDRAW) return result;
    }
}

// No terminal to show a screen on: the names load as for the screen, then
// go to standard output. The settings are neither read nor written.
int CopyRun(int argc, char** argv) {
    std::vector<int> copy;
    HoldCounts();  // a copy reads each file again from its start: no count is needed
    int started = StartUpFirstPhase(argc, argv, &copy);
    int status = started == START_USAGE ? EXIT_WRITTEN : EXIT_START_FAILED;
    if (started == START_OK) {
        CopyResult result = CopyToOutput(copy);
        status = result == COPY_DONE ? EXIT_WRITTEN : result == COPY_FAILED ? EXIT_WRITE_FAILED : EXIT_START_FAILED;
    }
    ReleaseMemory();
    return status;
}

}  // namespace

int MainLoop(int argc, char** argv) {
    ClearGlobalState();
    if (fullconsole() == nullptr) return CopyRun(argc, argv);
    int started = StartUp(argc, argv);
    if (started != START_OK) {
        // Nothing stored is written back after a failed start-up: the
        // settings were never read, so writing would replace them.
        ReleaseMemory();
        return started == START_USAGE ? EXIT_WRITTEN : EXIT_START_FAILED;
    }
    int result = RunCycles();
    if (result == KEY_END) {
        RestoreConsole();
    } else {
        ClearBottomLine();
    }
    return ShutDown();
}

// Puts back what the terminal showed before pk started (the terminal keeps
// that screen and its cursor itself). Without a saved copy the viewer's
// screen stays as it is.
void RestoreConsole() {
    if (program.savedCells == nullptr) {
        fullconsole()->leaveScreen(false);
    } else {
        fullconsole()->restoreScreen();
    }
}

// Blanks the key line (80 cells, light grey on black), puts the cursor at its
// start and leaves the last page in the terminal.
void ClearBottomLine() {
    Console* console = fullconsole();
    const ScreenLayout layout = CurrentLayout();
    Cell blanks[ScreenLayout{}.keyCells];
    for (Cell& cell : blanks) cell = Cell{' ', 0, 0x07};
    Rect target{0, layout.keyRow, int16_t(layout.keyCells - 1), layout.keyRow};
    console->writeCells(blanks, Coord{layout.keyCells, 1}, target);
    console->setCursorPosition(Coord{0, layout.keyRow});
    console->leaveScreen(true);
}

int ShutDown() {
    ReleaseMemory();
    return WriteSettings() ? EXIT_WRITTEN : EXIT_WRITE_FAILED;
}

}  // namespace pk
