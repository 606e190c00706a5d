// Field display and the small screen operations: fullrow, fulldraw,
// fullclear, fullcursor and fullgoto.
#include <algorithm>
#include <memory>
#include <new>

#include "panel/cell_text.h"
#include "panel/panel_internal.h"

namespace pk {

using namespace panel_detail;

namespace {

constexpr int kSmallCursor = 10;
constexpr int kLargeCursor = 60;

uint16_t FieldAttribute(const PanelField& field) {
    // A colour index past the table would read outside it; such a field
    // takes entry 0.
    int index = field.colour < ATTRIBUTE_COUNT ? field.colour : 0;
    return Library().attributes[index];
}

}  // namespace

int fullrow(const PanelField& field) {
    if ((field.flags & FLD_BOTTOM) == 0) return field.row;
    return State().screen.window.bottom - field.row + 1;
}

namespace {

// A field shown as UTF-8: its cells laid out from the text, in its colour.
void DrawUtf8Field(const PanelField& field, Coord start, int shown) {
    std::unique_ptr<Cell[]> cells(new (std::nothrow) Cell[field.width]);
    if (!cells) return;
    std::fill_n(cells.get(), field.width, Cell{' ', CELL_GLYPH, FieldAttribute(field)});
    if (shown > 0 && field.text != nullptr)
        Utf8Cells(field.text + field.scrollOffset, uint32_t(shown), 0, false, cells.get(), field.width);
    Rect target{start.x, start.y, int16_t(start.x + field.width - 1), start.y};
    if (!Con().writeCells(cells.get(), Coord{int16_t(field.width), 1}, target)) StoreError();
}

}  // namespace

void fulldraw(const PanelField& field) {
    Coord start{int16_t(field.column - 1), int16_t(fullrow(field) - 1)};
    if (field.flags & FLD_UTF8) {
        DrawUtf8Field(field, start, int(field.textLength) - int(field.scrollOffset));
        return;
    }
    // Only bytes inside the text buffer are written: with a scroll offset
    // the visible part is at most the bytes from the offset to the end.
    int shown = std::min<int>(field.width, int(field.textLength) - int(field.scrollOffset));
    if (shown > 0 && field.text != nullptr) {
        if (!Con().writeChars(start, field.text + field.scrollOffset, shown)) StoreError();
    }
    std::unique_ptr<uint16_t[]> attrs(new (std::nothrow) uint16_t[field.width]);
    if (!attrs) return;
    std::fill_n(attrs.get(), field.width, FieldAttribute(field));
    if (!Con().writeAttrs(start, attrs.get(), field.width)) StoreError();
}

void fullclear(uint8_t attr) {
    const Coord& size = State().screen.bufferSize;
    int count = std::max(0, int(size.x) * int(size.y));
    if (!Con().fillAttrs(attr, count)) return StoreError();
    if (!Con().fillChars(' ', count)) StoreError();
}

void fullcursor(int size) {
    int current = 0;
    bool visible = false;
    if (!Con().getCursorInfo(current, visible)) StoreError();
    if (!Con().setCursorInfo(size == 1 ? kSmallCursor : kLargeCursor, true)) StoreError();
}

bool fullgoto(int x, int y) {
    if (!Con().setCursorPosition(Coord{int16_t(x), int16_t(y)})) return Failed(false);
    // Moving the cursor can scroll the window away from the origin.
    fullwindow();
    return true;
}

namespace panel_detail {

void DrawByStepRule(const PanelField& f) {
    uint32_t step = State().drawingStep;
    if ((f.flags & FLD_NODISPLAY) && step == 1) return;
    if ((f.flags & FLD_NOECHO) && step == 2) return;
    if (f.width == 0) return;
    fulldraw(f);
}

}  // namespace panel_detail

}  // namespace pk
