// The in-memory console, for unit tests: the terminal console's cell grid
// and a queue of scripted input events, with typed bytes decoded as the
// terminal decodes them. Every Console operation works for real on the grid;
// beeps, tones, cursor changes, clipboard reads and the ways of ending are
// counted so that tests can check them, and failures can be switched on.
#pragma once

#include <cerrno>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "panel/cell_grid.h"
#include "panel/console.h"

namespace pk {

class MemoryConsole : public Console {
public:
    explicit MemoryConsole(int cols = 80, int rows = 25);

    // --- Console ---
    int open() override;
    bool queryScreen(ScreenInfo& info) override;
    bool setWindow(const Rect& rect) override;
    bool readAttribute(Coord at, uint16_t& attr) override;
    bool getCursorInfo(int& size, bool& visible) override;
    bool setCursorInfo(int size, bool visible) override;
    bool setCursorPosition(Coord at) override;
    bool writeChars(Coord at, const uint8_t* bytes, int count) override;
    bool writeAttrs(Coord at, const uint16_t* attrs, int count) override;
    bool fillAttrs(uint16_t attr, int count) override;
    bool fillChars(uint8_t ch, int count) override;
    bool writeCells(const Cell* block, Coord blockSize, const Rect& target) override;
    bool readCells(Cell* block, Coord blockSize, const Rect& source) override;
    void updateScreen() override {}
    bool readInput(InputRecord& record) override;
    // Ticks are scripted as TICK_EVENT records; the setting is only kept.
    void setTick(int ms) override { tickMs = ms; }
    int tickMs = 0;
    void flushInput() override;
    bool pushInput(const InputRecord& record) override;
    void beep() override { ++beeps; }
    void tone() override { ++tones; }
    bool readClipboard(std::string& text) override;
    void restoreScreen() override { ++restoreCalls; }
    void leaveScreen(bool dropLastLine) override;
    void suspend() override { ++suspendCalls; }
    void resume() override { ++resumeCalls; }
    bool endRequested() const override { return ending; }
    int lastError() const override { return error; }

    // --- scripted input (appended to the queue) ---
    // Records no terminal sends (a release, a repeat count, Num Lock, ...)
    // are scripted with key and keyUp; typed bytes with text.
    void key(uint16_t scan, uint8_t ch = 0, uint32_t state = 0, uint16_t vk = 0,
             uint16_t repeat = 1);
    void keyUp(uint16_t scan, uint8_t ch = 0, uint16_t vk = 0);  // a key release
    // Bytes arriving together from a terminal, with the records it gives
    // for them (DecodeTyped): "A" is one key, "\x16" Ctrl+V, "\033OP" F1.
    void text(std::string_view bytes);
    void mouse(int x, int y, uint32_t buttons, uint32_t flags = 0);
    void paste(std::string_view bytes);
    // A resize to cols x rows, which the grid takes when it is read.
    void resizeEvent(int cols, int rows);
    void event(const InputRecord& record);
    // Events scripted after this call arrive only once the program has
    // drained what was queued before, so a flush does not drop them: they
    // stand for keys pressed while the program waits.
    void later() { scriptingLater = true; }
    void setEndRequested(bool on = true) { ending = on; }

    // --- reading the grid (empty cells, byte 0 in attribute 0, at first) ---
    int cols() const { return grid_.cols(); }
    int rows() const { return grid_.rows(); }
    Cell cell(int x, int y) const;  // an empty cell outside the grid
    // The raw bytes of one row: a glyph cell's byte, a character cell's
    // UTF-8 text, nothing for the right half of a two-cell character.
    std::string rowText(int y) const;
    uint16_t attrAt(int x, int y) const;
    std::span<const Cell> cells() const { return grid_.cells(); }  // row after row
    // Change the grid's size (contents kept where they fit); the window
    // becomes the whole new grid.
    void resize(int newCols, int newRows);

    // --- state, public for tests to read and set ---
    Rect window;  // inclusive; the whole grid at first
    Coord cursor;
    int cursorSize = 25;
    bool cursorVisible = true;
    std::vector<int> cursorSizes;  // every size set, in order
    std::deque<InputRecord> input;
    std::deque<InputRecord> lateInput;  // see later()
    std::optional<std::string> clipboard;  // none: nothing on the clipboard

    int beeps = 0;
    int tones = 0;
    int clipboardReads = 0;
    int openCalls = 0;
    int restoreCalls = 0;
    int leaveCalls = 0;
    bool lastDropLastLine = false;
    int suspendCalls = 0;
    int resumeCalls = 0;
    int charWrites = 0;  // writeChars calls
    int attrWrites = 0;  // writeAttrs calls

    // Failures to simulate. Each failing call sets lastError to failCode
    // (failOpen is itself the code open returns).
    bool refuseWindow = false;  // setWindow fails
    int failOpen = 0;
    bool failWrites = false;  // every write, fill and cell transfer fails
    bool failQuery = false;   // queryScreen fails
    bool failReads = false;   // readInput fails
    int failCode = EIO;

private:
    bool fail(int code);

    CellGrid grid_;
    bool scriptingLater = false;
    bool ending = false;
    int error = 0;
};

}  // namespace pk
