// Following files. Every look compares the file with what was taken up
// (file_change.h); while watching, a change is taken up and the view goes
// to the end, otherwise the message tells the user how to take it up. New
// lines that reach rows of the screen that were empty are drawn at once.
#include "interact/follow.h"

#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "interact/command_state.h"
#include "interact/movement.h"
#include "interact/screen_size.h"
#include "panel/panel.h"

namespace pk {

FollowState follow;

void ResetFollow() { follow = FollowState{}; }

namespace {

constexpr int TICK_COUNT_MS = 25;   // the counts move on: show them soon
constexpr int TICK_WATCH_MS = 100;
constexpr int TICK_IDLE_MS = 500;
constexpr int TICK_WAIT_MS = 50;

constexpr uint8_t CH_ESC = 27;

// Whether the rows of the view reach past what was there before: the part
// of the file that grew shows.
bool ViewReaches(const FileEntry& e, uint64_t lines, uint64_t size) {
    if (display.hexView) return e.view.offset + program.hexPageBytes > size;
    return e.view.line + program.dataRows > lines;
}

const char* ChangeText(FileChange change) {
    if (change == CHANGE_SHRUNK) return "File truncated";
    if (change == CHANGE_REPLACED) return "File replaced";
    return "Watching";
}

bool IsAbandonKey(const InputRecord& r) {
    if (r.eventType != KEY_EVENT || !r.keyDown) return false;
    return r.ch == CH_ESC || (r.ch == CtrlChar('C') && (r.controlState & CTRL_PRESSED));
}

}  // namespace

int TickInterval() {
    const FileEntry& e = CurrentEntry();
    if (e.counting) return TICK_COUNT_MS;
    return follow.watching ? TICK_WATCH_MS : TICK_IDLE_MS;
}

namespace {

// A stream that stopped early says why, once.
void ReportFailure(FileEntry& e) {
    if (e.failure == LOAD_OK || e.failureShown) return;
    char text[MESSAGE_SIZE];
    ShortLoadMessage(text, sizeof text, e.failure, e.failureError);
    SetMessage(text);
    e.failureShown = true;
}

// Takes up a change of the watched file; when it cannot be read again, says
// so and ends the watch.
bool TakeUp(FileEntry& e, FileChange change) {
    if (change == CHANGE_NONE || TakeFileChange(e, change)) return true;
    SetMessage("File read error");
    StopWatching();
    return false;
}

}  // namespace

bool FollowChanges() {
    FileEntry& e = CurrentEntry();
    uint64_t lines = e.lineCount, size = e.size;
    const char* format = e.format;
    FileChange change = CheckFileChange(e);
    bool redraw = false;
    if (!follow.watching) {
        if (change != CHANGE_NONE) SetMessage("Changed: w to watch");
        RefreshEntry(e);
        redraw = (e.lineCount != lines || e.size != size) && ViewReaches(e, lines, size);
    } else if (!TakeUp(e, change)) {
        redraw = true;
    } else {
        // A file read again says so until a key clears the message; then
        // "Watching" comes back.
        bool again = change == CHANGE_SHRUNK || change == CHANGE_REPLACED;
        if (again || display.messageText[0] == '\0') SetMessage(ChangeText(change));
        RefreshEntry(e);
        redraw = change != CHANGE_NONE || e.lineCount != lines || e.size != size;
        if (redraw) KeepLastPage(e);
    }
    ReportFailure(e);
    // Standard input's first bytes may have shown it compressed since.
    if (e.format != format) ShowFileName();
    return redraw;
}

uint32_t StartWatching() {
    follow.watching = true;
    FileEntry& e = CurrentEntry();
    FileChange change = CheckFileChange(e);
    if (!TakeUp(e, change)) return CMD_KEEPMSG;
    RefreshEntry(e);
    KeepLastPage(e);
    SetMessage(ChangeText(change));
    return CMD_REDRAW | CMD_KEEPMSG;
}

void StopWatching() { follow.watching = false; }

bool WaitForCount(FileEntry& entry, CountNeed need) {
    Console* console = fullconsole();
    SetMessage("wait...");
    ShowStatus();
    console->updateScreen();
    console->setTick(TICK_WAIT_MS);
    bool done = false;
    for (InputRecord r; !done && console->readInput(r);) {
        if (IsAbandonKey(r)) break;
        if (r.eventType == RESIZE_EVENT) {
            FollowScreenSize();
            DrawMainScreen();
        }
        RefreshEntry(entry);
        done = CountedTo(entry, need);
        ShowStatus();
    }
    console->setTick(0);
    ClearMessage();
    ShowStatus();
    return done;
}

}  // namespace pk
