// Benchmarks of the app's hot paths; run with `make bench`.
#include <benchmark/benchmark.h>

#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vocena::Logging::install(vocena::Logging::Level::Notice);  // keep the tables readable
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
