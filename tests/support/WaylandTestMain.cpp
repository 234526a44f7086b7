// Runs the GoogleTest cases of a Wayland session: a headless sway of the test's own, and this
// process a Qt application on it (platform "wayland") without an X display, the user's folders
// pointed at a fresh temporary home.
#include "support/HeadlessSway.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace vocena::test {
HeadlessSway* headlessSway = nullptr;
}

namespace {

// Why shared memory for Wayland buffers cannot be had here; empty when it can.
QString sharedMemoryProblem() {
    const int fd = ::memfd_create("vocena-wayland-probe", MFD_CLOEXEC);
    const bool sized = fd >= 0 && ::ftruncate(fd, 4096) == 0;
    const QString error = QString::fromLocal8Bit(std::strerror(errno));
    if (fd >= 0) ::close(fd);
    if (!sized) return QStringLiteral("shared memory (memfd_create, ftruncate) cannot be had: %1").arg(error);
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryFile probe(shm + QStringLiteral("/vocena-probe-XXXXXX"));
    if (QFileInfo(shm).isDir() && !probe.open())
        return QStringLiteral("%1 is not writable (sway allocates its buffers there): %2").arg(shm, probe.errorString());
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    vocena::test::prepareEnvironment(home);
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    // Wayland buffers live in shared memory: where it cannot be written, the compositor and every
    // client end at their first frame, so the run would end with no word of why.
    if (const QString problem = sharedMemoryProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "Wayland tests cannot run: %s\n", qPrintable(problem));
        return 1;
    }
    vocena::test::HeadlessSway sway;
    vocena::test::headlessSway = &sway;
    if (sway.socket().isEmpty()) std::fprintf(stderr, "Wayland tests: %s\n", qPrintable(sway.problem()));
    else qputenv("WAYLAND_DISPLAY", sway.socket().toUtf8());
    // offscreen: the tests skip or fail, saying why.
    qputenv("QT_QPA_PLATFORM", sway.socket().isEmpty() ? "offscreen" : "wayland");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
