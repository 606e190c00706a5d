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

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "harness/env.h"

namespace pktest {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point until) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void AppendUtf8(std::string& s, uint32_t c) {
    int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;  // continuation bytes
    s += static_cast<char>(more ? ((0xF0 << (3 - more)) & 0xF0) | (c >> (6 * more)) : c);
    for (int i = more - 1; i >= 0; --i) s += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

}  // namespace

PtyTerm::PtyTerm(int rows, int cols) : rows_(rows), cols_(cols) {
    vt_ = vterm_new(rows, cols);
    vterm_set_utf8(vt_, 1);
    vterm_output_set_callback(vt_, &PtyTerm::onOutput, this);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_enable_altscreen(screen_, 1);
    callbacks_ = std::make_unique<VTermScreenCallbacks>();
    *callbacks_ = VTermScreenCallbacks{};
    callbacks_->settermprop = &PtyTerm::onTermProp;
    callbacks_->bell = &PtyTerm::onBell;
    vterm_screen_set_callbacks(screen_, callbacks_.get(), this);
    vterm_screen_reset(screen_, 1);
    std::filesystem::create_directories(home_ / "stubs");
    std::filesystem::create_directories(home_ / ".config");
    std::filesystem::create_directories(home_ / "appdata");
}

PtyTerm::~PtyTerm() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    vterm_free(vt_);
}

std::string PtyTerm::home() const { return home_.path(); }
std::string PtyTerm::stubDir() const { return home_ / "stubs"; }

void PtyTerm::addStub(const std::string& name, const std::string& body) {
    std::string path = stubDir() + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
}

bool PtyTerm::start(std::vector<std::string> argv, std::vector<std::string> extraEnv,
                    std::string cwd) {
    if (argv.empty() || pid_ > 0) return false;
    std::vector<std::string> env = ChildEnvironment(home(), stubDir());
    ApplyEnv(env, {"TERM=xterm-256color"});
    ApplyEnv(env, extraEnv);
    std::string program = FindProgram(argv[0], env);
    std::vector<char*> args = CStrings(argv);
    std::vector<char*> envp = CStrings(env);

    struct winsize ws{};
    ws.ws_row = static_cast<unsigned short>(rows_);
    ws.ws_col = static_cast<unsigned short>(cols_);
    pid_ = forkpty(&master_, nullptr, nullptr, &ws);
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        execve(program.c_str(), args.data(), envp.data());
        _exit(127);
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    // Writes never block: while the child is not reading, send() keeps its
    // output flowing instead of deadlocking with it.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyTerm::send(std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            // The child is not reading yet: keep its output flowing (unless
            // this is libvterm answering from inside pump, then just wait).
            if (pumping_) {
                struct pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 10);
            } else {
                pump(10);
            }
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

void PtyTerm::key(VTermKey k, VTermModifier m) { vterm_keyboard_key(vt_, k, m); }
void PtyTerm::unichar(uint32_t c, VTermModifier m) { vterm_keyboard_unichar(vt_, c, m); }

// libvterm's encoder produces press and release in the child's mouse mode;
// both go out together so that the child reads them as one click.
void PtyTerm::click(int row, int col, int button, VTermModifier m) {
    vterm_mouse_move(vt_, row, col, m);
    vterm_mouse_button(vt_, button, true, m);
    vterm_mouse_button(vt_, button, false, m);
}

void PtyTerm::paste(std::string_view text) {
    std::string s = "\033[200~";
    s.append(text);
    s += "\033[201~";
    send(s);
}

void PtyTerm::resize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
    vterm_set_size(vt_, rows, cols);
    struct winsize ws{};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    if (master_ >= 0) ioctl(master_, TIOCSWINSZ, &ws);
}

void PtyTerm::pump(int ms) {
    if (master_ < 0 || pumping_) return;
    pumping_ = true;
    char buf[16384];
    struct pollfd p{master_, POLLIN, 0};
    while (!eof_ && poll(&p, 1, ms) > 0) {
        ssize_t n = read(master_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        if (n <= 0) {
            eof_ = true;  // EIO: every holder of the slave side has closed it
            break;
        }
        std::string_view chunk(buf, static_cast<size_t>(n));
        output_.append(chunk);
        lastOutputAt_ = Clock::now();
        vterm_input_write(vt_, buf, static_cast<size_t>(n));
        scanOutput(chunk);
        ms = 0;  // drain what is there, then stop
    }
    vterm_screen_flush_damage(screen_);
    pumping_ = false;
    refreshCursor();
    for (auto [r, c] : resizeRequests_) resize(r, c);
    resizeRequests_.clear();
}

// Reads until the program has been quiet for a few milliseconds; true when
// anything new arrived.
bool PtyTerm::settle() {
    size_t before = output_.size();
    for (size_t seen = before - 1; seen != output_.size();) {
        seen = output_.size();
        pump(5);
    }
    return output_.size() != before;
}

bool PtyTerm::waitFor(std::string_view text, int timeoutMs, int row) {
    auto matches = [&] {
        int first = row < 0 ? 0 : row;
        int last = row < 0 ? rows_ - 1 : row;
        for (int r = first; r <= last; ++r)
            if (rowText(r).find(text) != std::string::npos) return true;
        return false;
    };
    return waitUntil(matches, timeoutMs);
}

bool PtyTerm::waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A screen update can reach the pty in several pieces: once the
        // state shows, take in whatever is still arriving before trusting it.
        if (pred() && !settle()) return true;
        if (pred()) continue;
        int left = MsLeft(until);
        if (left == 0 || eof_) {
            pump(0);
            return pred();
        }
        pump(left < 20 ? left : 20);
    }
}

std::string PtyTerm::rowText(int row) const {
    std::string s;
    if (row < 0 || row >= rows_) return s;
    for (int c = 0; c < cols_;) {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen_, VTermPos{row, c}, &cell);
        AppendUtf8(s, cell.chars[0] ? cell.chars[0] : ' ');
        c += cell.width > 0 ? cell.width : 1;
    }
    return s;
}

std::string PtyTerm::screenText() const {
    std::string s;
    for (int r = 0; r < rows_; ++r) s += rowText(r) + "\n";
    return s;
}

PtyTerm::CellInfo PtyTerm::cell(int row, int col) const {
    VTermScreenCell c;
    vterm_screen_get_cell(screen_, VTermPos{row, col}, &c);
    CellInfo info;
    info.ch = c.chars[0];
    info.fgDefault = VTERM_COLOR_IS_DEFAULT_FG(&c.fg);
    info.bgDefault = VTERM_COLOR_IS_DEFAULT_BG(&c.bg);
    if (VTERM_COLOR_IS_INDEXED(&c.fg) && !info.fgDefault) info.fg = c.fg.indexed.idx;
    if (VTERM_COLOR_IS_INDEXED(&c.bg) && !info.bgDefault) info.bg = c.bg.indexed.idx;
    info.bold = c.attrs.bold;
    info.reverse = c.attrs.reverse;
    return info;
}

bool PtyTerm::decMode(int mode) const {
    auto it = modes_.find(mode);
    return it != modes_.end() && it->second;
}

int PtyTerm::wait(int timeoutMs) {
    if (reaped_) return status_;
    if (pid_ <= 0) return -1;
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int st = 0;
        if (waitpid(pid_, &st, WNOHANG) == pid_) {
            reaped_ = true;
            status_ = st;
            pump(50);  // whatever it wrote last
            return st;
        }
        if (MsLeft(until) == 0) return -1;
        pump(eof_ ? 0 : 20);
        if (eof_) usleep(5000);
    }
}

int PtyTerm::exitCode(int timeoutMs) {
    int st = wait(timeoutMs);
    return st >= 0 && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

void PtyTerm::signal(int sig) {
    if (running()) kill(pid_, sig);
}

bool PtyTerm::slaveModes(struct termios& modes) const {
    return master_ >= 0 && tcgetattr(master_, &modes) == 0;
}

int PtyTerm::onTermProp(VTermProp prop, VTermValue* val, void* user) {
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
}

int PtyTerm::onBell(void* user) {
    static_cast<PtyTerm*>(user)->bells++;
    return 1;
}

// Input that libvterm encodes (keys, mouse) and its replies to queries go to
// the child.
void PtyTerm::onOutput(const char* s, size_t len, void* user) {
    static_cast<PtyTerm*>(user)->send(std::string_view(s, len));
}

// Follows ESC [ ? Pm h/l and ESC [ 8 ; r ; c t across reads; skips OSC, DCS
// and other string sequences so their text is not mistaken for a CSI.
void PtyTerm::scanOutput(std::string_view bytes) {
    enum { Ground, Esc, Csi, Str, StrEsc };
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        switch (scanState_) {
            case Ground:
                if (b == 0x1B) scanState_ = Esc;
                break;
            case Esc:
                if (b == '[') {
                    scanState_ = Csi;
                    csi_.clear();
                } else if (b == ']' || b == 'P' || b == '_' || b == '^' || b == 'X') {
                    scanState_ = Str;
                } else {
                    scanState_ = b == 0x1B ? Esc : Ground;
                }
                break;
            case Csi:
                if (b >= 0x40 && b <= 0x7E) {
                    csi_ += static_cast<char>(b);
                    finishCsi();
                    scanState_ = Ground;
                } else if (b == 0x1B) {
                    scanState_ = Esc;
                } else {
                    csi_ += static_cast<char>(b);
                }
                break;
            case Str:
                if (b == 0x07) scanState_ = Ground;
                else if (b == 0x1B) scanState_ = StrEsc;
                break;
            case StrEsc:
                scanState_ = b == '\\' ? Ground : Str;
                break;
        }
    }
}

void PtyTerm::finishCsi() {
    char final = csi_.back();
    std::string params = csi_.substr(0, csi_.size() - 1);
    std::vector<int> nums;
    bool priv = !params.empty() && params[0] == '?';
    size_t i = priv ? 1 : 0;
    while (i <= params.size()) {
        size_t end = params.find(';', i);
        if (end == std::string::npos) end = params.size();
        nums.push_back(std::atoi(params.substr(i, end - i).c_str()));
        i = end + 1;
    }
    if (priv && (final == 'h' || final == 'l')) {
        for (int n : nums) modes_[n] = final == 'h';
    } else if (!priv && final == 't' && nums.size() == 3 && nums[0] == 8 && acceptResizeRequests) {
        resizeRequests_.push_back({nums[1], nums[2]});
    }
}

void PtyTerm::refreshCursor() {
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    cursorRow = pos.row;
    cursorCol = pos.col;
}

}  // namespace pktest
