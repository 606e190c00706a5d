// The input editor's working record and its actions, shared by the files of
// the editor (the key loop, the text actions and the moves between fields).
#pragma once

#include "panel/panel_internal.h"

namespace pk::panel_detail {

struct Editor {
    uint32_t flags;
    int count;          // fields in the panel
    PanelField* panel;
    int current;        // index of the input field with the cursor
    int pos;            // cursor cell within the field's visible part
    int32_t ch;         // the key being handled
    int32_t scan;
    int32_t repeat;

    PanelField& field() { return panel[current]; }
};

// What the loop does after an action, before it reads the next key.
enum class Step { ReadKey, PlaceCursor, Redraw, Error, End };

struct Outcome {
    Step step;
    uint32_t result = 0;  // with Step::End
};

// Cursor and drawing.
void PlaceCursor(Editor& e);
void RedrawField(Editor& e);

// Actions on the current field's text and cursor (panel_edit_text.cpp).
Outcome TypeCharacter(Editor& e);
Outcome DeleteLeft(Editor& e);
Outcome DeleteAtCursor(Editor& e);
Outcome EraseToEnd(Editor& e);
Outcome ClearField(Editor& e);
Outcome CursorLeft(Editor& e);
Outcome CursorRight(Editor& e);
Outcome CursorHome(Editor& e);
Outcome BackTab(Editor& e);
Outcome EndOfText(Editor& e);
Outcome WordLeft(Editor& e);
Outcome WordRight(Editor& e);

// Moves between input fields (panel_edit_moves.cpp).
int FirstInputField(const Editor& e);
Outcome MoveTo(Editor& e, int index);
Outcome NextField(Editor& e);
Outcome PreviousField(Editor& e);
Outcome FirstField(Editor& e);
Outcome NextRow(Editor& e);
Outcome RowUp(Editor& e);
Outcome RowDown(Editor& e);

}  // namespace pk::panel_detail
