// The program-wide records that every subsystem reads: ProgramState (the
// console geometry and cell blocks, the current file, the settings path) and
// Settings (the find string, the tab setting and the choice between UTF-8
// and bytes, which outlive a run).
#pragma once

#include <climits>
#include <cstdint>

#include "panel/console.h"

namespace pk {

constexpr int NAME_SIZE = PATH_MAX;  // full paths, with their terminating NUL

struct ProgramState {
    uint16_t screenHeight = 0;
    uint16_t screenWidth = 0;
    uint16_t dataRows = 0;       // screenHeight - 4
    uint16_t hexPageBytes = 0;   // dataRows * 16
    Cell* savedCells = nullptr;  // screenWidth * screenHeight, or none
    Cell* viewCells = nullptr;   // screenWidth * screenHeight
    Rect window;
    int32_t currentEntry = 0;
    char settingsPath[NAME_SIZE] = {};
};

constexpr int FIND_MAX = 250;

// What the find string is.
enum FindKind : uint32_t {
    FIND_KIND_TEXT = 0,     // typed bytes; in the text view a hit stays within a line
    FIND_KIND_HEX = 1,      // bytes given in hex; line ends are bytes like any other
    FIND_KIND_PATTERN = 2,  // a regular expression
};

struct Settings {
    uint16_t findLength = 0;          // 0 = no find string
    uint8_t findString[FIND_MAX] = {};
    uint32_t findKind = FIND_KIND_TEXT;
    uint32_t findBackward = 0;        // 1 = the repeat find goes backward
    uint32_t tabsOn = 0;              // 1 = expand tabs to 8-column stops
    uint32_t utf8On = 0;              // 1 = text shown as UTF-8, 0 = as bytes
};

extern ProgramState program;
extern Settings settings;

// Both records back to their start (all zero).
void ResetProgramState();

}  // namespace pk
