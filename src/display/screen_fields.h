// The widths and text buffers of the main screen's run-time fields, shared
// by the panel tables and the routines that fill them.
#pragma once

#include <cstdint>

#include "display/display_state.h"

namespace pk {

constexpr uint16_t TITLE_NAME_WIDTH = 73;
constexpr uint16_t MESSAGE_FIELD_WIDTH = 21;
constexpr uint16_t STATUS_FIELD_WIDTH = 58;

// The shown part of the file name and of messageText, blank-padded.
extern uint8_t titleNameText[TITLE_NAME_WIDTH];
extern uint8_t messageFieldText[MESSAGE_SIZE];  // a long message takes more than the field

}  // namespace pk
