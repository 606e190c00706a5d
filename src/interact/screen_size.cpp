// Following a change of the screen's size (see screen_size.h).
#include "interact/screen_size.h"

#include <cstdlib>

#include "display/screen.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "interact/movement.h"
#include "panel/panel.h"

namespace pk {

bool FollowScreenSize() {
    ScreenInfo info;
    if (!fullconsole()->queryScreen(info)) return false;
    int width = info.window.right - info.window.left + 1;
    int height = info.window.bottom - info.window.top + 1;
    size_t cells = size_t(width) * size_t(height);
    Cell* view = static_cast<Cell*>(std::calloc(cells, sizeof(Cell)));
    // The copy of the start-up screen is a zero-filled block of the screen's
    // size; without memory for it pk goes on without it, as at start-up.
    Cell* saved = program.savedCells ? static_cast<Cell*>(std::calloc(cells, sizeof(Cell))) : nullptr;
    if (view == nullptr) {
        std::free(saved);
        return false;
    }
    std::free(program.viewCells);
    std::free(program.savedCells);
    program.viewCells = view;
    program.savedCells = saved;

    bool atBottom[FILE_SLOTS] = {};
    for (int i = 0; i < FILE_SLOTS; ++i) atBottom[i] = fileTable[i].data && ShowsLastPage(fileTable[i]);
    SetScreenLayout(width, height);
    for (int i = 0; i < FILE_SLOTS; ++i) {
        if (atBottom[i]) KeepLastPage(fileTable[i]);
    }
    return true;
}

}  // namespace pk
