// Runs the GoogleTest cases of one test executable inside a QCoreApplication, with the
// user's folders pointed at a fresh temporary home so that no test touches real data.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QTemporaryDir home;
    vocena::test::prepareEnvironment(home);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
