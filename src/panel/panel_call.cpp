// fullpanel, the one call that sets up, clears, draws, reads input and hands
// the console back as its flags ask, and fullfind.
#include "panel/panel_internal.h"

namespace pk {

using namespace panel_detail;

namespace {

// Count the fields up to the one with FLD_LAST, zeroing scroll offsets on
// the way unless they are to be kept.
int CountFields(uint32_t flags, PanelField* panel) {
    int count = 0;
    for (PanelField* f = panel;; ++f) {
        ++count;
        if ((flags & PNL_KEEPOFFSET) == 0) f->scrollOffset = 0;
        if (f->flags & FLD_LAST) return count;
    }
}

}  // namespace

uint32_t fullpanel(uint32_t flags, PanelField* panel) {
    if (Library().status != 0 && fullinit() == nullptr) return 0;
    if (fullwindow() == 0) return 0;
    int count = CountFields(flags, panel);
    if (flags & PNL_CLEAR) fullclear(Library().attributes[0]);
    ConsoleState& st = State();
    st.drawingStep = 1;
    if (flags & PNL_DISPLAY) {
        for (int i = 0; i < count; ++i) DrawByStepRule(panel[i]);
    }
    st.drawingStep = 2;
    uint32_t result = flags;
    if (flags & PNL_INPUT) result = InputStep(flags, count, panel);
    if (flags & PNL_RESET) {
        if (fullpush() == 1) fullcursor(1);
        fullclear(st.initialAttribute);
    }
    return result;
}

PanelField* fullfind(PanelField* panel, uint32_t number) {
    for (PanelField* f = panel;; ++f) {
        if (f->number == number) return f;
        if (f->flags & FLD_LAST) return nullptr;
    }
}

}  // namespace pk
