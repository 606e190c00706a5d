// PtyTerm: a program on a pseudo-terminal, its screen emulated by libvterm.
#include "harness/pty_term.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "harness/env.h"

namespace pktest {

namespace {

using Clock = std::chrono::steady_clock;

void AppendUtf8(std::string& s, uint32_t c) {
    int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;  // continuation bytes
    s += static_cast<char>(more ? ((0xF0 << (3 - more)) & 0xF0) | (c >> (6 * more)) : c);
    for (int i = more - 1; i >= 0; --i) s += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

winsize Size(int rows, int cols) { return {static_cast<unsigned short>(rows), static_cast<unsigned short>(cols), 0, 0}; }

}  // namespace

PtyTerm::PtyTerm(int rows, int cols) : rows_(rows), cols_(cols) {
    static const VTermScreenCallbacks callbacks = [] {
        VTermScreenCallbacks c{};
        c.settermprop = [](VTermProp prop, VTermValue* val, void* user) {
            auto* t = static_cast<PtyTerm*>(user);
            switch (prop) {
                case VTERM_PROP_CURSORVISIBLE: t->cursorVisible = val->boolean; break;
                case VTERM_PROP_CURSORSHAPE: t->cursorShape = val->number; break;
                case VTERM_PROP_ALTSCREEN: t->altScreen = val->boolean; break;
                case VTERM_PROP_MOUSE: t->mouseMode = val->number; break;
                case VTERM_PROP_TITLE: t->title = val->string ? val->string : ""; break;
                default: break;
            }
            return 1;
        };
        c.bell = [](void* user) { return ++static_cast<PtyTerm*>(user)->bells, 1; };
        return c;
    }();
    vt_ = vterm_new(rows, cols);
    vterm_set_utf8(vt_, 1);
    // What libvterm encodes (keys) and its replies to queries go to the child.
    auto toChild = [](const char* s, size_t len, void* user) { static_cast<PtyTerm*>(user)->send({s, len}); };
    vterm_output_set_callback(vt_, toChild, this);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_reset(screen_, 1);
}

PtyTerm::~PtyTerm() {
    if (running()) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    if (master_ >= 0) close(master_);
    vterm_free(vt_);
}

std::string PtyTerm::home() const { return home_.path(); }
std::string PtyTerm::stubDir() const { return home_ / "stubs"; }

void PtyTerm::addStub(const std::string& name, const std::string& body) {
    chmod(home_.write("stubs/" + name, "#!/bin/sh\n" + body + "\n").c_str(), 0755);
}

bool PtyTerm::start(std::vector<std::string> argv, std::vector<std::string> extraEnv, std::string cwd) {
    winsize ws = Size(rows_, cols_);
    int slave = -1;
    if (argv.empty() || pid_ > 0 || openpty(&master_, &slave, nullptr, nullptr, &ws) != 0) return false;
    // The child keeps only the slave side, as its controlling terminal.
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    extraEnv.insert(extraEnv.begin(), "TERM=xterm-256color");
    pid_ = Spawn(argv, home(), extraEnv, cwd, [&] { login_tty(slave); });
    close(slave);
    // Writes never block: while the child is not reading, send() keeps its
    // output flowing instead of deadlocking with it.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return pid_ > 0;
}

void PtyTerm::send(std::string_view bytes) {
    pollfd writable{master_, POLLOUT, 0};
    while (!bytes.empty()) {
        ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n > 0) bytes.remove_prefix(size_t(n));
        else if (errno != EAGAIN && errno != EINTR) return;
        // The child is not reading yet: keep its output flowing (unless this
        // is libvterm answering from inside pump, then just wait).
        else if (pumping_) poll(&writable, 1, 10);
        else pump(10);
    }
}

void PtyTerm::key(VTermKey k, VTermModifier m) { vterm_keyboard_key(vt_, k, m); }

void PtyTerm::paste(std::string_view text) { send("\033[200~" + std::string(text) + "\033[201~"); }

void PtyTerm::resize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
    vterm_set_size(vt_, rows, cols);
    winsize ws = Size(rows, cols);
    if (master_ >= 0) ioctl(master_, TIOCSWINSZ, &ws);
}

void PtyTerm::pump(int ms) {
    if (master_ < 0 || pumping_) return;
    pumping_ = true;
    char buf[16384];
    pollfd p{master_, POLLIN, 0};
    for (ssize_t n; !eof_ && poll(&p, 1, ms) > 0; ms = 0) {  // waits once, then drains what is there
        if ((n = read(master_, buf, sizeof buf)) < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if ((eof_ = n <= 0)) break;  // EIO: every holder of the slave side has closed it
        output_.append(buf, size_t(n));
        lastOutputAt_ = Clock::now();
        vterm_input_write(vt_, buf, size_t(n));
        scanOutput(std::string_view(buf, size_t(n)));
    }
    vterm_screen_flush_damage(screen_);
    pumping_ = false;
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    cursorRow = pos.row;
    cursorCol = pos.col;
}

// Reads until the program has been quiet for a few milliseconds; true when
// anything new arrived.
bool PtyTerm::settle() {
    size_t before = output_.size();
    for (size_t seen = before - 1; seen != output_.size();) seen = output_.size(), pump(5);
    return output_.size() != before;
}

bool PtyTerm::waitFor(std::string_view text, int timeoutMs, int row) {
    return waitUntil([&] {
        for (int r = row < 0 ? 0 : row; r <= (row < 0 ? rows_ - 1 : row); ++r)
            if (rowText(r).find(text) != std::string::npos) return true;
        return false;
    }, timeoutMs);
}

bool PtyTerm::waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A screen update can reach the pty in several pieces: once the
        // state shows, take in whatever is still arriving before trusting it.
        if (pred() && !settle()) return true;
        if (pred()) continue;
        if (MsLeft(until) == 0 || eof_) {
            pump(0);
            return pred();
        }
        pump(std::min(MsLeft(until), 20));
    }
}

std::string PtyTerm::rowText(int row) const {
    std::string s;
    for (int c = 0; row >= 0 && row < rows_ && c < cols_;) {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen_, VTermPos{row, c}, &cell);
        AppendUtf8(s, cell.chars[0] ? cell.chars[0] : ' ');
        c += cell.width > 0 ? cell.width : 1;
    }
    return s;
}

std::string PtyTerm::rowsText(int first, int count) const {
    std::string s;
    for (int r = first; r < first + count; ++r) s += rowText(r) + "\n";
    return s;
}

PtyTerm::CellInfo PtyTerm::cell(int row, int col) const {
    VTermScreenCell c;
    vterm_screen_get_cell(screen_, VTermPos{row, col}, &c);
    bool fgDefault = VTERM_COLOR_IS_DEFAULT_FG(&c.fg), bgDefault = VTERM_COLOR_IS_DEFAULT_BG(&c.bg);
    return {c.chars[0], fgDefault, bgDefault, VTERM_COLOR_IS_INDEXED(&c.fg) && !fgDefault ? c.fg.indexed.idx : -1,
            VTERM_COLOR_IS_INDEXED(&c.bg) && !bgDefault ? c.bg.indexed.idx : -1, bool(c.attrs.bold),
            bool(c.attrs.reverse)};
}

bool PtyTerm::decMode(int mode) const { return modes_.contains(mode) && modes_.at(mode); }

int PtyTerm::wait(int timeoutMs) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (int st = 0; pid_ > 0 && !reaped_;) {
        if (waitpid(pid_, &st, WNOHANG) == pid_) reaped_ = true, status_ = st, pump(50);  // what it wrote last
        else if (MsLeft(until) == 0) return -1;
        else if (eof_) usleep(5000);
        else pump(20);
    }
    return status_;
}

int PtyTerm::exitCode(int timeoutMs) {
    int st = wait(timeoutMs);
    return st >= 0 && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

void PtyTerm::signal(int sig) {
    if (running()) kill(pid_, sig);
}

bool PtyTerm::slaveModes(struct termios& modes) const { return master_ >= 0 && tcgetattr(master_, &modes) == 0; }

// Follows ESC [ ? Pm h/l and ESC [ 8 ; r ; c t across reads; a string
// sequence (OSC, DCS, APC, PM, SOS) is skipped to its BEL or ESC \, so that
// its text is not taken for a CSI.
void PtyTerm::scanOutput(std::string_view bytes) {
    for (char b : bytes) {
        // The sequence so far is set by count and character: GCC 12 warns
        // falsely (-Wrestrict) on assigning a literal here in Release builds.
        if (inString_) {
            inString_ = b != '\a' && !(b == '\\' && csi_ == "\033");
            csi_.assign(b == '\033' ? 1 : 0, '\033');
        } else if (b == '\033') {
            csi_.assign(1, '\033');
        } else if (csi_ == "\033") {
            inString_ = b != 0 && std::strchr("]P_^X", b);
            if (b == '[') csi_ += '[';
            else csi_.clear();
        } else if (!csi_.empty()) {
            csi_ += b;
            if (b < 0x40 || b > 0x7E) continue;
            int rows = 0, cols = 0, end = 0;
            if (std::sscanf(csi_.c_str(), "\033[8;%d;%dt%n", &rows, &cols, &end) == 2 && end == int(csi_.size()) &&
                acceptResizeRequests)
                resize(rows, cols);
            // ESC [ ? then numbers, each up to the ';' or the final byte after it.
            for (char* p = csi_.data() + 3; csi_[2] == '?' && (b == 'h' || b == 'l') && p < &csi_.back(); ++p)
                modes_[int(std::strtol(p, &p, 10))] = b == 'h';
            csi_.clear();
        }
    }
}

}  // namespace pktest
