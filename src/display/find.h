// Find: the ways of setting the find string, and the search of the current
// file, forward or backward, in the text view (a hit within a line, but for
// a hex string) and in the hex view (a plain byte range).
#pragma once

#include <cstdint>
#include <string_view>

#include "files/file_table.h"

namespace pk {

// Outcome of a find-setting form.
constexpr int FIND_SET_NOTHING = 0;  // nothing to do (no message)
constexpr int FIND_SET_RUN = 1;      // string stored: run the find
constexpr int FIND_SET_MESSAGE = 2;  // refused; messageText holds why

// The find command's parameter (after the word and its blanks): unquoted
// text as it stands, or a quoted string or pattern with keywords.
int SetFindText(std::string_view parameter);
// The text after a leading "/" (up to the last non-blank).
int SetFindSlash(std::string_view afterSlash);
// The hex digits of a word that began with "'".
int SetFindHex(std::string_view digits);

// The next find starts at the view's top left: findStart = view, its column
// the byte column of the first cell's character while text is shown as UTF-8.
void StartFindAtView();
// Searches from findStart in the stored direction: FIND_HIT, or
// FIND_HIT_COUNTED when the hit's count is in the message field; 0 for none.
constexpr int FIND_HIT = 1;
constexpr int FIND_HIT_COUNTED = 2;
int RunFind();
// The next RunFind also counts every hit and shows the count.
void CountOnNextFind();
// A position beyond the end of any file: a backward search from it finds the
// last hit.
FilePosition EndPosition();
int RevealFoundText();
int RevealFoundBytes();
// Pairs of hex digits to bytes; returns the byte count.
int HexToBytes(std::string_view digits, uint8_t* out);

}  // namespace pk
