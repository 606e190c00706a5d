// A random-input soak: pk on the emulated terminal fed random keys, broken
// escape sequences, clicks, wheel turns, pastes, commands and resizes from a
// fixed seed, in bursts. After every burst pk must answer within 2 s; each
// time it ends (a random F3, End or Z) it must have ended well with every
// terminal mode back, and it starts again. PK_SOAK_EVENTS sets the events
// per screen size (a few hundred by default), PK_SOAK_SEED the seed. Shell
// commands run a stub: pk's PATH holds nothing else.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pk_driver.h"

namespace {

using namespace pktest;

constexpr int kAnswerMs = 2000;

struct Soak {
    Soak(int rows, int cols, unsigned seed) : rows(rows), cols(cols), rng(seed) {
        const std::string text =
            Lines(3000, [](int i) { return "line " + std::to_string(i) + (i % 7 ? "\tneedle" : std::string(300, 'w') + "\r"); });
        files = {dir.write("a.txt", text), dir.write("b.bin", Bytes(5000)), dir.write("c.txt", "short\r\n")};
        dir.mkdir("home/appdata");
    }

    std::string Bytes(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char(rng() & 0xFF);
        return s;
    }
    int Pick(int n) { return int(rng() % unsigned(n)); }
    std::string Num(int n) { return std::to_string(Pick(n)); }
    PtyTerm& t() { return pk->t; }

    // A new pk on one to three of the files, with the settings of the last.
    ::testing::AssertionResult Start() {
        pk = std::make_unique<Pk>(rows, cols);
        t().addStub("sh", "exit 3");
        std::vector<std::string> args = {files[0], files[size_t(Pick(3))], dir / "*.bin"};
        args.resize(size_t(1 + Pick(3)));
        std::string home = dir / "home";
        return pk->start(args, {"PATH=" + t().stubDir(), "SHELL=" + t().stubDir() + "/sh", "HOME=" + home,
                                "APPDATA=" + home + "/appdata", "XDG_CONFIG_HOME=" + home});
    }

    // Esc, and the command line shows blank.
    bool Blank() {
        t().send("\033");
        return t().waitUntil([&] { return pk->window().find_first_not_of(' ') == std::string::npos; }, 500);
    }

    // One random event as the terminal would send it.
    void Event() {
        static const char* const keys[] = {
            "\033[A", "\033[B", "\033[C", "\033[D", "\033[H", "\033[F", "\033[5~", "\033[6~", "\033[2~", "\033[3~",
            "\033OP", "\033OQ", "\033OS", "\033[15~", "\033[17~", "\033[18~", "\033[19~", "\033[20~", "\033[21~",
            "\033[23~", "\033[24~", "\033[1;5H", "\033[1;5F", "\033[1;3D", "\033[1;3C", "\033[1;2A", "\x7f",
            "\b", "\t", "\033[Z", "\x16", "\x03", "\x1c", "\x1a", "\r", "\033"};
        static const char* const commands[] = {
            "f needle", "/line 2", "'0D0A", "rf", "case m", "case u", "case ?", "down ", "up ", "left ", "right ",
            "top", "bottom", "", "view", "tabs", "xlat ebc", "xlat asc", "xlat prt", "next", "?", "=", "help",
            "dos echo", "nosuchword x", "pe *.txt", "pe missing.txt", "f \t", "'zz", "down -5", "99999999999"};
        switch (Pick(16)) {
            case 0: case 1: case 2: case 3: return t().send(keys[Pick(std::size(keys))]);
            case 4: case 5: return t().send(std::string(1, char(' ' + Pick(95))));
            case 6: {  // a key string cut short, or garbled
                std::string k = keys[Pick(std::size(keys))];
                return t().send(Pick(2) ? k.substr(0, size_t(Pick(int(k.size())))) : "\033[" + Bytes(Pick(6)));
            }
            case 7: case 8: {  // a press and release anywhere, often on the key row
                int b = Pick(3), x = 1 + Pick(t().cols()), y = Pick(2) ? t().rows() : 1 + Pick(t().rows());
                std::string at = std::to_string(b) + ";" + std::to_string(x) + ";" + std::to_string(y);
                return t().send("\033[<" + at + "M\033[<" + at + (Pick(8) ? "m" : ""));
            }
            case 9: {  // a wheel notch up, down, left or right, Shift held or not
                std::string b = std::to_string(64 + Pick(4) + 4 * Pick(2));
                return t().send("\033[<" + b + ";" + Num(t().cols()) + ";" + Num(t().rows()) + "M");
            }
            case 10: return t().paste(Pick(4) ? "f " + Bytes(Pick(40)) : Bytes(Pick(400)));
            case 11: {
                Blank();
                std::string c = commands[Pick(std::size(commands))];
                if (c.starts_with("pe ")) c.insert(3, dir.path() + "/");
                if (c.empty() || c.back() == ' ') c += Num(5000);
                return t().send(c + "\r");
            }
            case 12: {
                static const int sizes[][2] = {{24, 80}, {60, 200}, {30, 100}, {25, 132}, {20, 60}};
                const int* s = sizes[Pick(5)];
                return t().resize(s[0], s[1]);
            }
            case 13:  // F3 (which ends pk on its last file), End, Z
                if (Pick(4) == 0) return t().send(Pick(3) ? "\033OR" : Pick(2) ? "end\r" : "z\r");
                [[fallthrough]];
            default: return t().send(Bytes(1 + Pick(8)));
        }
    }

    // pk answers: a terminal below the smallest size grows back, a help
    // screen or the "Press Enter" prompt after a command (the terminal in
    // its line mode; echoed keys may have scrolled the prompt away) goes
    // with Enter, then Home and a marker show on the command line.
    bool Answers() {
        if (t().rows() < 24 || t().cols() < 80) t().resize(24, 80);
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
        while (std::chrono::steady_clock::now() < until && t().wait(0) == -1) {
            struct termios modes {};
            bool aside = (t().slaveModes(modes) && (modes.c_lflag & ICANON)) ||
                         t().screenText().find("Help for") != std::string::npos;
            t().send(aside ? "\r" : "\033[H~");
            if (t().waitUntil([&] { return !aside && pk->window()[0] == '~'; }, 200)) return true;
        }
        return false;
    }

    void Run(int events) {
        ASSERT_TRUE(Start());
        for (int done = 0; done < events;) {
            for (int burst = 1 + Pick(30); burst > 0 && t().running(); --burst, ++done) Event();
            if (Answers()) continue;
            // When it hangs: its state and its children's.
            std::string proc = "/proc/" + std::to_string(t().pid()), state = ReadAll(proc + "/stat");
            std::istringstream children(ReadAll(proc + "/task/" + std::to_string(t().pid()) + "/children"));
            for (std::string child; children >> child;) state += "\nchild " + ReadAll("/proc/" + child + "/stat");
            ASSERT_EQ(t().exitCode(kWait), 0) << "after " << done << " events, wait status " << t().wait(0) << " "
                                              << state << "\n" << t().screenText();
            ASSERT_TRUE(TerminalBack(t()));
            ASSERT_TRUE(Start());
        }
        ASSERT_TRUE(Answers() && Blank());
        EXPECT_EQ(pk->end(), 0) << t().screenText();
        EXPECT_TRUE(TerminalBack(t()));
    }

    int rows, cols;
    std::mt19937 rng;
    TempDir dir;
    std::vector<std::string> files;
    std::unique_ptr<Pk> pk;
};

int Setting(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

TEST(Soak, RandomInputAt80x24And200x60) {
    for (auto [rows, cols] : {std::pair{24, 80}, std::pair{60, 200}}) {
        Soak soak(rows, cols, unsigned(Setting("PK_SOAK_SEED", 1) + cols));
        soak.Run(Setting("PK_SOAK_EVENTS", 300));
        if (HasFatalFailure()) return;
    }
}

}  // namespace
