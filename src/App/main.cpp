#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vocena::Logging::install(vocena::Logging::levelFromEnvironment(vocena::Logging::Level::Notice));
    std::puts("vocena");
    return 0;
}
