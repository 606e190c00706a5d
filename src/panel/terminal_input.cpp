// Input of the terminal console: curses key codes and characters become
// key, mouse and paste records in the session's queue. Esc alone, Alt+key
// (Esc prefix), unknown escape sequences (read to their end and dropped),
// SGR mouse reports and bracketed paste are handled here.
#include <poll.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cwchar>

#include "panel/terminal_curses.h"
#include "panel/terminal_session.h"
#include "panel/terminal_signals.h"

namespace pk {

namespace {

constexpr int kMouseWaitMs = 100;     // rest of a mouse report
constexpr int kPasteWaitMs = 1000;    // a paste whose end marker never comes ends here
constexpr size_t kMaxPaste = 1 << 20;

enum class Got { Event, Nothing, Failed };

int Next(wint_t& wc, int waitMs) {
    wtimeout(stdscr, waitMs);
    return wget_wch(stdscr, &wc);
}

// The bytes of a character as the terminal sent them.
std::string CharBytes(wint_t wc) {
    char buf[MB_LEN_MAX];
    mbstate_t state{};
    size_t n = wcrtomb(buf, static_cast<wchar_t>(wc), &state);
    if (n == static_cast<size_t>(-1)) return wc < 256 ? std::string(1, static_cast<char>(wc)) : "";
    return std::string(buf, n);
}

void PushBytes(TerminalSession& s, std::string_view bytes, uint32_t extraState) {
    for (char b : bytes) {
        InputRecord r = KeyFromByte(static_cast<uint8_t>(b));
        r.controlState |= extraState;
        s.queue.push_back(r);
    }
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ReadMouse(TerminalSession& s) {
    std::string params;
    wint_t wc = 0;
    int r = OK;
    while (params.size() < 32 && (r = Next(wc, kMouseWaitMs)) == OK && wc != 'M' && wc != 'm')
        params += static_cast<char>(wc);
    InputRecord mouse;
    if (r != OK || !DecodeSgrMouse(params, static_cast<char>(wc), mouse)) return;
    s.clicks.apply(mouse, NowMs());
    s.queue.push_back(mouse);
}

// Everything up to the end marker is text, also what looks like a key.
void ReadPaste(TerminalSession& s) {
    InputRecord paste;
    paste.eventType = PASTE_EVENT;
    wint_t wc = 0;
    for (;;) {
        int r = Next(wc, kPasteWaitMs);
        if (r == ERR || (r == KEY_CODE_YES && static_cast<int>(wc) == s.pasteEndCode)) break;
        if (r == KEY_CODE_YES && wc == KEY_RESIZE) continue;
        std::string bytes = r == KEY_CODE_YES ? KeyCodeBytes(static_cast<int>(wc)) : CharBytes(wc);
        if (paste.text.size() + bytes.size() <= kMaxPaste) paste.text += bytes;
    }
    s.queue.push_back(std::move(paste));
}

void FromCode(TerminalSession& s, int code, uint32_t extraState) {
    if (code == KEY_RESIZE) return RedrawAll(s);
    if (code == s.mouseCode) return ReadMouse(s);
    if (code == s.pasteBeginCode) return ReadPaste(s);
    auto it = s.keys.find(code);
    if (it == s.keys.end()) return;  // a key pk has no record for
    InputRecord r = it->second;
    r.controlState |= extraState;
    s.queue.push_back(r);
}

// After Esc: nothing more is Esc itself; a key or character is that key
// with Alt; "[" or "O" with more is a sequence nobody bound, dropped whole.
void FromEscape(TerminalSession& s) {
    wint_t w2 = 0;
    int r2 = Next(w2, 0);
    if (r2 == ERR) return PushBytes(s, "\033", 0);
    if (r2 == KEY_CODE_YES) return FromCode(s, static_cast<int>(w2), LEFT_ALT_PRESSED);
    if (w2 == '[' || w2 == 'O') {
        wint_t w3 = 0;
        if (Next(w3, 0) == ERR) return PushBytes(s, CharBytes(w2), LEFT_ALT_PRESSED);
        for (int n = 0; n < 64 && w3 >= 0x20 && w3 <= 0x3F; ++n)
            if (Next(w3, 25) != OK) break;
        return;
    }
    PushBytes(s, CharBytes(w2), LEFT_ALT_PRESSED);
}

Got DecodeNext(TerminalSession& s) {
    wint_t wc = 0;
    int r = Next(wc, 0);
    if (r == ERR) return Got::Nothing;
    if (r == KEY_CODE_YES) FromCode(s, static_cast<int>(wc), 0);
    else if (wc == 27) FromEscape(s);
    else PushBytes(s, CharBytes(wc), 0);
    return Got::Event;
}

// Blocks until the terminal has input or a signal woke the reader. False
// when the terminal is gone (hang-up, end of file, error).
bool WaitForInput(TerminalSession& s) {
    struct pollfd fds[2] = {{s.tty, POLLIN, 0}, {TerminalSignalFd(), POLLIN, 0}};
    int r = poll(fds, 2, -1);
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

}  // namespace

bool ReadInputEvent(TerminalSession& s, InputRecord& record) {
    for (;;) {
        if (!s.queue.empty()) {
            record = std::move(s.queue.front());
            s.queue.pop_front();
            return true;
        }
        if (TerminalEndRequested()) {
            s.lastError = EINTR;
            return false;
        }
        if (TakeTerminalContinued() && s.active) {
            // The stop handler put the terminal back; curses takes it again.
            LeaveScreenModes(s);
            EnterScreen(s);
        }
        FlushOutput(s);
        if (DecodeNext(s) == Got::Event) continue;
        if (!WaitForInput(s)) return false;
    }
}

void FlushInputEvents(TerminalSession& s) {
    while (DecodeNext(s) == Got::Event) {
    }
    std::erase_if(s.queue, [](const InputRecord& r) { return r.eventType != PASTE_EVENT; });
}

}  // namespace pk
