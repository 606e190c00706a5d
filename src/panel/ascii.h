// ASCII helpers shared by every layer (so they sit in the lowest one): hex
// digits and A-Z/a-z case folding.
// pk's finds and command words fold only these 52 letters, whatever the
// locale, so the C library's locale-dependent functions are not used.
#pragma once

#include <cstdint>

namespace pk {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hex digit (either case), or -1 for any other character.
constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
constexpr bool IsHexDigit(char c) { return HexValue(c) >= 0; }

constexpr uint8_t AsciiLower(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c | 0x20) : c; }
constexpr uint8_t AsciiUpper(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c & ~0x20) : c; }
constexpr char AsciiLower(char c) { return char(AsciiLower(uint8_t(c))); }

}  // namespace pk
