#pragma once

#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Platform/SecretStore.h"
#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/SettingsStyle.h"
#include "support/ManualScheduler.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTimer>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

namespace vocena::test {

// Widgets on the display of scripts/with-xvfb: a temporary home for the preferences and other
// files, a clock and scheduler in virtual time; at the end, the modals left open are deleted
// and the application's palette is put back.
class WidgetTest : public ::testing::Test {
protected:
    ~WidgetTest() override {
        while (QWidget* modal = QApplication::activeModalWidget()) delete modal;
        QApplication::setPalette(m_palette);
    }
    QString path(const QString& name) const { return home.filePath(name); }

    QTemporaryDir home;
    Preferences prefs{home.filePath(QStringLiteral("preferences.json"))};
    ManualClock clock;
    ManualScheduler scheduler{clock};

private:
    QPalette m_palette = QApplication::palette();
};

// The secret store `inner` (a real keyring, or one in memory) with every write counted, reads
// taking `readDelayMs`, reads and writes held back while the gate is closed and failing as told.
class ScriptedSecretStore final : public SecretStore {
public:
    explicit ScriptedSecretStore(std::shared_ptr<SecretStore> inner, int readDelayMs = 0)
        : inner(std::move(inner)), readDelayMs(readDelayMs) {}
    QCoro::Task<std::optional<QString>> read(QString service, QString account) override {
        if (readDelayMs > 0) co_await QCoro::sleepFor(std::chrono::milliseconds(readDelayMs));
        if (holdReads) co_await qCoro(&gate, &QTimer::timeout);
        co_return co_await inner->read(service, account);
    }
    QCoro::Task<Reading> readChecked(QString service, QString account) override {
        if (failReads) co_return Reading{std::nullopt, true};  // as a keyring that timed out
        QCoro::Task<std::optional<QString>> reading = read(service, account);
        std::optional<QString> secret = co_await std::move(reading);
        co_return Reading{std::move(secret), false};
    }
    QCoro::Task<bool> write(QString service, QString account, QString secret) override {
        writes.append(secret);
        if (holdWrites) co_await qCoro(&gate, &QTimer::timeout);
        if (failWrites) co_return false;
        co_return co_await inner->write(service, account, secret);
    }
    QCoro::Task<bool> remove(QString service, QString account) override { return inner->remove(service, account); }
    QString backendName() const override { return inner->backendName(); }
    void openGate() {
        holdReads = holdWrites = false;
        gate.setSingleShot(true);
        gate.start(0);
    }

    std::shared_ptr<SecretStore> inner;
    int readDelayMs;
    QStringList writes;
    bool holdReads = false, holdWrites = false, failWrites = false, failReads = false;
    QTimer gate;
};

// Shows `widget`'s window, raised and active, and waits until the X server has mapped it.
inline bool showActive(QWidget* widget) {
    QWidget* window = widget->window();
    window->show();
    window->raise();
    window->activateWindow();
    return waitUntil([window] { return window->isActiveWindow() && window->windowHandle()->isExposed(); });
}

inline bool shown(const QWidget* widget) { return widget && widget->isVisible(); }

template <typename T = QWidget>
T* child(const QObject* parent, const char* name) { return parent->findChild<T*>(QString::fromUtf8(name)); }
// The text of `label` (or of the label `name` below `parent`) while it shows; otherwise nothing.
inline QString shownText(const QLabel* label) { return shown(label) ? label->text() : QString(); }
inline QString shownText(const QObject* parent, const char* name) { return shownText(child<QLabel>(parent, name)); }
// The button below `parent` titled `title`.
inline QAbstractButton* buttonTitled(const QObject* parent, const QString& title) {
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>())
        if (button->text() == title) return button;
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
}

// Waits for the message box of `owner` and presses its button titled `title`; the box's text.
inline QString pressInMessageBox(const QWidget* owner, const QString& title) {
    QMessageBox* box = nullptr;
    if (!waitUntil([&] { return shown(box = owner->findChild<QMessageBox*>()); })) { ADD_FAILURE() << "no message box"; return {}; }
    const QString text = box->text();
    if (QAbstractButton* button = buttonTitled(box, title)) button->click();
    EXPECT_TRUE(waitUntil([owner] { return !owner->findChild<QMessageBox*>(); }));
    return text;
}

// Clicks `button`, and in the file dialog it opens chooses `file` with the button titled
// `accept` (a null file: closes the dialog unanswered); the dialog's title.
inline QString chooseInFileDialog(QAbstractButton* button, const QString& file, const QString& accept) {
    button->click();
    QFileDialog* dialog = nullptr;
    QWidget* window = button->window();
    if (!waitUntil([&] { return shown(dialog = window->findChild<QFileDialog*>()); })) { ADD_FAILURE() << "no file dialog"; return {}; }
    const QString title = dialog->windowTitle();
    if (file.isNull()) {
        dialog->reject();
    } else if (QAbstractButton* chosen = buttonTitled(dialog, accept)) {
        child<QLineEdit>(dialog, "fileNameEdit")->setText(file);  // as typed
        EXPECT_TRUE(waitUntil([chosen] { return chosen->isEnabled(); }));
        chosen->click();
    }
    EXPECT_TRUE(waitUntil([&] { return !window->findChild<QFileDialog*>(); }));  // closed and gone
    return title;
}

// Opaque pixels of `image` within `tolerance` of `colour` in every channel.
inline int countNear(const QImage& image, const QColor& colour, int tolerance = 40) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QColor pixel = argb.pixelColor(x, y);
            count += pixel.alpha() == 255 && std::abs(pixel.red() - colour.red()) <= tolerance &&
                     std::abs(pixel.green() - colour.green()) <= tolerance && std::abs(pixel.blue() - colour.blue()) <= tolerance;
        }
    return count;
}

// With VOCENA_SCREENSHOTS=<folder> (scripts/screenshots sets it), saves what the display shows
// of `widget`'s window, with a margin, as <folder>/<name>.png; a card shown on its own wears the
// settings window's style sheet for it (`likeSettings`). Otherwise nothing.
inline void saveScreenshot(QWidget* widget, const QString& name, int margin = 16, bool likeSettings = false) {
    const QString folder = qEnvironmentVariable("VOCENA_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QWidget* window = widget->window();
    if (likeSettings) {
        window->setObjectName(QStringLiteral("settingsScreenshotRoot"));
        window->setStyleSheet(SettingsStyle::styleSheet(ThemePalette::isDark(window->palette()), window->objectName()));
    }
    // Painted and sent before the grab, on the same connection to the X server: the window and
    // whatever opened over it (a sheet).
    QList<QPointer<QWidget>> windows;
    for (QWidget* topLevel : QApplication::topLevelWidgets())
        if (topLevel->isVisible()) windows << topLevel;
    for (const QPointer<QWidget>& topLevel : windows) {
        // (Waiting runs events, which may delete another window of the list.)
        (void)waitUntil([&] { return !topLevel || (topLevel->windowHandle() && topLevel->windowHandle()->isExposed()); });
        if (topLevel) topLevel->repaint();
    }
    const QRect area = window->frameGeometry().adjusted(-margin, -margin, margin, margin);
    QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

}  // namespace vocena::test
