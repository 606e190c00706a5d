// The second phase of start-up: the panel library and its colours, the
// screen's geometry, the cursor, the two cell blocks, the fixed fields of the
// main screen, a blank command line and the stored settings. Also StartUp,
// which runs both phases.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "app/startup.h"
#include "app/startup_output.h"
#include "display/screen.h"
#include "files/file_feed.h"
#include "files/file_map.h"
#include "files/program_state.h"
#include "files/standard_input.h"
#include "files/system_error.h"
#include "interact/command_state.h"
#include "interact/follow.h"
#include "panel/panel.h"

namespace pk {

namespace {

constexpr int START_CURSOR_SIZE = 12;
// How long input still arriving may keep the first screen waiting.
constexpr int FIRST_SCREEN_MS = 100;

// Explains a refused fullinit in one line: a terminal that cannot move its
// cursor, one that is too small, or the system's reason.
void ReportInitFailure(Console* console) {
    int error = console ? console->lastError() : 0;
    if (error == ENOTSUP) {
        const char* term = std::getenv("TERM");
        PrintError(std::string("pk cannot run on TERM=") + (term ? term : "") +
                   ": that terminal cannot move its cursor.");
        return;
    }
    ScreenInfo info;
    if (error == ERANGE && console && console->queryScreen(info)) {
        std::fprintf(stderr, "The terminal must be at least %d columns by %d rows; it is %d columns by %d rows.\n",
                     MIN_COLUMNS, MIN_ROWS, info.bufferSize.x, info.bufferSize.y);
    } else if (error == ERANGE) {
        std::fprintf(stderr, "The terminal must be at least %d columns by %d rows.\n", MIN_COLUMNS, MIN_ROWS);
    } else {
        std::fprintf(stderr, "Cannot set up the terminal, rc = %s\n",
                     SystemErrorText(static_cast<uint32_t>(error)).c_str());
    }
}

void SetStartCursor(Console* console) {
    int size = 0;
    bool visible = false;
    if (console->getCursorInfo(size, visible)) console->setCursorInfo(START_CURSOR_SIZE, true);
}

size_t ScreenCells() {
    return static_cast<size_t>(program.screenWidth) * program.screenHeight;
}

// The block for what the screen showed; without memory pk goes on without
// it. A terminal cannot be read back: the terminal keeps that screen itself
// (the alternate screen), so the block stays zero-filled and untouched.
void SaveScreen() {
    program.savedCells = static_cast<Cell*>(std::calloc(ScreenCells(), sizeof(Cell)));
}

}  // namespace

int ConsoleSetUp() {
    Console* console = fullconsole();
    ConsoleState* state = fullinit();
    if (state == nullptr) {
        ReportInitFailure(console);
        return START_FAILED;
    }
    fullattr(START_ATTRIBUTES);
    const Rect& window = state->screen.window;
    SetScreenLayout(window.right - window.left + 1, window.bottom - window.top + 1);
    SetStartCursor(console);

    program.viewCells = static_cast<Cell*>(std::calloc(ScreenCells(), sizeof(Cell)));
    if (program.viewCells == nullptr) {
        // Give the terminal back first, so that the line stays visible.
        console->restoreScreen();
        std::fprintf(stderr, "Insufficient memory (%u bytes) for screen buffer.\n",
                     static_cast<unsigned>(ScreenCells() * sizeof(Cell)));
        return START_FAILED;
    }
    SaveScreen();

    ReadSettings();  // first: the title shows the name as UTF-8 or as bytes
    // The terminal layer took SIGBUS for its own ending; mapped files need
    // the guard before it. Input still arriving gets a moment to fill the
    // first screen.
    GuardMappedFiles();
    SetCountWaiter(WaitForCount);
    AwaitLines(CurrentEntry(), program.dataRows, FIRST_SCREEN_MS);
    fullpanel(PNL_CLEAR, TitlePanel);
    ShowFileName();
    std::memset(commands.commandLine, ' ', COMMAND_SIZE);
    commands.commandLine[COMMAND_SIZE] = '\0';
    return START_OK;
}

int StartUp(int argc, char** argv) {
    HoldCounts();  // until the first screen is out (the keyboard loop starts them)
    int first = StartUpFirstPhase(argc, argv);
    if (first != START_OK) return first;
    return ConsoleSetUp();
}

}  // namespace pk
