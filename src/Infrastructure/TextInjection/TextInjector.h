#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <exception>

namespace vocena {

enum class TextInjectionMode { keystroke, pasteboard, automatic };  // "auto" is a C++ keyword

// A failure to put text into the focused application.
class TextInjectionError : public std::exception {
public:
    enum class Kind {
        pasteboardAccessFailed,
        keystrokeSimulationFailed,
        accessibilityPermissionDenied,
        invalidText,
        timeout,
        // The focused application did not fetch the pasted text: it is left on the clipboard.
        notDelivered,
        // Nothing can type here and the clipboard could not be set: the text is only shown.
        notKept,
    };
    explicit TextInjectionError(Kind kind) : m_kind(kind), m_what(description().toUtf8()) {}
    Kind kind() const { return m_kind; }
    // The error's default description, shown after "无法将识别的文字输入到当前应用。错误：".
    QString description() const;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Kind m_kind;
    QByteArray m_what;
};

// What the dictation pipeline and the voice commands need of the text injection subsystem:
// typing or pasting a text, backspaces and undo in the focused application. The real one is
// TextInjectionService; the command line's dry run describes instead of typing.
class TextInjector {
public:
    virtual ~TextInjector() = default;

    // Whether key events can be sent at all (the X display offers XTest and answers the
    // input-focus query); asks nothing of the user.
    virtual bool isTrusted() = 0;
    // Throws TextInjectionError. Returns when the text has been typed or pasted (and the
    // clipboard restored). A paste the focused application never fetched fails with
    // `notDelivered` and leaves the text on the clipboard.
    virtual QCoro::Task<void> injectText(QString text, TextInjectionMode mode) = 0;
    // `count` presses of Backspace, 50 ms apart.
    virtual QCoro::Task<void> deleteLastCharacters(int count) = 0;
    // Command+Z (Control+Z here).
    virtual QCoro::Task<void> undo() = 0;
};

}  // namespace vocena
