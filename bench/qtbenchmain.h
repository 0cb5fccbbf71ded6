#pragma once

#include <benchmark/benchmark.h>

// The main function of a benchmark that needs a Qt application object (an
// event loop, sockets, widgets): App is QCoreApplication or QApplication.
template <typename App>
int runQtBenchmarks(int argc, char **argv)
{
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
