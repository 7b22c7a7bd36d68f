// The main of a benchmark program that paints: an offscreen GUI application unless a
// platform is named, then the benchmarks asked for on the command line.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace tidrun {

inline int RunGuiBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tidrun
