// Where the main screen's parts stand on a terminal of a given size: the
// three rows at the top (title, status, command line), the data area below
// them and the key labels on the last row. Every part of pk that places
// something on the main screen takes its rows and columns from here.
#pragma once

#include <algorithm>
#include <cstdint>

namespace pk {

// Rows and columns are 0-based.
struct ScreenLayout {
    int16_t width = 0;
    int16_t height = 0;
    int16_t commandRow = 2;      // "COMMAND ==>" and the command window after it
    int16_t commandColumn = 12;  // the command window's first column
    int16_t dataTop = 3;         // the data area's first row
    uint16_t dataRows = 0;       // from dataTop to the row above the key labels
    int16_t keyRow = 0;          // the key labels
    int16_t keyCells = 80;       // the key-label bar's width
};

// Above 4099 rows a hex page (16 bytes a row) would not fit in 16 bits; the
// rows below stay blank.
constexpr int MAX_SCREEN_HEIGHT = UINT16_MAX / 16 + 4;

// The layout of a width x height terminal, its size held to what the screen
// can use: at least one column and the five rows of a one-row data area.
constexpr ScreenLayout MakeScreenLayout(int width, int height) {
    ScreenLayout layout;
    layout.width = int16_t(std::clamp(width, 1, int(INT16_MAX)));
    layout.height = int16_t(std::clamp(height, layout.dataTop + 2, MAX_SCREEN_HEIGHT));
    layout.keyRow = int16_t(layout.height - 1);
    layout.dataRows = uint16_t(layout.keyRow - layout.dataTop);
    return layout;
}

}  // namespace pk
