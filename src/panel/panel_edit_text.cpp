// The input editor's actions within the current field: typing in insert and
// overwrite mode, deleting, erasing, cursor moves and word moves. A field's
// text is a fixed buffer; a blank or a NUL counts as empty.
#include <cstring>

#include "panel/panel_edit.h"
#include "panel/ascii.h"

namespace pk::panel_detail {

namespace {

bool IsEmptyByte(uint8_t b) { return b == ' ' || b == 0; }

int Index(Editor& e) { return e.field().scrollOffset + e.pos; }

// The byte at text index t; positions from the text length on count as blank.
bool BlankAt(Editor& e, int t) {
    PanelField& f = e.field();
    return t >= f.textLength || IsEmptyByte(f.text[t]);
}

// Put the cursor on text index t, scrolling the field when t is not shown.
Outcome PlaceAt(Editor& e, int t) {
    PanelField& f = e.field();
    if (t < f.scrollOffset) {
        f.scrollOffset = uint16_t(t);
        e.pos = 0;
    } else if (t - f.scrollOffset < f.width) {
        e.pos = t - f.scrollOffset;
    } else {
        f.scrollOffset = uint16_t(t - f.width);
        e.pos = f.width;
    }
    return {Step::Redraw};
}

// Move the cursor one cell right after a typed character: within the field,
// else by scrolling the text, else to the cell just right of the field.
void Advance(Editor& e) {
    PanelField& f = e.field();
    if (e.pos < f.width - 1) {
        ++e.pos;
    } else if (f.scrollOffset < f.textLength - f.width) {
        ++f.scrollOffset;
    } else {
        ++e.pos;
    }
}

// Store one character at the cursor; gives the text index it went to, or
// -1 when the field has no room for it.
int TypeOnce(Editor& e, uint8_t c) {
    PanelField& f = e.field();
    int i = Index(e);
    int length = f.textLength;
    if (i >= length) return -1;
    if (State().insertMode) {
        if (!IsEmptyByte(f.text[length - 1])) return -1;
        std::memmove(f.text + i + 1, f.text + i, size_t(length - 1 - i));
    }
    f.text[i] = c;
    Advance(e);
    return i;
}

}  // namespace

Outcome TypeCharacter(Editor& e) {
    uint8_t c = uint8_t(e.ch);
    if (State().capsFlag) c = AsciiUpper(c);
    int repeats = e.repeat > 1 ? e.repeat : 1;
    for (int typed = 0; typed < repeats; ++typed) {
        int i = TypeOnce(e, c);
        if (i < 0) {
            // Characters typed before the field filled up are shown.
            if (typed > 0) RedrawField(e);
            return {Step::Error};
        }
        PanelField& f = e.field();
        if (i + 1 == f.textLength && (f.flags & FLD_AUTOSKIP)) {
            DrawByStepRule(f);
            return NextField(e);
        }
    }
    return {Step::Redraw};
}

Outcome DeleteLeft(Editor& e) {
    PanelField& f = e.field();
    int i = Index(e);
    if (i == 0) return {Step::Error};
    // Past the end of the text there is no byte left of the cursor to take
    // out; only the cursor moves.
    if (i <= f.textLength) {
        std::memmove(f.text + i - 1, f.text + i, size_t(f.textLength - i));
        f.text[f.textLength - 1] = ' ';
    }
    if (e.pos > 0) {
        --e.pos;
    } else if (f.scrollOffset > 0) {
        --f.scrollOffset;
    }
    return {Step::Redraw};
}

Outcome DeleteAtCursor(Editor& e) {
    PanelField& f = e.field();
    int i = Index(e);
    if (i >= f.textLength) return {Step::Error};
    std::memmove(f.text + i, f.text + i + 1, size_t(f.textLength - 1 - i));
    f.text[f.textLength - 1] = ' ';
    return {Step::Redraw};
}

Outcome EraseToEnd(Editor& e) {
    PanelField& f = e.field();
    int i = Index(e);
    if (i >= f.textLength) return {Step::Error};
    std::memset(f.text + i, ' ', size_t(f.textLength - i));
    return {Step::Redraw};
}

Outcome ClearField(Editor& e) {
    PanelField& f = e.field();
    std::memset(f.text, ' ', f.textLength);
    f.scrollOffset = 0;
    e.pos = 0;
    return {Step::Redraw};
}

Outcome CursorLeft(Editor& e) {
    PanelField& f = e.field();
    if (e.pos > 0) {
        --e.pos;
        return {Step::PlaceCursor};
    }
    if (f.scrollOffset > 0) {
        --f.scrollOffset;
        return {Step::Redraw};
    }
    return PreviousField(e);
}

Outcome CursorRight(Editor& e) {
    PanelField& f = e.field();
    if (e.pos < f.width - 1) {
        ++e.pos;
        return {Step::PlaceCursor};
    }
    if (f.scrollOffset < f.textLength - f.width) {
        ++f.scrollOffset;
        return {Step::Redraw};
    }
    return NextField(e);
}

Outcome CursorHome(Editor& e) {
    e.field().scrollOffset = 0;
    e.pos = 0;
    return {Step::Redraw};
}

Outcome BackTab(Editor& e) {
    if (e.pos == 0) return PreviousField(e);
    e.pos = 0;
    return {Step::Redraw};
}

Outcome EndOfText(Editor& e) {
    PanelField& f = e.field();
    int n = fulltextend(f);
    if (n <= f.width) {
        f.scrollOffset = 0;
        e.pos = n;
    } else {
        f.scrollOffset = uint16_t(n - f.width);
        e.pos = f.width;
    }
    return {Step::Redraw};
}

Outcome WordLeft(Editor& e) {
    int t = Index(e);
    if (t == 0) return {Step::Error};
    if (!BlankAt(e, t) && BlankAt(e, t - 1)) --t;
    while (t > 0 && BlankAt(e, t)) --t;
    if (!BlankAt(e, t)) {
        while (t > 0 && !BlankAt(e, t - 1)) --t;
    }
    return PlaceAt(e, t);
}

Outcome WordRight(Editor& e) {
    int n = fulltextend(e.field());
    int t = Index(e);
    if (t == n) return {Step::Error};
    if (t > n) return PlaceAt(e, n);
    while (t < n && !BlankAt(e, t)) ++t;
    while (t < n && BlankAt(e, t)) ++t;
    return PlaceAt(e, t);
}

}  // namespace pk::panel_detail
