// Shared by the benchmarks: the data size (1 GiB, or about 4 MiB when
// PK_BENCH_SMALL is set, as under ctest), log-like text to measure on
// (log_text.h), the plain byte-at-a-time loops the program's code is measured
// against, the program's screen on an in-memory console with data in slot 0,
// and the timing that reports a benchmark's figure as a ratio to its plain loop.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "log_text.h"
#include "test_screen.h"
#include "text/line_scan.h"

namespace pkbench {

inline bool Small() { return std::getenv("PK_BENCH_SMALL") != nullptr; }

inline size_t DataSize() { return Small() ? (size_t(4) << 20) : (size_t(1) << 30); }

// Bytes with their load-time line measures and line index.
struct ScannedData {
    std::vector<uint8_t> bytes;
    std::vector<uint64_t> index;
    pk::ScanResult scan;
    explicit ScannedData(std::vector<uint8_t> b)
        : bytes(std::move(b)), index(pk::LineIndexSize(uint64_t(bytes.size()))), scan(pk::ScanLines(all(), index)) {}
    pk::Bytes all() const { return pk::Bytes(bytes.data(), bytes.size()); }
    pk::TextLines lines() const { return pk::TextLines{all(), scan.lineCount, index}; }
};

// LogData(DataSize()), made and scanned once per process.
inline const ScannedData& SharedLogData() {
    static const ScannedData data(LogData(DataSize()));
    return data;
}

// size bytes of UTF-8 text in lines of 40 to 200 bytes, each cut from source
// at character boundaries; the last byte is a line feed.
inline std::vector<uint8_t> Utf8Data(size_t size, const std::string& source, uint64_t seed = 1) {
    std::vector<uint8_t> data(size);
    Random random(seed);
    auto start = [&](size_t i) {  // back to the start of the character at i
        while (i > 0 && (uint8_t(source[i]) & 0xC0) == 0x80) --i;
        return i;
    };
    size_t pos = 0;
    while (pos < size) {
        size_t from = start(random.below(uint64_t(source.size() / 2)));
        size_t text = std::min<size_t>(39 + random.below(161), size - pos - 1);
        text = start(from + text) - from;
        std::memcpy(&data[pos], source.data() + from, text);
        pos += text;
        data[pos++] = '\n';
        if (size - pos < 2) break;
    }
    data.resize(pos);
    return data;
}

// UTF-8 text of DataSize() / 4: accented Latin, or CJK (three bytes, two
// cells a character), made and scanned once per process.
inline const ScannedData& SharedUtf8Data(bool cjk) {
    static const std::string latin =
        "Le caf\u00e9 de Z\u00fcrich ouvre d\u00e9j\u00e0 \u00e0 sept heures; la fa\u00e7ade na\u00efve, "
        "\u00fcber alles, co\u00fbte cher. \u00c7a va tr\u00e8s bien, se\u00f1or Mu\u00f1oz! \u00c6sop, "
        "\u00d8rsted, \u0141\u00f3d\u017a, \u015e\u0131\u015fli, Stra\u00dfe, \u00e5r, \u00eele. ";
    static const std::string cjk16 =
        "\u65e5\u672c\u8a9e\u306e\u6587\u7ae0\u3092\u8868\u793a\u3059\u308b\u901f\u3055\u3092\u6e2c\u308a"
        "\u307e\u3059\u3002\u6771\u4eac\u90fd\u3068\u5927\u962a\u5e9c\u306e\u5929\u6c17\u306f\u6674\u308c"
        "\u3067\u3059\u3002\u6f22\u5b57\u3068\u304b\u306a\u304c\u6df7\u3056\u3063\u3066\u3044\u307e\u3059\u3002";
    auto make = [](const std::string& text) {
        std::string source;
        while (source.size() < 4096) source += text;
        return ScannedData(Utf8Data(DataSize() / 4, source));
    };
    if (cjk) {
        static const ScannedData data = make(cjk16);
        return data;
    }
    static const ScannedData data = make(latin);
    return data;
}

// --- The plain byte-at-a-time loops ------------------------------------------

// The load-time measure: lines, longest line raw and with tabs expanded.
__attribute__((noinline)) inline pk::ScanResult ByteLoopScan(pk::Bytes d) {
    pk::ScanResult r;
    uint64_t raw = 1, exp = 1;
    for (size_t p = 0; p < d.size(); ++p) {
        uint8_t c = d[p];
        if (c == '\n') {
            r.lineCount++;
            r.longestRaw = std::max(r.longestRaw, raw - 1);
            r.longestExpanded = std::max(r.longestExpanded, exp - 1);
            raw = exp = 1;
        } else if (c == '\t') {
            exp += pk::TabWidth(exp);
            raw++;
        } else if (!(c == '\r' && p + 1 < d.size() && d[p + 1] == '\n')) {
            raw++;
            exp++;
        }
    }
    if (raw > 1) r.lineCount++;
    return r;
}

// Start of the line after the one starting at s (past the end on the last).
__attribute__((noinline)) inline size_t ByteLoopNext(pk::Bytes d, size_t s) {
    while (s < d.size() && d[s] != '\n') ++s;
    return s + 1;
}

// Start of the line before the one starting at s (s > 0).
__attribute__((noinline)) inline size_t ByteLoopPrev(pk::Bytes d, size_t s) {
    size_t p = s - 1;
    while (p > 0 && d[p - 1] != '\n') --p;
    return p;
}

// Length of the line starting at s, without its CR LF or LF.
__attribute__((noinline)) inline uint64_t ByteLoopLength(pk::Bytes d, size_t s) {
    size_t e = s;
    while (e < d.size() && d[e] != '\n') ++e;
    if (e > s && d[e - 1] == '\r') --e;
    return uint64_t(e - s);
}

// Start of line n, walking from the top.
inline size_t ByteLoopLineStart(pk::Bytes d, uint64_t n) {
    size_t s = 0;
    for (uint64_t line = 1; line < n; ++line) s = ByteLoopNext(d, s);
    return s;
}

// Line number and start of the line holding offset, walking from the top.
inline uint64_t ByteLoopLineOf(pk::Bytes d, size_t offset, size_t& start) {
    uint64_t line = 1;
    start = 0;
    for (;;) {
        size_t next = ByteLoopNext(d, start);
        if (next > offset || next >= d.size()) return line;
        start = next;
        ++line;
    }
}

// --- The program's state -----------------------------------------------------

// The program's screen of cols x rows on an in-memory console (the unit
// tests' fixture); slot 0 shows bench data, which is never freed.
struct BenchScreen {
    BenchScreen(int cols, int rows) : screen(cols, rows), console(screen.console) {}
    ~BenchScreen() { pk::fileTable[0] = pk::FileEntry{}; }

    // Slot 0 holds f as the current file, at the top with an empty cache.
    pk::FileEntry& use(const ScannedData& f) {
        pk::FileEntry& e = pk::fileTable[0];
        e = pk::FileEntry{};
        e.data = const_cast<uint8_t*>(f.bytes.data());
        e.size = uint64_t(f.bytes.size());
        e.lineCount = f.scan.lineCount;
        e.lineIndex = f.index;
        e.longestRaw = f.scan.longestRaw;
        e.longestExpanded = f.scan.longestExpanded;
        e.widestCellsRaw = f.scan.widestCellsRaw;
        e.widestCellsExpanded = f.scan.widestCellsExpanded;
        e.view = {1, 1, 0};
        e.findStart = {1, 1, 0};
        pk::program.currentEntry = 0;
        return e;
    }

    pktest::TestScreen screen;
    pk::MemoryConsole& console;
};

// --- Timing --------------------------------------------------------------------

inline double Seconds(const std::function<void()>& job) {
    auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the plain reference as often as ours ran (at most 3 times) and reports
// the throughput of both on bytesPerRun and the ratio, as "GB/s",
// "<name>_GB/s" and "x_<name>".
inline void Report(benchmark::State& state, size_t bytesPerRun, int64_t runs, double oursTotal,
                   const std::function<void()>& reference, const std::string& name) {
    int64_t refRuns = std::min<int64_t>(runs, 3);
    double refTotal = 0;
    for (int64_t i = 0; i < refRuns; ++i) refTotal += Seconds(reference);
    double oursEach = oursTotal / double(runs), refEach = refTotal / double(refRuns);
    state.SetBytesProcessed(int64_t(bytesPerRun) * runs);
    state.counters["GB/s"] = double(bytesPerRun) / oursEach / 1e9;
    state.counters[name + "_GB/s"] = double(bytesPerRun) / refEach / 1e9;
    state.counters["x_" + name] = refEach / oursEach;
}

// Times ours under the benchmark's loop, then reports against the reference.
inline void Compare(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& reference,
                    size_t bytesPerRun, const std::string& name = "byte_loop") {
    double oursTotal = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        oursTotal += Seconds(ours);
        ++runs;
    }
    Report(state, bytesPerRun, runs, oursTotal, reference, name);
}

}  // namespace pkbench
