// Runs the GoogleTest cases that need a display (scripts/with-xvfb provides one) inside a
// QApplication on xcb, with the user's folders pointed at a fresh temporary home.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QTemporaryDir home;
    vocena::test::prepareEnvironment(home);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
