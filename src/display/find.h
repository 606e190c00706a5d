// Find: the three ways of setting the find string and the forward search in
// text view (line by line) and hex view (a plain byte range).
#pragma once

#include <cstdint>
#include <string_view>

namespace pk {

// Outcome of a find-setting form.
constexpr int FIND_SET_NOTHING = 0;  // nothing to do (no message)
constexpr int FIND_SET_RUN = 1;      // string stored: run the find
constexpr int FIND_SET_MESSAGE = 2;  // refused; messageText holds why

// The find command's parameter (after the word and its blanks).
int SetFindText(std::string_view parameter);
// The text after a leading "/" (up to the last non-blank).
int SetFindSlash(std::string_view afterSlash);
// The hex digits of a word that began with "'".
int SetFindHex(std::string_view digits);

// The next find starts at the view's top left: findStart = view, its column
// the byte column of the first cell's character while text is shown as UTF-8.
void StartFindAtView();
int RunFind();
// FindInText's result when the user abandoned the wait for the count.
constexpr int FIND_ABANDONED = -1;
int FindInText(const uint8_t* s, uint32_t n);
int FindInHex(const uint8_t* s, uint32_t n);
int RevealFoundText();
int RevealFoundBytes();
// Pairs of hex digits to bytes; returns the byte count.
int HexToBytes(std::string_view digits, uint8_t* out);

}  // namespace pk
