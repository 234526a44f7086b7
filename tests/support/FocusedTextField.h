#pragma once

#include "support/WaitUntil.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;

namespace vocena::test {

// A top-level window of this process whose text field holds the keyboard focus of the X
// display, for tests that send it real key events. Notes the shortcuts it receives.
class FocusedTextField : public QObject {
public:
    enum class Kind { multiLine, singleLine };
    explicit FocusedTextField(Kind kind = Kind::multiLine);
    ~FocusedTextField() override;

    QString text() const;
    void setText(const QString& text);
    // Runs the event loop until the field shows `expected` (or 3 s passed); returns the text.
    QString waitForText(const QString& expected);
    WId windowId() const { return m_window->winId(); }

    QStringList shortcuts;     // key presses with Control, as "Ctrl+V" or "Ctrl+Shift+V"
    bool ignorePaste = false;  // a target too busy to react to the paste shortcut

protected:
    bool eventFilter(QObject*, QEvent* event) override;

private:
    std::unique_ptr<QWidget> m_window;
    QPlainTextEdit* m_multiLine = nullptr;
    QLineEdit* m_singleLine = nullptr;
};

}  // namespace vocena::test
