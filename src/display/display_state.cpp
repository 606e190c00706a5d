// The display state shared by the views, the status fields, find and the
// keyboard, its reset and the two operations on its message buffer.
#include "display/display_state.h"

#include <cstring>

#include "files/program_state.h"

namespace pk {

DisplayState display;

bool ShowingUtf8() { return settings.utf8On && !display.ebcdicOn; }

void ResetDisplay() { display = DisplayState{}; }

// Copies text into messageText, cut so that the terminating NUL always fits;
// the rest of the buffer is cleared so no tail of an older message remains.
void SetMessage(const char* text) {
    std::memset(display.messageText, 0, MESSAGE_SIZE);
    if (text == nullptr) return;
    size_t length = strnlen(text, MESSAGE_SIZE - 1);
    std::memcpy(display.messageText, text, length);
}

void ClearMessage() {
    std::memset(display.messageText, 0, MESSAGE_SIZE);
}

}  // namespace pk
