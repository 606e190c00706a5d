// The in-memory console: Console operations on the cell grid, the scripted
// input queue and the counters that tests read.
#include "panel/memory_console.h"

#include <algorithm>
#include <cstring>

#include "panel/input_decoder.h"
#include "panel/key_decode.h"

namespace pk {

MemoryConsole::MemoryConsole(int cols, int rows) : window{0, 0, int16_t(cols - 1), int16_t(rows - 1)} {
    grid_.reset(cols, rows, Cell{});  // empty cells: tests can tell what was never written
}

bool MemoryConsole::fail(int code) {
    error = code;
    return false;
}

int MemoryConsole::open() {
    ++openCalls;
    if (failOpen != 0) error = failOpen;
    return failOpen;
}

bool MemoryConsole::queryScreen(ScreenInfo& info) {
    if (failQuery) return fail(failCode);
    info.bufferSize = {int16_t(cols()), int16_t(rows())};
    info.cursor = cursor;
    info.attributes = 0x07;
    info.window = window;
    return true;
}

bool MemoryConsole::setWindow(const Rect& rect) {
    if (refuseWindow) return fail(failCode);
    if (rect.left < 0 || rect.top < 0 || rect.right < rect.left || rect.bottom < rect.top) {
        return fail(EINVAL);
    }
    // Like a terminal that accepts a resize request: the grid grows to hold
    // the window.
    if (rect.right >= cols() || rect.bottom >= rows()) {
        resize(std::max(cols(), rect.right + 1), std::max(rows(), rect.bottom + 1));
    }
    window = rect;
    return true;
}

bool MemoryConsole::readAttribute(Coord at, uint16_t& attr) {
    if (!grid_.contains(at)) return fail(EINVAL);
    attr = attrAt(at.x, at.y);
    return true;
}

bool MemoryConsole::getCursorInfo(int& size, bool& visible) {
    size = cursorSize;
    visible = cursorVisible;
    return true;
}

bool MemoryConsole::setCursorInfo(int size, bool visible) {
    if (size < 1 || size > 100) return fail(EINVAL);
    cursorSize = size;
    cursorVisible = visible;
    cursorSizes.push_back(size);
    return true;
}

bool MemoryConsole::setCursorPosition(Coord at) {
    if (!grid_.contains(at)) return fail(EINVAL);
    cursor = at;
    return true;
}

bool MemoryConsole::writeChars(Coord at, const uint8_t* bytes, int count) {
    ++charWrites;
    if (failWrites) return fail(failCode);
    return grid_.writeChars(at, bytes, count) || fail(EINVAL);
}

bool MemoryConsole::writeAttrs(Coord at, const uint16_t* attrs, int count) {
    ++attrWrites;
    if (failWrites) return fail(failCode);
    return grid_.writeAttrs(at, attrs, count) || fail(EINVAL);
}

bool MemoryConsole::fillAttrs(uint16_t attr, int count) {
    if (failWrites) return fail(failCode);
    return grid_.fillAttrs(attr, count) || fail(EINVAL);
}

bool MemoryConsole::fillChars(uint8_t ch, int count) {
    if (failWrites) return fail(failCode);
    return grid_.fillChars(ch, count) || fail(EINVAL);
}

bool MemoryConsole::writeCells(const Cell* block, Coord blockSize, const Rect& target) {
    if (failWrites) return fail(failCode);
    return grid_.writeBlock(block, blockSize, target) || fail(EINVAL);
}

bool MemoryConsole::readCells(Cell* block, Coord blockSize, const Rect& source) {
    return grid_.readBlock(block, blockSize, source) || fail(EINVAL);
}

bool MemoryConsole::readInput(InputRecord& record) {
    if (ending) return fail(EINTR);
    if (input.empty()) {
        input.swap(lateInput);
        scriptingLater = false;
    }
    if (failReads || input.empty()) return fail(failCode);
    record = input.front();
    input.pop_front();
    if (record.eventType == RESIZE_EVENT) resize(record.position.x, record.position.y);
    return true;
}

void MemoryConsole::flushInput() {
    std::erase_if(input, [](const InputRecord& r) { return r.eventType != PASTE_EVENT; });
}

bool MemoryConsole::pushInput(const InputRecord& record) {
    input.push_front(record);
    return true;
}

bool MemoryConsole::readClipboard(std::string& text) {
    ++clipboardReads;
    if (!clipboard) return false;
    text = *clipboard;
    return true;
}

void MemoryConsole::leaveScreen(bool dropLastLine) {
    ++leaveCalls;
    lastDropLastLine = dropLastLine;
}

void MemoryConsole::resizeEvent(int newCols, int newRows) {
    InputRecord r;
    r.eventType = RESIZE_EVENT;
    r.position = {int16_t(newCols), int16_t(newRows)};
    event(r);
}

void MemoryConsole::event(const InputRecord& record) {
    (scriptingLater ? lateInput : input).push_back(record);
}

void MemoryConsole::key(uint16_t scan, uint8_t ch, uint32_t state, uint16_t vk, uint16_t repeat) {
    InputRecord r = MakeKey(vk, scan, ch, state);
    r.repeatCount = repeat;
    event(r);
}

void MemoryConsole::keyUp(uint16_t scan, uint8_t ch, uint16_t vk) {
    InputRecord r = MakeKey(vk, scan, ch, 0);
    r.keyDown = false;
    event(r);
}

void MemoryConsole::text(std::string_view bytes) {
    for (const InputRecord& r : DecodeTyped(bytes)) event(r);
}

void MemoryConsole::mouse(int x, int y, uint32_t buttons, uint32_t flags) {
    InputRecord r;
    r.eventType = MOUSE_EVENT;
    r.position = {int16_t(x), int16_t(y)};
    r.buttonState = buttons;
    r.eventFlags = flags;
    event(r);
}

void MemoryConsole::paste(std::string_view bytes) {
    InputRecord r;
    r.eventType = PASTE_EVENT;
    r.text = std::string(bytes);
    event(r);
}

Cell MemoryConsole::cell(int x, int y) const {
    if (!grid_.contains({int16_t(x), int16_t(y)})) return Cell{};
    return grid_.at(x, y);
}

std::string MemoryConsole::rowText(int y) const {
    std::string s;
    if (y < 0 || y >= rows()) return s;
    for (int x = 0; x < cols(); ++x) {
        const Cell c = cell(x, y);
        if (c.kind == CELL_GLYPH) s += char(c.ch);
        else if (c.kind == CELL_CHAR) s.append(c.text, strnlen(c.text, CELL_TEXT_SIZE));
    }
    return s;
}

uint16_t MemoryConsole::attrAt(int x, int y) const { return cell(x, y).attr; }

void MemoryConsole::resize(int newCols, int newRows) {
    grid_.resize(newCols, newRows);
    window = {0, 0, int16_t(newCols - 1), int16_t(newRows - 1)};
    cursor.x = int16_t(std::min<int>(cursor.x, newCols - 1));
    cursor.y = int16_t(std::min<int>(cursor.y, newRows - 1));
}

}  // namespace pk
