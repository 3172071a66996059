#pragma once
// The main of the benchmark programs that need widgets: an offscreen application around Google
// Benchmark's run, with the database closed before the application goes.
#include "data/database.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace marvono::bench {

inline int runWidgetBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Database::instance().close();
    return 0;
}

} // namespace marvono::bench
