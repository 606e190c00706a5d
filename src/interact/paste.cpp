// Pasted text: the clipboard (Ctrl+V) or the terminal's own paste fills the
// paste buffer, whose characters the keyboard loop then takes one by one,
// ahead of any console input, as if they were typed.
#include <string>

#include "interact/keyboard_state.h"
#include "panel/key_decode.h"
#include "panel/panel.h"

namespace pk {

void FillPasteBuffer(std::string_view text) {
    size_t limit = text.size() < PASTE_SIZE ? text.size() : PASTE_SIZE;
    int16_t count = 0;
    for (size_t i = 0; i < limit; ++i) {
        uint8_t ch = static_cast<uint8_t>(text[i]);
        if (ch == 0) break;
        if (ch == '\r' || ch == '\n') continue;
        keyboard.pasteBuffer[count++] = ch;
    }
    keyboard.pasteBuffer[count] = 0;
    keyboard.pasteCount = count;
    keyboard.pastePosition = 0;
}

void StartPaste() {
    std::string text;
    if (!fullconsole()->readClipboard(text)) return;
    FillPasteBuffer(text);
}

bool TakePastedKey(InputRecord& record) {
    if (keyboard.pasteCount == 0) return false;
    record = MakeKey(0, 0, keyboard.pasteBuffer[keyboard.pastePosition++], 0);
    if (keyboard.pastePosition >= keyboard.pasteCount) keyboard.pasteCount = 0;
    return true;
}

}  // namespace pk
