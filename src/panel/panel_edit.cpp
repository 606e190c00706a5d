// The input editor's key loop: fulledit reads keys and runs the action that
// the character-key or scan-code table names; fulltextend.
#include <cstring>

#include "panel/panel_edit.h"

namespace pk {

using namespace panel_detail;

namespace {

using Action = Outcome (*)(Editor&);

constexpr uint8_t kEsc = 0x1B;

Outcome EndWithLineFeed(Editor&) { return {Step::End, '\n'}; }

Outcome EnterKey(Editor& e) {
    if (e.flags & PNL_ENTEREND) return {Step::End, '\r'};
    return NextRow(e);
}

Outcome EscKey(Editor& e) {
    if (e.flags & PNL_ESCEND) return {Step::End, kEsc};
    if (e.flags & PNL_ESCCLEAR) return ClearField(e);
    return TypeCharacter(e);
}

Outcome Nothing(Editor&) { return {Step::ReadKey}; }

struct CharKey {
    uint8_t ch;
    Action action;
};
constexpr CharKey kCharKeys[] = {
    {'\b', DeleteLeft},
    {'\t', NextField},
    {'\n', EndWithLineFeed},
    {'\r', EnterKey},
    {kEsc, EscKey},
};

struct ScanKey {
    int32_t scan;
    Action action;
};
constexpr ScanKey kScanKeys[] = {
    {SCAN_TAB, BackTab},  // Shift+Tab, as the key reader hands it on
    {SCAN_HOME, CursorHome},
    {SCAN_UP, RowUp},
    {SCAN_LEFT, CursorLeft},
    {SCAN_RIGHT, CursorRight},
    {SCAN_END, EndOfText},
    {SCAN_DOWN, RowDown},
    {SCAN_INSERT, Nothing},  // its mode is switched by the key reader
    {SCAN_DELETE, DeleteAtCursor},
    {SCAN_CTRL_LEFT, WordLeft},
    {SCAN_CTRL_RIGHT, WordRight},
    {SCAN_CTRL_END, EraseToEnd},
    {SCAN_CTRL_HOME, FirstField},
};

Outcome HandleKey(Editor& e) {
    if (e.ch != 0) {
        for (const CharKey& k : kCharKeys) {
            if (k.ch == uint8_t(e.ch)) return k.action(e);
        }
        return TypeCharacter(e);
    }
    for (const ScanKey& k : kScanKeys) {
        if (k.scan == e.scan) return k.action(e);
    }
    return {Step::End, uint32_t(e.scan)};
}

}  // namespace

namespace panel_detail {

void PlaceCursor(Editor& e) {
    PanelField& f = e.field();
    if (f.flags & FLD_NOECHO) return;
    fullgoto(f.column - 1 + e.pos, fullrow(f) - 1);
}

void RedrawField(Editor& e) {
    DrawByStepRule(e.field());
    PlaceCursor(e);
}

}  // namespace panel_detail

uint32_t fulledit(uint32_t flags, int count, PanelField* panel) {
    Editor e{flags, count, panel, 0, 0, 0, 0, 0};
    e.current = FirstInputField(e);
    if (e.current < 0) return 0;
    for (int i = 0; i < count; ++i) {
        if (IsInputField(panel[i]) && (panel[i].flags & FLD_CURSOR)) {
            e.current = i;
            break;
        }
    }
    PlaceCursor(e);
    for (;;) {
        fullkey(e.ch, e.scan, e.repeat);
        if (e.ch == 0 && e.scan == 0) return TakeResized();
        Outcome out = HandleKey(e);
        switch (out.step) {
            case Step::End: return out.result;
            case Step::Error:
                if ((flags & PNL_SILENT) == 0) Con().tone();
                break;
            case Step::Redraw: RedrawField(e); break;
            case Step::PlaceCursor: PlaceCursor(e); break;
            case Step::ReadKey: break;
        }
    }
}

int fulltextend(const PanelField& field) {
    int n = field.textLength;
    while (n > 0 && (field.text[n - 1] == ' ' || field.text[n - 1] == 0)) --n;
    return n;
}

}  // namespace pk
