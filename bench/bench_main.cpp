// The main of every *_bench program: pk's character widths come from a
// UTF-8 locale, as pk reads them at start, then the benchmarks run.
#include <benchmark/benchmark.h>

#include "test_screen.h"

int main(int argc, char** argv) {
    pktest::UseUtf8Locale();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
