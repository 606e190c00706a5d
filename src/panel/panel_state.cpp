// The panel library's state and the console checks: fullconsole, Beep,
// fullreset, fullinit, fullcheck, fullwindow and fullattr.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "panel/panel_internal.h"

namespace pk {

namespace panel_detail {

namespace {

PanelLibrary MakeLibrary() {
    PanelLibrary lib;
    std::memcpy(lib.attributes, START_ATTRIBUTES, ATTRIBUTE_COUNT);
    return lib;
}

PanelLibrary gLibrary = MakeLibrary();

}  // namespace

PanelLibrary& Library() { return gLibrary; }

void StoreError() { State().lastError = uint32_t(Con().lastError()); }

}  // namespace panel_detail

using namespace panel_detail;

void fullconsole(Console* console) { State().console = console; }

Console* fullconsole() { return State().console; }

void Beep() {
    if (State().console) State().console->beep();
}

void fullreset() {
    Console* console = State().console;
    gLibrary = MakeLibrary();
    State().console = console;
}

const uint8_t* fullattributes() { return Library().attributes; }

ConsoleState* fullinit() {
    PanelLibrary& lib = Library();
    if (lib.status == 0) return &lib.state;
    if (lib.state.console == nullptr) {
        lib.state.lastError = ENODEV;
        return nullptr;
    }
    if (!lib.opened) {
        int rc = Con().open();
        if (rc != 0) {
            lib.state.lastError = uint32_t(rc);
            return nullptr;
        }
        lib.opened = true;
    }
    lib.status = fullcheck();
    return lib.status == 0 ? &lib.state : nullptr;
}

int fullcheck() {
    ConsoleState& st = State();
    Console& con = Con();
    if (!con.queryScreen(st.screen)) return Failed(-1);
    Coord size = st.screen.bufferSize;
    if (size.x < MIN_COLUMNS || size.y < MIN_ROWS) {
        st.screen.window = Rect{0, 0, int16_t(std::max<int>(size.x, MIN_COLUMNS) - 1),
                                int16_t(std::max<int>(size.y, MIN_ROWS) - 1)};
        if (!con.setWindow(st.screen.window)) return Failed(-1);
    }
    ScreenInfo now;
    if (!con.queryScreen(now)) return Failed(-1);
    // The screen as it is after any window change, so that start-up reads
    // a buffer size that matches the window.
    st.screen = now;
    uint16_t attr = 0;
    if (!con.readAttribute(now.cursor, attr)) return Failed(-1);
    st.initialAttribute = uint8_t(attr & 0xFF);
    int cursorSize = 0;
    bool visible = false;
    if (!con.getCursorInfo(cursorSize, visible)) return Failed(-1);
    return 0;
}

int fullwindow() {
    ConsoleState& st = State();
    if (!Con().queryScreen(st.screen)) return Failed(0);
    Rect& w = st.screen.window;
    if (w.left == 0 && w.top == 0) return 1;
    w = Rect{0, 0, int16_t(w.right - w.left), int16_t(w.bottom - w.top)};
    if (!Con().setWindow(w)) return Failed(0);
    return 1;
}

void fullattr(const uint8_t* table) {
    if (fullinit() == nullptr) return;
    std::memcpy(Library().attributes, table, ATTRIBUTE_COUNT);
}

}  // namespace pk
