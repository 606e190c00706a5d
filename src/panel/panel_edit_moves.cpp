// The input editor's moves between input fields: next, previous and first
// field, the next row, and row up and down (to the field in the same column
// where there is one). Searches wrap around the panel; rows are compared as
// fullrow gives them, so bottom-anchored fields take part by screen row.
#include <algorithm>

#include "panel/panel_edit.h"

namespace pk::panel_detail {

namespace {

// The index step fields from index, wrapping both ways.
int Wrap(const Editor& e, int index, int step) { return ((index + step) % e.count + e.count) % e.count; }

bool IsInput(const Editor& e, int index) { return IsInputField(e.panel[index]); }

int RowOf(const Editor& e, int index) { return fullrow(e.panel[index]); }

// The first input field from the current one in direction dir (+1 or -1)
// that is not on row; -1 when no such field lies within count fields.
int OtherRowField(const Editor& e, int dir, int row) {
    for (int k = 1; k <= e.count; ++k) {
        int idx = Wrap(e, e.current, dir * k);
        if (IsInput(e, idx) && RowOf(e, idx) != row) return idx;
    }
    return -1;
}

// From start in direction dir over the input fields on start's row (stopping
// at the first input field of another row), the one in column; -1 if none.
int SameColumnOnRow(const Editor& e, int start, int dir, int column) {
    int row = RowOf(e, start);
    for (int k = 0; k < e.count; ++k) {
        int idx = Wrap(e, start, dir * k);
        if (!IsInput(e, idx)) continue;
        if (RowOf(e, idx) != row) break;
        if (e.panel[idx].column == column) return idx;
    }
    return -1;
}

// Make index the current field keeping the cursor cell, which stays within
// the new field or just right of it.
Outcome KeepColumn(Editor& e, int index) {
    e.current = index;
    e.pos = std::min<int>(e.pos, e.panel[index].width);
    return {Step::PlaceCursor};
}

// Row up and row down: the field in the same column on the next row that
// has input fields in direction dir, else that row's first field reached.
Outcome MoveRow(Editor& e, int dir, int target) {
    int found = SameColumnOnRow(e, target, dir, e.field().column);
    if (found >= 0) return KeepColumn(e, found);
    return MoveTo(e, target);
}

// The earliest input field of the last input field's row, going backwards
// from it without wrapping.
int StartOfLastRow(const Editor& e) {
    int last = e.count - 1;
    while (last > 0 && !IsInput(e, last)) --last;
    int row = RowOf(e, last);
    int earliest = last;
    for (int idx = last - 1; idx >= 0; --idx) {
        if (!IsInput(e, idx)) continue;
        if (RowOf(e, idx) != row) break;
        earliest = idx;
    }
    return earliest;
}

}  // namespace

int FirstInputField(const Editor& e) {
    for (int i = 0; i < e.count; ++i) {
        if (IsInput(e, i)) return i;
    }
    return -1;
}

Outcome MoveTo(Editor& e, int index) {
    e.current = index;
    e.pos = 0;
    return {Step::PlaceCursor};
}

Outcome NextField(Editor& e) {
    for (int k = 1; k <= e.count; ++k) {
        int idx = Wrap(e, e.current, k);
        if (IsInput(e, idx)) return MoveTo(e, idx);
    }
    return MoveTo(e, e.current);
}

Outcome PreviousField(Editor& e) {
    for (int k = 1; k <= e.count; ++k) {
        int idx = Wrap(e, e.current, -k);
        if (IsInput(e, idx)) return MoveTo(e, idx);
    }
    return MoveTo(e, e.current);
}

Outcome FirstField(Editor& e) { return MoveTo(e, FirstInputField(e)); }

Outcome NextRow(Editor& e) {
    int idx = OtherRowField(e, +1, RowOf(e, e.current));
    return MoveTo(e, idx >= 0 ? idx : e.current);
}

Outcome RowUp(Editor& e) {
    int target = OtherRowField(e, -1, RowOf(e, e.current));
    if (target < 0) return FirstField(e);
    return MoveRow(e, -1, target);
}

Outcome RowDown(Editor& e) {
    int target = OtherRowField(e, +1, RowOf(e, e.current));
    if (target < 0) return MoveTo(e, StartOfLastRow(e));
    return MoveRow(e, +1, target);
}

}  // namespace pk::panel_detail
