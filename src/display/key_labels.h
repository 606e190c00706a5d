// The function-key label bar on the screen's last row: one record per key
// {caption, scan code}, keys numbered 1, 2, ... in table order, from which
// the bar's fields, their columns and the key a click on them means are all
// computed.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "display/screen_layout.h"
#include "panel/keys.h"

namespace pk {

struct KeyLabel {
    std::string_view caption;  // F2's changes with the scroll amount: "Half" or "Page"
    uint16_t scanCode;         // the key a click on the number or caption acts as
};

// The F11 and F12 captions are "<" and a horizontal line, and a horizontal
// line and ">": arrows in code page 437.
constexpr KeyLabel KEY_LABELS[] = {
    {"Help", SCAN_F1},   {"Half", SCAN_F2},  {"End", SCAN_F3},     {"Top", SCAN_F4},
    {"RFind", SCAN_F5},  {"RCmd", SCAN_F6},  {"Left", SCAN_F7},    {"Right", SCAN_F8},
    {"Bottom", SCAN_F9}, {"Next", SCAN_F10}, {"<\xC4", SCAN_F11}, {"\xC4>", SCAN_F12},
};
constexpr int KEY_LABEL_COUNT = int(std::size(KEY_LABELS));
constexpr int KEYS_FIELD_COUNT = 2 * KEY_LABEL_COUNT;  // a number and a caption per key

// Field i (a number or a caption) belongs to the key at index i / 2, whose
// number is i / 2 + 1.
constexpr int KeyNumber(int key) { return key + 1; }

constexpr bool CaptionsFit() {
    for (const KeyLabel& label : KEY_LABELS)
        if (label.caption.size() > 6) return false;
    return true;
}
static_assert(KEY_LABEL_COUNT <= 99 && CaptionsFit(), "numbers of at most 2 digits, captions of at most 6");

constexpr uint16_t NumberWidth(int key) { return KeyNumber(key) < 10 ? 1 : 2; }

// The 1-based column of a key's number. Each number ends three columns
// after the caption before it: a one-digit number has two blanks before it,
// a two-digit one a single blank.
constexpr uint16_t NumberColumn(int key) {
    int column = 1;
    for (int k = 0; k < key; ++k) column += NumberWidth(k) + int(KEY_LABELS[k].caption.size()) + 3 - NumberWidth(k + 1);
    return uint16_t(column);
}
constexpr uint16_t CaptionColumn(int key) { return uint16_t(NumberColumn(key) + NumberWidth(key)); }
constexpr uint16_t CaptionWidth(int key) { return uint16_t(KEY_LABELS[key].caption.size()); }

static_assert(CaptionColumn(KEY_LABEL_COUNT - 1) + CaptionWidth(KEY_LABEL_COUNT - 1) - 1 == ScreenLayout{}.keyCells,
              "the bar fills the layout's key line");

// The scan code of function key n: the key table's F-keys are the bar's.
constexpr uint16_t FunctionKeyScan(int n) { return KEY_LABELS[n - 1].scanCode; }

// The scan code of the key whose number or caption covers the 0-based
// column, or 0 when none does.
constexpr uint16_t KeyLabelAt(int column) {
    for (int key = 0; key < KEY_LABEL_COUNT; ++key) {
        int first = NumberColumn(key) - 1;
        int last = CaptionColumn(key) + CaptionWidth(key) - 2;
        if (column >= first && column <= last) return KEY_LABELS[key].scanCode;
    }
    return 0;
}

}  // namespace pk
