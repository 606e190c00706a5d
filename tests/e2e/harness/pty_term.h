// PtyTerm: runs a program on a pseudo-terminal (rows x cols, 0-based
// everywhere) and keeps an emulated screen of what it wrote (libvterm).
// start: the child gets a new session, the pty as controlling terminal and
// Spawn's private environment (env.h) with TERM=xterm-256color, then
// extraEnv. addStub puts a shell script on its private PATH (stubDir()).
// Input: each call is one write, so a key sequence is never split; key is
// encoded by libvterm following the child's modes; paste brackets its text.
// Output: pump(ms) reads for up to ms; waitFor(text, ms, row -1 for any) and
// waitUntil(pred, ms) pump until the screen shows it. cursorShape is 1 block,
// 2 underline, 3 bar (0 never set); mouseMode 0 off, 1 click, 2 drag, 3 move;
// decMode(n) is DEC private mode n as last written. With
// acceptResizeRequests the terminal obeys ESC[8;r;c t. The end: wait(ms)
// gives the raw waitpid status or -1 while running, exitCode(ms) the exit
// status or -1; slaveModes reads the pty's termios. The destructor kills
// the child if it still runs.
#pragma once

#include <sys/types.h>
#include <termios.h>
#include <vterm.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "temp_dir.h"

namespace pktest {

class PtyTerm {
public:
    struct CellInfo {
        char32_t ch = 0;  // 0 for a blank cell
        bool fgDefault = true, bgDefault = true;
        int fg = -1, bg = -1;  // palette index, -1 when default or RGB
        bool bold = false, reverse = false;
    };

    explicit PtyTerm(int rows = 25, int cols = 80);
    ~PtyTerm();
    PtyTerm(const PtyTerm&) = delete;
    PtyTerm& operator=(const PtyTerm&) = delete;

    bool start(std::vector<std::string> argv, std::vector<std::string> extraEnv = {}, std::string cwd = "");
    std::string home() const;
    std::string stubDir() const;
    void addStub(const std::string& name, const std::string& shellScriptBody);

    void send(std::string_view bytes);
    void key(VTermKey k, VTermModifier m = VTERM_MOD_NONE);
    void paste(std::string_view text);
    void resize(int rows, int cols);

    void pump(int ms);
    // Takes in output until the program has been quiet for a few ms.
    bool settle();
    bool waitFor(std::string_view text, int timeoutMs = 5000, int row = -1);
    bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

    std::string rowText(int row) const;
    std::string rowsText(int first, int count) const;  // each row ended by '\n'
    std::string screenText() const { return rowsText(0, rows_); }
    CellInfo cell(int row, int col) const;
    const std::string& output() const { return output_; }
    std::chrono::steady_clock::time_point lastOutputAt() const { return lastOutputAt_; }
    bool decMode(int mode) const;
    int rows() const { return rows_; }
    int cols() const { return cols_; }

    int wait(int timeoutMs);
    int exitCode(int timeoutMs);
    void signal(int sig);
    bool running() const { return pid_ > 0 && !reaped_; }
    pid_t pid() const { return pid_; }
    bool slaveModes(struct termios& modes) const;

    int cursorRow = 0, cursorCol = 0, cursorShape = 0, mouseMode = 0, bells = 0;
    bool cursorVisible = true, altScreen = false, acceptResizeRequests = false;
    std::string title;

private:
    void scanOutput(std::string_view bytes);

    int rows_, cols_;
    VTerm* vt_ = nullptr;
    VTermScreen* screen_ = nullptr;
    TempDir home_;
    int master_ = -1, status_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false, eof_ = false, pumping_ = false;
    std::string output_;
    std::chrono::steady_clock::time_point lastOutputAt_{};
    // Scanner of the output for DEC private modes and resize requests: the
    // escape sequence so far, or inside a string sequence (OSC, DCS...).
    std::string csi_;
    bool inString_ = false;
    std::map<int, bool> modes_;
};

}  // namespace pktest
