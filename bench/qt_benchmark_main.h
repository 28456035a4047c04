#pragma once
// What every benchmark's main does: a QApplication, on the offscreen
// platform unless another is named, then Google Benchmark.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

namespace quillet::bench {

// prepare makes the inputs once, before anything is timed.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {})
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (prepare)
        prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quillet::bench
