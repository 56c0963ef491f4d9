#pragma once
// The main function of a benchmark that draws or opens windows: text needs
// fonts and a paint engine, never a display, so the offscreen platform is
// used unless the caller chose another.

#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace zov::bench {

template <class Application>
int runQtBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace zov::bench
