// Runs the GoogleTest cases of one test executable inside a QCoreApplication, with the
// user's folders pointed at a fresh temporary home so that no test touches real data. Started
// with "--child-role NAME", it runs that role instead (see ChildProcess.h).
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QTemporaryDir home;
    vocena::test::prepareEnvironment(home);
    QCoreApplication app(argc, argv);
    if (const auto code = vocena::test::runChildRole(app.arguments())) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
