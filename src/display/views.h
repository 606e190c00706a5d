// The two views of the data area: text lines and the hex dump, and the
// EBCDIC table both apply while translation is on.
#pragma once

#include <cstdint>

#include "panel/console.h"

namespace pk {

extern const uint8_t EbcdicTable[256];

void DrawTextView();
void DrawHexView();

// Fills one screen row of cells for a line of text.
void BuildTextRow(const uint8_t* start, uint32_t length, Cell* row, uint32_t lineNumber);
// Writes one cell per byte of s; see the hex view for the meaning of flags.
// offset < 0 means "no offset".
void PutCells(Cell* target, const uint8_t* s, int length, bool hexDigits, int64_t offset, bool filter);
// 2n upper-case hex digits of n bytes; returns 2n.
int BytesToHex(const uint8_t* source, int n, uint8_t* target);

}  // namespace pk
