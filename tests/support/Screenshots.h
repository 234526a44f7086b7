#pragma once

#include "support/WaitUntil.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QWidget>

namespace vocena::test {

// With VOCENA_SCREENSHOTS=<folder> (scripts/screenshots sets it), saves what the display shows
// of `widget`'s window, with a margin, as <folder>/<name>.png; otherwise nothing.
inline void saveScreenshot(const QWidget* widget, const QString& name, int margin = 16) {
    const QString folder = qEnvironmentVariable("VOCENA_SCREENSHOTS");
    if (folder.isEmpty()) return;
    waitUntil([] { return false; }, 300);  // the last paint reaches the display
    const QRect area = widget->window()->frameGeometry().adjusted(-margin, -margin, margin, margin);
    QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

}  // namespace vocena::test
