#pragma once

#include <benchmark/benchmark.h>

namespace tarvex::bench {

// What every benchmark's main does once its application object exists: read the benchmark
// options, refuse unknown ones, run, and report.
inline int runAll(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tarvex::bench
