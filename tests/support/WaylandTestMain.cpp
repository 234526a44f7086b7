// Runs the GoogleTest cases of a Wayland session: a headless sway of the test's own, and this
// process a Qt application on it (platform "wayland") without an X display, the user's folders
// pointed at a fresh temporary home.
#include "support/HeadlessSway.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

namespace vocena::test {
HeadlessSway* headlessSway = nullptr;
}

int main(int argc, char** argv) {
    QTemporaryDir home;
    vocena::test::prepareEnvironment(home);
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    vocena::test::HeadlessSway sway;
    vocena::test::headlessSway = &sway;
    if (!sway.socket().isEmpty()) {
        qputenv("WAYLAND_DISPLAY", sway.socket().toUtf8());
        qputenv("QT_QPA_PLATFORM", "wayland");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");  // the tests skip or fail, saying why
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
