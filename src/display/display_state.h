// The display state shared by the views, the status fields, find and the
// keyboard: one value each for the whole program, all starting at 0.
#pragma once

#include <cstdint>

namespace pk {

constexpr int MESSAGE_SIZE = 80;
constexpr int STATUS_SIZE = 128;

struct DisplayState {
    uint32_t hexView = 0;       // 0 text view, 1 hex view
    uint32_t ebcdicOn = 0;      // data shown translated through EbcdicTable
    uint32_t printXlatOn = 0;   // set by "xla p", read by no view
    uint32_t scrollPage = 0;    // 1 "Page", 0 "Half"
    uint32_t foundLength = 0;   // length of the most recent successful find
    uint16_t exactCase = 0;     // 1 exact, 0 ASCII letters fold
    char messageText[MESSAGE_SIZE] = {};  // NUL-terminated; 21 shown
    char statusText[STATUS_SIZE] = {};
};

extern DisplayState display;

// Back to the start (all zero).
void ResetDisplay();

// Text is shown as UTF-8 (the text view, the title, the command line): the
// setting is on and EBCDIC translation is off.
bool ShowingUtf8();

// Put a message (cut to fit) into messageText.
void SetMessage(const char* text);
void ClearMessage();

}  // namespace pk
