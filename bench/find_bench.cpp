// Find on log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1) with the
// needle only in the last line: hex-view and text-view find, exact and with
// letters folded, for a needle of rare bytes and one made only of bytes
// common in the text. Each also times the plain search - compare the needle
// at every position, line by line in text view - on the same data and
// reports the ratio as "x_plain". BM_NeedleScan times the byte scan alone
// at each vector width (0 none, 1 SSE2, 2 AVX2; never beyond what the
// processor has), both case modes. The pattern finds run as pk runs them,
// in the text view: one with a literal and one of classes only, whose only
// hits are in the last line; a backward find from the bottom to a hit in the
// first line (pattern and string); and the count of "all" on a word with
// millions of hits (string and pattern), its count reported as "hits".
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>

#include "bench_data.h"
#include "display/display_state.h"
#include "display/find.h"
#include "panel/ascii.h"
#include "text/byte_scan.h"

namespace {

// In no line of the generated text: rare bytes, and bytes that are all
// common there (the first letter begins many words).
constexpr std::string_view kNeedles[] = {"Needle#7Qz", "reset sent"};
// The start of the first line and of the last: the pattern finds' only hits.
constexpr std::string_view kFirstLine = "FIRSTLINE_ABC_zz9 ", kLastLine = "LASTLINE_ABC_zz9 54321ms";

const pkbench::ScannedData& Data() {
    static const pkbench::ScannedData data = [] {
        std::vector<uint8_t> d = pkbench::LogData(pkbench::DataSize());
        // The last line: filler, the needles, the line feed.
        std::memset(&d[d.size() - 64], 'x', 63);
        std::memcpy(&d[d.size() - 40], kNeedles[1].data(), kNeedles[1].size());
        std::memcpy(&d[d.size() - 20], kNeedles[0].data(), kNeedles[0].size());
        d[d.size() - 65] = '\n';
        std::memcpy(&d[d.size() - 64], kLastLine.data(), kLastLine.size());
        std::memcpy(&d[0], kFirstLine.data(), kFirstLine.size());
        return pkbench::ScannedData(std::move(d));
    }();
    return data;
}

// Slot 0 holds the data at the top, on an 80 x 24 screen, with a needle as
// the find string.
pk::FileEntry& Load(std::string_view needle) {
    static pkbench::BenchScreen screen(80, 24);
    pk::settings.findLength = uint16_t(needle.size());
    std::memcpy(pk::settings.findString, needle.data(), needle.size());
    return screen.use(Data());
}

// --- The plain searches ----------------------------------------------------

// The needle and its length are read at run time, as the program holds them.
bool Equal(const uint8_t* p, const uint8_t* s, uint32_t n, bool fold) {
    if (!fold) return std::memcmp(p, s, n) == 0;
    for (uint32_t i = 0; i < n; ++i)
        if (pk::AsciiLower(p[i]) != pk::AsciiLower(s[i])) return false;
    return true;
}

__attribute__((noinline)) size_t PlainHex(const pk::FileEntry& e, const uint8_t* s, uint32_t n, bool fold) {
    for (size_t o = 0; o + n <= e.size; ++o)
        if (Equal(e.data + o, s, n, fold)) return o;
    return e.size;
}

__attribute__((noinline)) uint32_t PlainText(const pk::FileEntry& e, const uint8_t* s, uint32_t n, bool fold) {
    pk::LineCache cache;
    pk::LineInfo info;
    const pk::TextLines lines{e.bytes(), e.lineCount, {}};
    for (uint32_t line = 1; pk::LineAt(lines, cache, line, info); ++line) {
        cache = pk::LineCache{info.offset, line, info.start};
        for (int64_t p = 1; p <= int64_t(info.length) - n + 1; ++p)
            if (Equal(info.start + p - 1, s, n, fold)) return line;
    }
    return 0;
}

void Find(benchmark::State& state, bool hex, bool fold, int needle) {
    pk::FileEntry& e = Load(kNeedles[needle]);
    pk::display.hexView = hex;
    pk::display.exactCase = fold ? 0 : 1;
    auto ours = [&] {
        Load(kNeedles[needle]);
        if (pk::RunFind() != 1) state.SkipWithError("needle not found");
    };
    auto plain = [&] {
        const uint8_t* s = pk::settings.findString;
        uint32_t n = pk::settings.findLength;
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(n);
        if (hex) benchmark::DoNotOptimize(PlainHex(e, s, n, fold));
        else benchmark::DoNotOptimize(PlainText(e, s, n, fold));
    };
    pkbench::Compare(state, ours, plain, e.size, "plain");
}

BENCHMARK_CAPTURE(Find, hex_exact, true, false, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Find, hex_fold, true, true, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Find, text_exact, false, false, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Find, text_fold, false, true, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Find, text_exact_common, false, false, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Find, text_fold_common, false, true, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The byte scan alone over the whole data: arguments width and fold.
void BM_NeedleScan(benchmark::State& state) {
    const pkbench::ScannedData& d = Data();
    std::string_view needle = kNeedles[1];
    auto width = pk::VectorWidth(state.range(0));
    bool fold = state.range(1) != 0;
    for (auto _ : state) {
        size_t hit = pk::ScanForNeedle(d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<const uint8_t*>(needle.data()),
                                       needle.size(), fold, width);
        if (hit != d.bytes.size() - 40) state.SkipWithError("needle not found at the end");
    }
    state.SetBytesProcessed(int64_t(d.bytes.size()) * state.iterations());
    state.counters["best_width"] = double(pk::BestVectorWidth());
}
BENCHMARK(BM_NeedleScan)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

// --- Patterns, backward, count ---------------------------------------------

// A pattern or string found from the top (or, backward, from the end) as
// the find command leaves it, in the text view; the hit's line must be the
// last (the first).
void Pattern(benchmark::State& state, std::string_view needle, uint32_t kind, bool backward) {
    const pkbench::ScannedData& d = Data();
    const uint64_t want = backward ? 1 : d.scan.lineCount;
    for (auto _ : state) {
        pk::FileEntry& e = Load(needle);
        pk::display.hexView = 0;
        pk::display.exactCase = 0;
        pk::settings.findKind = kind;
        pk::settings.findBackward = backward;
        e.findStart = backward ? pk::EndPosition() : pk::FilePosition{1, 1, 0};
        if (pk::RunFind() == 0 || e.found.line != want) state.SkipWithError("not found where expected");
    }
    state.SetBytesProcessed(int64_t(d.bytes.size()) * state.iterations());
}

// "all": the first hit and every hit counted; the count as "hits".
void RunAll(benchmark::State& state, std::string_view needle, uint32_t kind) {
    const pkbench::ScannedData& d = Data();
    uint64_t hits = 0;
    for (auto _ : state) {
        pk::FileEntry& e = Load(needle);
        pk::display.hexView = 0;
        pk::settings.findKind = kind;
        pk::settings.findBackward = 0;
        e.findStart = pk::FilePosition{1, 1, 0};
        pk::CountOnNextFind();
        if (pk::RunFind() != pk::FIND_HIT_COUNTED) state.SkipWithError("no count");
        std::string digits;
        for (const char* c = pk::display.messageText; *c != ' ' && *c != '\0'; ++c)
            if (*c != ',') digits += *c;
        hits = std::stoull(digits);
    }
    state.SetBytesProcessed(int64_t(d.bytes.size()) * state.iterations());
    state.counters["hits"] = double(hits);
}

BENCHMARK_CAPTURE(Pattern, literal_in_last_line, "LASTLINE_[A-Z]+_zz9", pk::FIND_KIND_PATTERN, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Pattern, classes_in_last_line, "\\d{5}ms", pk::FIND_KIND_PATTERN, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Pattern, prev_to_first_line, "FIRSTLINE_[A-Z]+", pk::FIND_KIND_PATTERN, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Pattern, prev_string_to_first_line, "FIRSTLINE_ABC", pk::FIND_KIND_TEXT, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunAll, all_string, "ERROR", pk::FIND_KIND_TEXT)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunAll, all_pattern, "ERROR", pk::FIND_KIND_PATTERN)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunAll, all_pattern_word, "\\balice\\b", pk::FIND_KIND_PATTERN)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
