// The three ways of setting the find string: the find command's text (or
// quoted string or pattern, with keywords), the text after a slash, and
// hexadecimal digits after an apostrophe. Each is refused while EBCDIC
// translation is on. A stored string starts the next search at the top left
// of the screen, or for "first" and "last" at the top or the end of the
// file; a pattern is stored only when it compiles.
#include <algorithm>
#include <cstring>

#include "display/display_state.h"
#include "display/find.h"
#include "display/find_current.h"
#include "display/find_parse.h"
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

// Stores the find string (the buffer beyond it is cleared), its kind and
// direction, and sets where the search starts.
int Store(const uint8_t* bytes, size_t count, uint32_t kind, FindDirection direction = FIND_NEXT,
          bool countAll = false) {
    count = std::min<size_t>(count, FIND_MAX);
    std::memset(settings.findString, 0, sizeof settings.findString);
    std::memcpy(settings.findString, bytes, count);
    settings.findLength = uint16_t(count);
    settings.findKind = kind;
    settings.findBackward = direction == FIND_PREV || direction == FIND_LAST ? 1 : 0;
    StartFindAtView();
    if (direction == FIND_FIRST) CurrentEntry().findStart = FilePosition{1, 1, 0};
    if (direction == FIND_LAST) CurrentEntry().findStart = EndPosition();
    if (countAll) CountOnNextFind();
    return FIND_SET_RUN;
}

int StoreText(std::string_view text) {
    return Store(reinterpret_cast<const uint8_t*>(text.data()), text.size(), FIND_KIND_TEXT);
}

}  // namespace

int SetFindText(std::string_view parameter) {
    if (RefusedInThisMode()) return FIND_SET_MESSAGE;
    if (parameter.empty()) return settings.findString[0] == 0 ? Refuse("Parameter missing") : FIND_SET_NOTHING;
    FindCommand command = ParseFindParameter(parameter);
    if (!command.valid || (command.pattern && command.text.size() > FIND_MAX)) return Refuse("Invalid parameter");
    if (command.text.empty()) return Refuse("Parameter missing");
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(command.text.data());
    uint32_t kind = command.pattern ? FIND_KIND_PATTERN : FIND_KIND_TEXT;
    if (command.pattern) {
        Finder trial;
        size_t errorOffset = 0;
        if (!PrepareFind(RequestFor(std::span<const uint8_t>(bytes, command.text.size()), kind), trial, errorOffset)) {
            ReportBadPattern(errorOffset);
            return FIND_SET_MESSAGE;
        }
    }
    return Store(bytes, command.text.size(), kind, command.direction, command.count);
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
    return Store(bytes, size_t(count), FIND_KIND_HEX);
}

}  // namespace pk
