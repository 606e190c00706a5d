// The panel library on an in-memory console, reset around each test; fields
// whose text buffers the fixture owns; keys scripted as small steps.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/input_decoder.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace pk {

using Step = std::function<void(MemoryConsole&)>;

inline Step Key(uint16_t scan, uint8_t ch = 0, uint32_t state = 0, uint16_t vk = 0, uint16_t repeat = 1) {
    return [=](MemoryConsole& c) { c.key(scan, ch, state, vk, repeat); };
}
inline Step T(std::string text) {
    return [=](MemoryConsole& c) { c.text(text); };
}
// A character key held down: the terminal's record with a repeat count.
inline Step Held(char c, uint16_t repeat) {
    return [=](MemoryConsole& con) {
        InputRecord r = DecodeTyped(std::string(1, c)).at(0);
        r.repeatCount = repeat;
        con.event(r);
    };
}
inline Step Times(Step s, int n) {
    return [=](MemoryConsole& c) { for (int i = 0; i < n; ++i) s(c); };
}
inline void Script(MemoryConsole& c, const std::vector<Step>& steps) {
    for (const Step& s : steps) s(c);
}

// Keys as the terminal sends them, and the two that only a console has.
inline const Step LEFT = T("\033OD"), RIGHT = T("\033OC"), UP = T("\033OA"), DOWN = T("\033OB"), HOME = T("\033OH"),
                  END = T("\033OF"), DEL = T("\033[3~"), F1 = T("\033OP"), BS = T("\x7f"), ESC = T("\033"), ENTER = T("\r"),
                  BTAB = T("\033[Z"), CLEFT = T("\033[1;5D"), CRIGHT = T("\033[1;5C"), CEND = T("\033[1;5F"),
                  INS = T("\033[2~"), CAPS = Key(SCAN_CAPS_LOCK, 0, 0, VKEY_CAPS_LOCK);

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override { fullconsole(&con), fullreset(); }
    void TearDown() override { fullreset(), fullconsole(nullptr); }

    // A field whose text buffer holds text padded with blanks to length.
    PanelField Field(uint16_t flags, uint16_t row, uint16_t column, uint16_t width, std::string_view text,
                     uint16_t length = 0, uint16_t number = 0, uint16_t colour = 1) {
        std::string& buf = buffers.emplace_back(text);
        buf.resize(length ? length : text.size(), ' ');
        return PanelField{number, flags, colour, row, column, width, 0, uint16_t(buf.size()),
                          reinterpret_cast<uint8_t*>(buf.data())};
    }
    static std::string Text(const PanelField& f) { return std::string(reinterpret_cast<const char*>(f.text), f.textLength); }
    // Runs steps through fullpanel and checks where the cursor ends.
    void ExpectCursorAfter(PanelField* panel, const std::vector<Step>& steps, int x, int y, uint32_t flags = PNL_INPUT) {
        Script(con, steps);
        EXPECT_EQ(fullpanel(flags, panel), 0u);
        EXPECT_EQ(con.cursor.x, x);
        EXPECT_EQ(con.cursor.y, y);
    }

    MemoryConsole con;
    std::deque<std::string> buffers;  // stable addresses for the fields' texts
};

}  // namespace pk
