// The data area shared by both views: clearing the composed cells, writing
// them to the console in one call, and drawing the view that is shown.
#include <algorithm>

#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/program_state.h"
#include "panel/panel.h"

namespace pk {

void ClearDataArea() {
    if (program.viewCells == nullptr) return;
    static constexpr Cell blank{' ', 0, ATTR_NORMAL};
    size_t count = size_t(program.screenWidth) * program.dataRows;
    std::fill_n(program.viewCells, count, blank);
}

void WriteDataArea() {
    if (fullconsole() == nullptr || program.viewCells == nullptr || program.dataRows == 0) return;
    Coord blockSize{int16_t(program.screenWidth), int16_t(program.dataRows)};
    const int16_t top = CurrentLayout().dataTop;
    Rect target{0, top, int16_t(program.screenWidth - 1), int16_t(top + program.dataRows - 1)};
    // A failed write leaves the old screen; the next pass of the main loop
    // draws again, so the error is not kept.
    (void)fullconsole()->writeCells(program.viewCells, blockSize, target);
}

void DrawDataView() {
    if (display.hexView) {
        DrawHexView();
    } else {
        DrawTextView();
    }
}

}  // namespace pk
