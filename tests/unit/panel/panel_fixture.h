// The panel library on an in-memory console, reset around each test; fields
// whose text buffers the fixture owns; keys scripted as small steps.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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
inline Step Times(Step s, int n) {
    return [=](MemoryConsole& c) { for (int i = 0; i < n; ++i) s(c); };
}
inline void Script(MemoryConsole& c, const std::vector<Step>& steps) {
    for (const Step& s : steps) s(c);
}

inline const Step LEFT = Key(0x4B), RIGHT = Key(0x4D), UP = Key(0x48), DOWN = Key(0x50), HOME = Key(0x47),
                  END = Key(0x4F), DEL = Key(0x53), F1 = Key(0x3B), BS = Key(0x0E, 8), ESC = Key(0x01, 27),
                  ENTER = Key(0x1C, 13), LF = Key(0x24, 10, LEFT_CTRL_PRESSED), BTAB = Key(0x0F, 9, SHIFT_PRESSED),
                  CLEFT = Key(0x4B, 0, LEFT_CTRL_PRESSED), CRIGHT = Key(0x4D, 0, LEFT_CTRL_PRESSED),
                  CEND = Key(0x4F, 0, LEFT_CTRL_PRESSED), INS = Key(0x52, 0, 0, 0x2D), CAPS = Key(0x3A, 0, 0, 0x14);

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
