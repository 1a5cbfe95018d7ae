// The entry point of every benchmark program: a Qt application object first, since the parts
// under measurement use Qt's files, processes and event loop, then Google Benchmark's runner.

#include <benchmark/benchmark.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
