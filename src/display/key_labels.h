// The function-key label bar on the screen's last row: one record per key
// {number, caption, scan code}, from which the bar's fields, their columns
// and the key a click on them means are all computed.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "panel/keys.h"

namespace pk {

struct KeyLabel {
    uint8_t number;            // the key's number, shown before its caption
    std::string_view caption;  // F2's changes with the scroll amount: "Half" or "Page"
    uint16_t scanCode;         // the key a click on the number or caption acts as
};

// The F11 and F12 captions are "<" and a horizontal line, and a horizontal
// line and ">": arrows in code page 437.
constexpr KeyLabel KEY_LABELS[] = {
    {1, "Help", SCAN_F1},  {2, "Half", SCAN_F2},  {3, "End", SCAN_F3},      {4, "Top", SCAN_F4},
    {5, "RFind", SCAN_F5}, {6, "RCmd", SCAN_F6},  {7, "Left", SCAN_F7},     {8, "Right", SCAN_F8},
    {9, "Bottom", SCAN_F9}, {10, "Next", SCAN_F10}, {11, "<\xC4", SCAN_F11}, {12, "\xC4>", SCAN_F12},
};
constexpr int KEY_LABEL_COUNT = int(std::size(KEY_LABELS));
constexpr int KEYS_FIELD_COUNT = 2 * KEY_LABEL_COUNT;  // a number and a caption per key

// Keys are numbered 1, 2, ... in table order: a click on field i (a number
// or a caption) means key i / 2 + 1.
constexpr bool NumberedInOrder() {
    for (int key = 0; key < KEY_LABEL_COUNT; ++key)
        if (KEY_LABELS[key].number != key + 1 || KEY_LABELS[key].caption.size() > 6) return false;
    return true;
}
static_assert(NumberedInOrder(), "keys 1 to 12 in order, captions of at most 6 characters");

constexpr uint16_t NumberWidth(int key) { return KEY_LABELS[key].number < 10 ? 1 : 2; }

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

static_assert(CaptionColumn(KEY_LABEL_COUNT - 1) + CaptionWidth(KEY_LABEL_COUNT - 1) - 1 == 80,
              "the bar is laid out for 80 columns");

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
