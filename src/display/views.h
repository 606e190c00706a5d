// The two views of the data area: text lines and the hex dump, and the
// EBCDIC table both apply while translation is on. Each view composes the
// whole data area in program.viewCells and writes it with one console call.
#pragma once

#include <cstdint>

#include "panel/console.h"

namespace pk {

constexpr uint16_t ATTR_NORMAL = 0x07;  // light grey on black
constexpr uint16_t ATTR_FOUND = 0x0F;   // bright white on black: found bytes
constexpr int64_t NO_OFFSET = -1;       // PutCells: the string shows no data

extern const uint8_t EbcdicTable[256];

void DrawTextView();
void DrawHexView();
void DrawDataView();  // the one of the two the display shows

// Fills one screen row (program.screenWidth cells, already blank) for a line
// of text of the current file, starting at display column view.column.
void BuildTextRow(const uint8_t* start, uint64_t length, Cell* row, uint64_t lineNumber);
// Writes one cell per byte of s. hexDigits: s holds two hex digits per data
// byte; offset: data offset of the first byte s shows (NO_OFFSET for none),
// used for the find highlight; filter: s holds data bytes shown as
// characters (EBCDIC-translated when on, "." when not printable).
void PutCells(Cell* target, const uint8_t* s, int length, bool hexDigits, int64_t offset, bool filter);
// 2n upper-case hex digits of n bytes; returns 2n.
int BytesToHex(const uint8_t* source, int n, uint8_t* target);

// Sets every cell of the data area to a blank with attribute 7.
void ClearDataArea();
// Writes the composed data area (the layout's dataRows from its dataTop) to
// the console; a failed write is dropped, the next pass draws again.
void WriteDataArea();

}  // namespace pk
