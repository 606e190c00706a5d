// A test fixture for the panel library: an in-memory console set as the
// library's console, the library reset before and after each test, and a
// small builder for fields whose text buffers the fixture owns.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <string_view>

#include "panel/memory_console.h"
#include "panel/panel.h"

namespace pk {

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        fullconsole(&con);
        fullreset();
    }
    void TearDown() override {
        fullreset();
        fullconsole(nullptr);
    }

    // A field whose text buffer holds text padded with blanks to length.
    PanelField Field(uint16_t flags, uint16_t row, uint16_t column, uint16_t width,
                     std::string_view text, uint16_t length = 0, uint16_t number = 0,
                     uint16_t colour = 1) {
        if (length == 0) length = uint16_t(text.size());
        std::string& buf = buffers.emplace_back(text);
        buf.resize(length, ' ');
        return PanelField{number, flags, colour, row, column, width, 0, length,
                          reinterpret_cast<uint8_t*>(buf.data())};
    }

    static std::string Text(const PanelField& f) {
        return std::string(reinterpret_cast<const char*>(f.text), f.textLength);
    }

    MemoryConsole con;
    std::deque<std::string> buffers;  // stable addresses for the fields' texts
};

}  // namespace pk
