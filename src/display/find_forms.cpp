// The three ways of setting the find string: the find command's text, the
// text after a slash, and hexadecimal digits after an apostrophe. Each is
// refused while EBCDIC translation is on; a stored string starts the next
// search at the top left of the screen.
#include <algorithm>
#include <cstring>

#include "display/display_state.h"
#include "display/find.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "panel/ascii.h"

namespace pk {

namespace {

bool RefusedInThisMode() {
    if (!display.ebcdicOn) return false;
    SetMessage("Invalid in this mode");
    return true;
}

int Refuse(const char* message) {
    SetMessage(message);
    return FIND_SET_MESSAGE;
}

// Stores the find string (the buffer beyond it is cleared) and starts the
// search from the view.
int Store(const uint8_t* bytes, size_t count) {
    count = std::min<size_t>(count, FIND_MAX);
    std::memset(settings.findString, 0, sizeof settings.findString);
    std::memcpy(settings.findString, bytes, count);
    settings.findLength = uint16_t(count);
    StartFindAtView();
    return FIND_SET_RUN;
}

int StoreText(std::string_view text) {
    return Store(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

int SetFindText(std::string_view parameter) {
    if (RefusedInThisMode()) return FIND_SET_MESSAGE;
    if (parameter.empty()) return settings.findString[0] == 0 ? Refuse("Parameter missing") : FIND_SET_NOTHING;
    return StoreText(parameter);
}

int SetFindSlash(std::string_view afterSlash) {
    if (RefusedInThisMode()) return FIND_SET_MESSAGE;
    if (afterSlash.empty()) return Refuse("Invalid command");
    return StoreText(afterSlash);
}

int SetFindHex(std::string_view digits) {
    if (RefusedInThisMode()) return FIND_SET_MESSAGE;
    if (digits.empty()) return Refuse("Parameter missing");
    if (digits.size() % 2 != 0 || !std::all_of(digits.begin(), digits.end(), IsHexDigit))
        return Refuse("Invalid parameter");
    uint8_t bytes[FIND_MAX];
    int count = HexToBytes(digits.substr(0, 2 * FIND_MAX), bytes);
    return Store(bytes, size_t(count));
}

}  // namespace pk
