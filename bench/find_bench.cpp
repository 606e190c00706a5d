// Find on log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1) with the
// needle only in the last line: hex-view and text-view find, exact and with
// letters folded. Each benchmark also times the plain search - compare the
// needle at every position, line by line in text view - on the same data
// and reports the ratio as "x_plain".
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_data.h"
#include "display/display_state.h"
#include "display/find.h"
#include "text/ascii.h"

namespace {

constexpr char kNeedle[] = "Needle#7Qz";  // in no line of the generated text
constexpr uint32_t kNeedleLength = sizeof kNeedle - 1;

const pkbench::ScannedData& Data() {
    static const pkbench::ScannedData data = [] {
        std::vector<uint8_t> d = pkbench::LogData(pkbench::DataSize());
        // The last line: filler, the needle, the line feed.
        std::memset(&d[d.size() - 64], 'x', 63);
        std::memcpy(&d[d.size() - 20], kNeedle, kNeedleLength);
        d[d.size() - 65] = '\n';
        return pkbench::ScannedData(std::move(d));
    }();
    return data;
}

// Slot 0 holds the data at the top, on an 80 x 24 screen, with the needle
// as the find string.
pk::FileEntry& Load() {
    static pkbench::BenchScreen screen(80, 24);
    pk::settings.findLength = kNeedleLength;
    std::memcpy(pk::settings.findString, kNeedle, kNeedleLength);
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
    for (uint32_t line = 1; pk::LineAt(e.bytes(), e.lineCount, cache, line, info); ++line) {
        cache = pk::LineCache{info.offset, line, info.start};
        for (int64_t p = 1; p <= int64_t(info.length) - n + 1; ++p)
            if (Equal(info.start + p - 1, s, n, fold)) return line;
    }
    return 0;
}

void Find(benchmark::State& state, bool hex, bool fold) {
    pk::FileEntry& e = Load();
    pk::display.hexView = hex;
    pk::display.exactCase = fold ? 0 : 1;
    auto ours = [&] {
        Load();
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

void BM_HexFindExact(benchmark::State& state) { Find(state, true, false); }
void BM_HexFindFold(benchmark::State& state) { Find(state, true, true); }
void BM_TextFindExact(benchmark::State& state) { Find(state, false, false); }
void BM_TextFindFold(benchmark::State& state) { Find(state, false, true); }

BENCHMARK(BM_HexFindExact)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HexFindFold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextFindExact)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextFindFold)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
