// Keypress-to-screen latency: pk, and less when it is installed, on a
// log-like text file in an 80x25 pseudo-terminal (the end-to-end harness).
// Each figure is the time from the key (or from the program's start) until
// the screen shows the result and the output has stopped: the moment the
// last piece of that screen update was read. Prints the median of the runs,
// `cat FILE >/dev/null` for scale, the ratios less/pk and pk's memory: its
// private resident memory (RssAnon) once the count is done, and its peak.
//
//   latency [--size N[K|M|G]]... [--runs N] [--first-runs N] [--dir DIR] [--no-less] [--no-gzip]
//
// --first-runs adds runs of the first screen alone, pk's and less's in turn:
// a figure of about 2 ms that varies by a tenth of that from one start to
// the next on this machine needs more samples than the minutes-long finds.
//
// Files up to 1 GiB are also gzipped and shown compressed (see "Compressed
// logs"), unless --no-gzip.
// Sizes default to 64M, 1G and 8G. The files live in DIR (default
// $TMPDIR/pk-latency) and are made again only when missing or not as
// expected; a file larger than 1 GiB repeats the 1 GiB one. The last line of
// each file holds the needle found by the finds. On files larger than 1 GiB
// only the first screen, the time until the count is done and the memory
// are taken. pk starts as it does after its first run: with its settings
// folder there.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "harness/env.h"
#include "harness/process.h"
#include "harness/pty_term.h"
#include "log_text.h"
#include "pk_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
using pktest::PtyTerm;

constexpr int kRows = 25;
constexpr int kCols = 80;
constexpr int kDataRows = kRows - 4;    // pk's rows 3..23 show the file
constexpr int kLastData = kRows - 2;
constexpr int kHalfPage = kDataRows / 2;  // PgDn moves half a screen at first
constexpr int kPageDowns = 100;
constexpr int kGoBack = 1000;           // "near the end": this many lines before it
constexpr int kPkWaitMs = 60 * 1000;
constexpr int kLessWaitMs = 1800 * 1000;
constexpr size_t kMinSize = size_t(1) << 20;
constexpr size_t kMaxSize = size_t(64) << 30;
constexpr size_t kGiB = size_t(1) << 30;
constexpr size_t kAllOpsMax = kGiB;  // larger files: first screen, count, memory

// The last line of every file; its first letter is common in the text
// (as 'e' and as 'E'), so a find has many candidates to reject.
constexpr std::string_view kNeedle = "eof-marker";
// Patterns whose only hits are in the last line: one with a literal, one
// whose literals (":" and ".") stand in every line.
constexpr std::string_view kPatterns[] = {"eof-mark[a-z]+", "[0-9]{2}:[0-9]{2}\\.9{3}"};
constexpr std::string_view kLastLine = "2024-05-17 23:59:59.999 INFO  eof-marker\n";

struct Options {
    std::vector<size_t> sizes;
    int runs = 3;
    int firstRuns = 0;  // first-screen-only runs, beyond runs
    std::string dir;
    bool less = true;
    bool gzip = true;  // also the file gzipped
};

struct TestFile {
    std::string path;
    size_t size = 0;
    uint64_t lines = 0;
    std::string firstText;  // the first line's start, up to a tab or line end
};

// --- Small helpers ---------------------------------------------------------

[[noreturn]] void Fail(const std::string& what, const PtyTerm* t = nullptr) {
    std::fprintf(stderr, "latency: %s\n", what.c_str());
    if (t) std::fprintf(stderr, "%s", t->screenText().c_str());
    std::exit(1);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string SizeLabel(size_t size) {
    if (size % (size_t(1) << 30) == 0) return std::to_string(size >> 30) + "GiB";
    if (size % (size_t(1) << 20) == 0) return std::to_string(size >> 20) + "MiB";
    return std::to_string(size) + "B";
}

std::string Hex(size_t value) {
    char s[24];
    std::snprintf(s, sizeof s, "%08zX", value);
    return s;
}

std::string Duration(double s) {
    char out[32];
    if (s < 0) return "-";
    if (s >= 1) std::snprintf(out, sizeof out, "%.2f s", s);
    else if (s >= 0.01) std::snprintf(out, sizeof out, "%.0f ms", s * 1e3);
    else std::snprintf(out, sizeof out, "%.2f ms", s * 1e3);
    return out;
}

// --- The file ----------------------------------------------------------------

bool HasExpectedTail(const std::string& path, size_t size) {
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) != size || ec) return false;
    std::ifstream in(path, std::ios::binary);
    std::string tail(kLastLine.size(), '\0');
    in.seekg(static_cast<std::streamoff>(size - tail.size()));
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return in && tail == kLastLine;
}

void MakeFile(const std::string& path, size_t size);

std::string PathFor(const std::string& dir, size_t size) { return dir + "/log-" + SizeLabel(size) + ".txt"; }

// Whole GiB beyond the first: the 1 GiB file, over and over.
void RepeatFile(const std::string& dir, const std::string& temp, size_t size) {
    const std::string one = PathFor(dir, kGiB);
    if (!HasExpectedTail(one, kGiB)) MakeFile(one, kGiB);
    std::ofstream out(temp, std::ios::binary);
    std::vector<char> block(size_t(16) << 20);
    for (size_t done = 0; done < size; done += kGiB) {
        std::ifstream in(one, std::ios::binary);
        while (in.read(block.data(), std::streamsize(block.size())) || in.gcount() > 0) out.write(block.data(), in.gcount());
    }
    out.close();
    if (!out) Fail("could not write " + temp);
}

// Log text of `size` bytes whose last line is kLastLine, written under a
// private name and renamed, so a run beside this one never reads half a file.
void MakeFile(const std::string& path, size_t size) {
    std::string temp = path + ".part" + std::to_string(getpid());
    if (size > kGiB && size % kGiB == 0) {
        RepeatFile(std::filesystem::path(path).parent_path(), temp, size);
        std::filesystem::rename(temp, path);
        return;
    }
    std::vector<uint8_t> data = pkbench::LogData(size);
    size_t lineStart = size - kLastLine.size();
    std::copy(kLastLine.begin(), kLastLine.end(), data.begin() + static_cast<std::ptrdiff_t>(lineStart));
    data[lineStart - 1] = '\n';
    std::ofstream out(temp, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(size));
    out.close();
    if (!out) Fail("could not write " + temp);
    std::filesystem::rename(temp, path);
}

// Reads the whole file (which also brings it into the page cache) for its
// line count and the start of its first line.
TestFile Describe(const std::string& path, size_t size) {
    TestFile f{path, size, 0, {}};
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(size_t(1) << 20);
    bool first = true;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        auto end = block.begin() + in.gcount();
        if (first) {
            auto stop = std::find_if(block.begin(), end, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
            f.firstText.assign(block.begin(), std::min(stop, block.begin() + 40));
            first = false;
        }
        f.lines += static_cast<uint64_t>(std::count(block.begin(), end, '\n'));
    }
    return f;
}

TestFile PrepareFile(const std::string& dir, size_t size) {
    std::filesystem::create_directories(dir);
    std::string path = PathFor(dir, size);
    if (!HasExpectedTail(path, size)) {
        std::printf("making %s ...\n", path.c_str());
        std::fflush(stdout);
        MakeFile(path, size);
    }
    return Describe(path, size);
}

// --- Waiting and timing ---------------------------------------------------------

bool RowHas(const PtyTerm& t, int row, std::string_view text) {
    return t.rowText(row).find(text) != std::string::npos;
}

bool RowStarts(const PtyTerm& t, int row, std::string_view text) { return t.rowText(row).starts_with(text); }

bool RowsHave(const PtyTerm& t, int first, int last, std::string_view text) {
    for (int r = first; r <= last; ++r)
        if (RowHas(t, r, text)) return true;
    return false;
}

// Seconds from `from` until the screen last changed on its way to pred.
double Until(PtyTerm& t, Clock::time_point from, const std::function<bool()>& pred, int timeoutMs,
             const std::string& what) {
    if (!t.waitUntil(pred, timeoutMs)) Fail("timed out waiting for " + what, &t);
    return Seconds(t.lastOutputAt() - from);
}

// Sends input (through `send`) and times it until pred; pred must not hold
// before, or the figure would measure nothing.
double Timed(PtyTerm& t, const std::function<void()>& send, const std::function<bool()>& pred,
             const std::string& what) {
    t.settle();
    if (pred()) Fail("the screen showed " + what + " before the key", &t);
    Clock::time_point from = Clock::now();
    send();
    return Until(t, from, pred, kPkWaitMs, what);
}

// --- pk --------------------------------------------------------------------------

enum Op {
    FirstScreen, Counted, Bottom, GoToLine, FindFolded, FindExact, PatternLiteral, PatternClasses, HexLastByte, HexToText,
    PgDnTextTop, PgDnTextMiddle, PgDnHexTop, PgDnHexMiddle, kOps
};
enum LessOp { LessFirst, LessBottom, LessGoTo, LessFind, LessPatternLiteral, LessPatternClasses, kLessOps,
              LessNone = kLessOps };

struct OpInfo {
    const char* label;
    LessOp less;  // the same result in less, for the ratio
};

constexpr OpInfo kOpInfo[kOps] = {
    {"first screen (from the start)", LessFirst},
    {"count done (from the start)", LessNone},
    {"bottom: F9 | -N +G", LessBottom},
    {"go to line end-1000 | -N +Ng", LessGoTo},
    {"find last line, case-folded | +/", LessFind},
    {"find last line, exact | +/", LessFind},
    {"pattern with a literal, exact | +/", LessPatternLiteral},
    {"pattern of classes, exact | +/", LessPatternClasses},
    {"hex view at the last byte", LessNone},
    {"hex view back to text", LessNone},
    {"PgDn x100 text, top: per key", LessNone},
    {"PgDn x100 text, middle: per key", LessNone},
    {"PgDn x100 hex, top: per key", LessNone},
    {"PgDn x100 hex, middle: per key", LessNone},
};

struct Samples {
    std::array<std::vector<double>, kOps> pk;
    std::array<std::vector<double>, kOps> pkMax;  // PgDn: the slowest key of a run
    std::array<std::vector<double>, kLessOps> less;
    std::vector<double> cat;
    long peakKiB = 0;
    long privateKiB = 0;  // RssAnon once the count is done
};

struct PkRun {
    const TestFile& f;
    Samples& s;
    PtyTerm t{kRows, kCols};

    std::string status(uint64_t line) const {
        return "Line " + std::to_string(line) + " of " + std::to_string(f.lines) + ",";
    }
    bool at(uint64_t line) const { return RowHas(t, 1, status(line)); }
    bool hexAt(size_t offset) const { return RowStarts(t, 3, "   " + Hex(offset & ~size_t(15)) + ":"); }

    // Types text on the command line and waits until it shows there.
    void type(const std::string& text) {
        t.send(text);
        if (!t.waitUntil([&] { return RowHas(t, 2, "COMMAND ==> " + text); }, kPkWaitMs))
            Fail("the command line never showed " + text, &t);
    }
    // Types a command, then times Enter until pred.
    double command(const std::string& text, const std::function<bool()>& pred) {
        type(text);
        return Timed(t, [&] { t.send("\r"); }, pred, "the result of " + text);
    }
    double key(VTermKey k, const std::function<bool()>& pred, const std::string& what) {
        return Timed(t, [&] { t.key(k); }, pred, what);
    }
    void top(bool hex) {
        key(pktest::Fn(4), [&] { return hex ? hexAt(0) : at(1); }, "the top");
    }

    Clock::time_point firstScreen();
    void run();
    void finds();
    void hexView();
    void pageSeries(Op op, bool hex, uint64_t fromLine);
    long memory(const char* field) const;
};

// From pk's start to its first screen; pk ends with the run. The start.
Clock::time_point PkRun::firstScreen() {
    // Each run has a home of its own. pk makes its settings folder at its
    // first start only (about 80 us on this machine, for the new folder),
    // so the folder is there, as it is at every later start ($APPDATA/pk:
    // the harness sets APPDATA).
    std::filesystem::create_directories(t.home() + "/appdata/pk");
    Clock::time_point start = Clock::now();
    if (!t.start({PK_BINARY, f.path})) Fail("could not start " PK_BINARY);
    s.pk[FirstScreen].push_back(Until(
        t, start,
        [&] { return RowHas(t, 1, "Line 1 of ") && RowStarts(t, 3, f.firstText) && RowHas(t, kRows - 1, "Half"); },
        kPkWaitMs, "the first screen"));
    return start;
}

void PkRun::run() {
    Clock::time_point start = firstScreen();
    s.pk[Counted].push_back(Until(t, start, [&] { return at(1); }, kPkWaitMs, "the count"));
    s.privateKiB = std::max(s.privateKiB, memory("RssAnon:"));
    if (f.size > kAllOpsMax) return;

    auto bottom = [&] { return at(f.lines - kDataRows + 1) && RowHas(t, kLastData, kNeedle); };
    s.pk[Bottom].push_back(key(pktest::Fn(9), bottom, "the bottom"));
    top(false);
    uint64_t line = f.lines - kGoBack;
    s.pk[GoToLine].push_back(command(std::to_string(line), [&] { return at(line); }));
    top(false);
    finds();
    hexView();

    top(false);
    pageSeries(PgDnTextTop, false, 1);
    line = f.lines / 2;
    command(std::to_string(line), [&] { return at(line); });
    pageSeries(PgDnTextMiddle, false, line);
    command("v", [&] { return RowHas(t, 1, "File size is "); });
    top(true);
    pageSeries(PgDnHexTop, true, 0);
    command(Hex(f.size / 2), [&] { return hexAt(f.size / 2); });
    pageSeries(PgDnHexMiddle, true, 0);
    s.peakKiB = std::max(s.peakKiB, memory("VmHWM:"));
}

void PkRun::finds() {
    auto found = [&] { return RowsHave(t, 3, kLastData, kNeedle); };
    s.pk[FindFolded].push_back(command("f " + std::string(kNeedle), found));
    top(false);
    type("case m");
    t.send("\r");
    if (!t.waitUntil([&] { return !RowHas(t, 2, "case m"); }, kPkWaitMs)) Fail("case m did not run", &t);
    s.pk[FindExact].push_back(command("f " + std::string(kNeedle), found));
    top(false);
    for (Op op : {PatternLiteral, PatternClasses}) {
        s.pk[op].push_back(command("f r\"" + std::string(kPatterns[op - PatternLiteral]) + "\"", found));
        top(false);
    }
}

// From the top of the text view: to hex view, to the last byte, and back to
// text view, which then shows the last line at the top.
void PkRun::hexView() {
    command("v", [&] { return RowHas(t, 1, "File size is ") && hexAt(0); });
    s.pk[HexLastByte].push_back(command(Hex(f.size - 1), [&] { return hexAt(f.size - 1); }));
    s.pk[HexToText].push_back(command("v", [&] { return at(f.lines) && RowHas(t, 3, kNeedle); }));
}

// Times kPageDowns PgDn keys one at a time, each until the screen shows the
// move and the output has stopped: in text view the status names the next
// line; in hex view the first and last data rows (their offsets) change.
void PkRun::pageSeries(Op op, bool hex, uint64_t fromLine) {
    std::vector<double> times;
    for (int i = 1; i <= kPageDowns; ++i) {
        std::string firstRow = t.rowText(3), lastRow = t.rowText(kLastData);
        uint64_t want = fromLine + uint64_t(i * kHalfPage);
        auto moved = [&] {
            return hex ? t.rowText(3) != firstRow && t.rowText(kLastData) != lastRow : at(want);
        };
        times.push_back(key(VTERM_KEY_PAGEDOWN, moved, "PgDn " + std::to_string(i)));
    }
    s.pk[op].push_back(Median(times));
    s.pkMax[op].push_back(*std::max_element(times.begin(), times.end()));
}

// A field of pk's /proc status in KiB (VmHWM, RssAnon).
long PkRun::memory(const char* field) const {
    std::ifstream in("/proc/" + std::to_string(t.pid()) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(field)) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

// --- less and cat -----------------------------------------------------------------

// Seconds from starting less with args until pred shows.
double LessTime(const std::string& less, std::vector<std::string> args, const std::function<bool(const PtyTerm&)>& pred,
                const std::string& what) {
    PtyTerm t(kRows, kCols);
    args.insert(args.begin(), less);
    Clock::time_point start = Clock::now();
    // No user options, input preprocessor or history file.
    if (!t.start(args, {"LESS", "LESSOPEN", "LESSCLOSE", "LESSHISTFILE=-"})) Fail("could not start less");
    return Until(t, start, [&] { return pred(t); }, kLessWaitMs, "less: " + what);
}

void RunLessFirst(const std::string& less, const TestFile& f, Samples& s) {
    std::string base = std::filesystem::path(f.path).filename();
    s.less[LessFirst].push_back(LessTime(less, {f.path}, [&](const PtyTerm& t) {
        return RowStarts(t, 0, f.firstText) && RowHas(t, kRows - 1, base);
    }, "first screen"));
}

void RunLessOps(const std::string& less, const TestFile& f, Samples& s) {
    s.less[LessBottom].push_back(LessTime(less, {"-N", "+G", f.path}, [&](const PtyTerm& t) {
        return RowHas(t, kRows - 2, kNeedle) && RowHas(t, kRows - 1, "(END)");
    }, "bottom"));
    uint64_t line = f.lines - kGoBack;
    std::string number = std::to_string(line) + " ";
    s.less[LessGoTo].push_back(LessTime(less, {"-N", "+" + std::to_string(line) + "g", f.path}, [&](const PtyTerm& t) {
        std::string row = t.rowText(0);
        return row.find_first_not_of(' ') != std::string::npos && row.substr(row.find_first_not_of(' ')).starts_with(number);
    }, "line " + std::to_string(line)));
    s.less[LessFind].push_back(LessTime(less, {"+/" + std::string(kNeedle), f.path}, [&](const PtyTerm& t) {
        return RowsHave(t, 0, kRows - 2, kNeedle);
    }, "find"));
    for (LessOp op : {LessPatternLiteral, LessPatternClasses}) {
        std::string pattern(kPatterns[op - LessPatternLiteral]);
        s.less[op].push_back(LessTime(less, {"+/" + pattern, f.path}, [&](const PtyTerm& t) {
            return RowsHave(t, 0, kRows - 2, kNeedle);
        }, "pattern " + pattern));
    }
}

double CatTime(const TestFile& f) {
    Clock::time_point start = Clock::now();
    pktest::RunResult r = pktest::Run({"sh", "-c", "cat \"$0\" >/dev/null", f.path}, {}, "", kPkWaitMs);
    if (r.exitCode != 0) Fail("cat failed: " + r.err);
    return Seconds(Clock::now() - start);
}

// less when it is on the path, else empty.
std::string FindLess() {
    std::vector<std::string> env = pktest::ChildEnvironment("/", "/nonexistent");
    std::string less = pktest::FindProgram("less", env);
    return less.find('/') != std::string::npos && access(less.c_str(), X_OK) == 0 ? less : "";
}

// --- Report ---------------------------------------------------------------------

std::string Ratio(double less, double pk) {
    char out[32];
    if (less < 0 || pk <= 0) return "";
    std::snprintf(out, sizeof out, less / pk >= 10 ? "%.0fx" : "%.2fx", less / pk);
    return out;
}

void Report(const TestFile& f, const Samples& s, int runs, bool withLess) {
    std::printf("\n%s: %zu bytes, %llu lines; %dx%d terminal; median of %d run(s) (first screen: %zu); "
                "pk from key, less from its start\n",
                f.path.c_str(), f.size, static_cast<unsigned long long>(f.lines), kCols, kRows, runs,
                s.pk[FirstScreen].size());
    std::printf("%-36s %24s %10s %9s\n", "operation (pk | less)", "pk", "less", "less/pk");
    double cat = Median(s.cat);
    std::printf("%-36s %24s\n", "cat FILE >/dev/null", Duration(cat).c_str());
    for (int op = 0; op < kOps; ++op) {
        const OpInfo& info = kOpInfo[op];
        if (s.pk[size_t(op)].empty()) continue;
        double pk = Median(s.pk[size_t(op)]);
        double less = withLess && info.less != LessNone ? Median(s.less[info.less]) : -1;
        std::string pkText = Duration(pk);
        if (!s.pkMax[size_t(op)].empty()) pkText += " (max " + Duration(Median(s.pkMax[size_t(op)])) + ")";
        std::printf("%-36s %24s %10s %9s\n", info.label, pkText.c_str(), Duration(less).c_str(),
                    Ratio(less, pk).c_str());
    }
    std::printf("%-36s %24s\n", "first screen / cat", Ratio(Median(s.pk[FirstScreen]), cat).c_str());
    std::printf("%-36s %20.1f MiB\n", "pk private resident memory (RssAnon)", double(s.privateKiB) / 1024);
    if (s.peakKiB > 0)
        std::printf("%-36s %20.1f MiB (with the file's cached pages)\n", "pk peak resident memory (VmHWM)",
                    double(s.peakKiB) / 1024);
    std::fflush(stdout);
}

// --- Compressed logs ---------------------------------------------------------------
// The log gzipped (FILE.gz beside it, made once): pk's first screen from its
// start, and the time until the whole file is decompressed and counted (the
// "+" gone from the status), against `zcat FILE.gz >/dev/null` in the same run.

struct GzipSamples {
    std::vector<double> first, whole, zcat;
};

std::string PrepareGzip(const TestFile& f) {
    std::string gz = f.path + ".gz";
    std::error_code ec;
    if (std::filesystem::exists(gz, ec)) return gz;
    std::printf("making %s ...\n", gz.c_str());
    std::fflush(stdout);
    std::string part = gz + ".part" + std::to_string(getpid());
    pktest::RunResult r = pktest::Run({"sh", "-c", "gzip -c \"$0\" > \"$1\" && mv \"$1\" \"$2\"", f.path, part, gz}, {},
                                      "", kLessWaitMs);
    if (r.exitCode != 0) Fail("gzip failed: " + r.err);
    return gz;
}

void GzipRun(const TestFile& f, const std::string& gz, GzipSamples& s) {
    Clock::time_point start = Clock::now();
    pktest::RunResult r = pktest::Run({"sh", "-c", "zcat \"$0\" >/dev/null", gz}, {}, "", kLessWaitMs);
    if (r.exitCode != 0) Fail("zcat failed: " + r.err);
    s.zcat.push_back(Seconds(Clock::now() - start));

    PtyTerm t{kRows, kCols};
    start = Clock::now();
    if (!t.start({PK_BINARY, gz})) Fail("could not start " PK_BINARY);
    s.first.push_back(Until(
        t, start, [&] { return RowStarts(t, 3, f.firstText) && RowHas(t, kRows - 1, "Half"); }, kPkWaitMs,
        "the first screen of " + gz));
    const std::string counted = " of " + std::to_string(f.lines) + ",";
    s.whole.push_back(Until(t, start, [&] { return RowHas(t, 1, counted); }, kLessWaitMs, "the whole of " + gz));
    t.send("end\r");
    if (t.exitCode(kPkWaitMs) != 0) Fail("pk did not end", &t);
}

void GzipReport(const TestFile& f, const std::string& gz, const GzipSamples& s) {
    std::error_code ec;
    double gzMiB = double(std::filesystem::file_size(gz, ec)) / (1 << 20);
    double zcat = Median(s.zcat), whole = Median(s.whole);
    std::printf("\n%s: %.1f MiB of gzip, %zu bytes, %llu lines; median of %zu run(s)\n", gz.c_str(), gzMiB, f.size,
                static_cast<unsigned long long>(f.lines), s.whole.size());
    std::printf("%-36s %24s\n", "first screen (from the start)", Duration(Median(s.first)).c_str());
    std::printf("%-36s %24s\n", "whole file read and counted", Duration(whole).c_str());
    std::printf("%-36s %24s\n", "zcat FILE >/dev/null", Duration(zcat).c_str());
    std::printf("%-36s %23.0f%%\n", "pk's speed against zcat's", whole > 0 ? 100 * zcat / whole : 0.0);
    std::fflush(stdout);
}

void RunGzip(const TestFile& f, int runs) {
    std::string gz = PrepareGzip(f);
    GzipSamples s;
    for (int run = 0; run < runs; ++run) GzipRun(f, gz, s);
    GzipReport(f, gz, s);
}

// --- Options and main ------------------------------------------------------------

bool ParseSize(const std::string& text, size_t& size) {
    char* end = nullptr;
    unsigned long long n = std::strtoull(text.c_str(), &end, 10);
    std::string unit = end;
    int shift = unit.empty() ? 0 : unit == "K" ? 10 : unit == "M" ? 20 : unit == "G" ? 30 : -1;
    if (end == text.c_str() || shift < 0) return false;
    size = size_t(n) << shift;
    return size >= kMinSize && size <= kMaxSize;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    o.dir = (std::filesystem::temp_directory_path() / "pk-latency").string();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool value = i + 1 < argc;
        size_t size = 0;
        if (a == "--no-less") {
            o.less = false;
        } else if (a == "--no-gzip") {
            o.gzip = false;
        } else if (a == "--size" && value && ParseSize(argv[++i], size)) {
            o.sizes.push_back(size);
        } else if (a == "--runs" && value) {
            o.runs = std::atoi(argv[++i]);
            if (o.runs < 1) return false;
        } else if (a == "--first-runs" && value) {
            o.firstRuns = std::atoi(argv[++i]);
            if (o.firstRuns < 0) return false;
        } else if (a == "--dir" && value) {
            o.dir = argv[++i];
        } else {
            return false;
        }
    }
    if (o.sizes.empty()) o.sizes = {size_t(64) << 20, kGiB, 8 * kGiB};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: latency [--size N[K|M|G]]... [--runs N] [--first-runs N] [--dir DIR] [--no-less]"
                             " [--no-gzip]\n"
                             "  sizes from 1M to 64G; default --size 64M --size 1G --size 8G --runs 3\n");
        return 2;
    }
    std::string less = o.less ? FindLess() : "";
    if (o.less && less.empty()) std::printf("less is not installed: pk alone\n");
    for (size_t size : o.sizes) {
        TestFile f = PrepareFile(o.dir, size);
        Samples s;
        // less's first screen right after pk's run, its other operations
        // (minutes each) after all of pk's runs: this machine drops a
        // program's pages from its cache when it has not run for a minute
        // or two, and pk would otherwise start each run with its own pages
        // cold from those minutes of less, and less with its own warm.
        for (int run = 0; run < o.runs; ++run) {
            s.cat.push_back(CatTime(f));
            PkRun{f, s}.run();
            if (!less.empty()) RunLessFirst(less, f, s);
        }
        for (int run = 0; run < o.firstRuns; ++run) {
            PkRun{f, s}.firstScreen();
            if (!less.empty()) RunLessFirst(less, f, s);
        }
        for (int run = 0; !less.empty() && f.size <= kAllOpsMax && run < o.runs; ++run) RunLessOps(less, f, s);
        Report(f, s, o.runs, !less.empty());
        if (o.gzip && f.size <= kAllOpsMax) RunGzip(f, o.runs);
    }
    return 0;
}
