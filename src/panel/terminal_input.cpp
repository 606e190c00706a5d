// Input of the terminal console: what curses' reader returns (characters
// and key codes) goes as units to the input decoder, whose records fill the
// session's queue, except a paste's text, read past curses in blocks;
// waiting for input and discarding it. Between events the
// reader takes the terminal back after a stop and follows resizes; Ctrl+Z
// stops pk as a job instead of reaching the program.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cwchar>

#include "panel/terminal_curses.h"
#include "panel/terminal_session.h"
#include "panel/terminal_signals.h"

namespace pk {

namespace {

// The bytes of a character as the terminal sent them.
std::string CharBytes(wint_t wc) {
    char buf[MB_LEN_MAX];
    mbstate_t state{};
    size_t n = wcrtomb(buf, static_cast<wchar_t>(wc), &state);
    if (n == static_cast<size_t>(-1)) return wc < 256 ? std::string(1, static_cast<char>(wc)) : "";
    return std::string(buf, n);
}

enum class Read { Unit, Nothing };

// One unit from curses' reader within waitMs. Resizes come through
// SIGWINCH; a KEY_RESIZE of curses' own is passed over.
Read NextUnit(const TerminalSession& s, int waitMs, InputUnit& unit) {
    wint_t wc = 0;
    wtimeout(stdscr, waitMs);
    int r = wget_wch(stdscr, &wc);
    while (r == KEY_CODE_YES && wc == KEY_RESIZE) r = wget_wch(stdscr, &wc);
    if (r == ERR) return Read::Nothing;
    if (r != KEY_CODE_YES) {
        unit.bytes = CharBytes(wc);
        return Read::Unit;
    }
    int code = static_cast<int>(wc);
    unit.bytes = KeyCodeBytes(code);
    unit.kind = code == s.mouseCode        ? InputUnit::MouseReport
                : code == s.pasteBeginCode ? InputUnit::PasteBegin
                : code == s.pasteEndCode   ? InputUnit::PasteEnd
                                           : InputUnit::Key;
    if (auto it = s.keys.find(code); it != s.keys.end()) unit.record = it->second;
    return Read::Unit;
}

// What follows a paste's begin marker is read past curses' reader, in
// blocks, and given to the decoder as it is: a long paste is skipped at read
// speed, never a byte at a time, and none of it is taken for a key. What
// came after the end marker waits in pending. False when nothing came
// within waitMs or the terminal failed.
bool ReadPaste(TerminalSession& s) {
    struct pollfd p = {s.tty, POLLIN, 0};
    int ready = poll(&p, 1, s.decoder.waitMs());
    if (ready < 0 && errno == EINTR) return true;
    if (ready <= 0) return false;
    char block[16384];
    ssize_t n = read(s.tty, block, sizeof block);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) return false;
    size_t taken = s.decoder.feedPaste(std::string_view(block, size_t(n)), s.queue);
    s.pending.append(block + taken, size_t(n) - taken);
    return true;
}

bool IsCtrlKey(const InputRecord& r, char letter) {
    return r.eventType == KEY_EVENT && r.ch == CtrlChar(letter) && (r.controlState & CTRL_PRESSED) &&
           !(r.controlState & ALT_PRESSED);
}

}  // namespace

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits as long as the decoder asks for the rest of an event.
bool DecodeNext(TerminalSession& s) {
    if (!s.keysMapped) BuildKeyMap(s);
    do {
        if (s.pendingTaken < s.pending.size()) {
            // Taken from an offset: erasing each event's bytes would move
            // the rest of up to a whole block every time.
            s.pendingTaken += s.decoder.feedBytes(std::string_view(s.pending).substr(s.pendingTaken), NowMs(), s.queue);
            if (s.pendingTaken == s.pending.size()) s.pending.clear(), s.pendingTaken = 0;
            continue;
        }
        if (s.decoder.pasting()) {
            if (!ReadPaste(s)) s.decoder.expire(s.queue);
            continue;
        }
        InputUnit unit;
        Read got = NextUnit(s, s.decoder.waitMs(), unit);
        if (got == Read::Nothing && s.decoder.idle()) return false;
        if (got == Read::Nothing) s.decoder.expire(s.queue);
        else s.decoder.feed(unit, NowMs(), s.queue);
    } while (!s.decoder.idle());
    return true;
}

bool WaitForInput(TerminalSession& s) {
    struct pollfd fds[2] = {{s.tty, POLLIN, 0}, {TerminalSignalFd(), POLLIN, 0}};
    int r = poll(fds, 2, s.tickMs > 0 ? s.tickMs : -1);
    s.ticked = r == 0;
    if (r < 0) {
        if (errno == EINTR) return true;
        s.lastError = errno;
        return false;
    }
    if (fds[1].revents) DrainTerminalSignals();
    if (fds[0].revents & (POLLERR | POLLNVAL | POLLHUP)) {
        s.lastError = EIO;
        return false;
    }
    int pending = 0;
    if ((fds[0].revents & POLLIN) && ioctl(s.tty, FIONREAD, &pending) == 0 && pending == 0) {
        s.lastError = EIO;  // readable with nothing to read: end of file
        return false;
    }
    return true;
}

bool IsSuspendKey(const InputRecord& r) { return IsCtrlKey(r, 'Z'); }
bool IsInterruptKey(const InputRecord& r) { return IsCtrlKey(r, 'C'); }

bool ReadInputEvent(TerminalSession& s, InputRecord& record) {
    for (;;) {
        if (!s.queue.empty()) {
            record = std::move(s.queue.front());
            s.queue.pop_front();
            if (!IsSuspendKey(record)) return true;
            StopAsJob();
            continue;
        }
        if (TerminalEndRequested()) {
            s.lastError = EINTR;
            return false;
        }
        TakeBackAfterContinue(s);
        if (TerminalResizePending()) {
            if (!FollowResize(s)) return false;
            continue;
        }
        FlushOutput(s);
        if (DecodeNext(s)) continue;
        if (!WaitForInput(s)) return false;
        if (s.ticked) {
            record = InputRecord{};
            record.eventType = TICK_EVENT;
            return true;
        }
    }
}

void FlushInputEvents(TerminalSession& s) {
    while (DecodeNext(s)) {
    }
    // Pasted text stays, and so does a resize.
    std::erase_if(s.queue, [](const InputRecord& r) { return r.eventType == KEY_EVENT || r.eventType == MOUSE_EVENT; });
}

}  // namespace pk
