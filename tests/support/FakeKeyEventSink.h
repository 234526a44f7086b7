#pragma once

#include "Infrastructure/TextInjection/KeyEventSink.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace vocena::test {

// Records the key events the service sends: each typed character, "⌫", "^Z", "^V".
class FakeKeyEventSink final : public KeyEventSink {
public:
    bool available = true;
    QString untypeable;        // characters the "layout" has no key for
    bool holdingModifiers = false;
    bool releasedModifiers = false;
    std::function<void()> onPaste;  // the target reacting to the paste shortcut
    QStringList events;

    bool isAvailable() override { return available; }
    bool canType(char32_t character) override { return !untypeable.contains(QChar(character)); }
    bool typeCharacter(char32_t character) override {
        if (!canType(character)) return false;
        events << QString(QChar(character));
        return true;
    }
    void pressBackspace() override { events << QStringLiteral("⌫"); }
    void pressUndo() override { events << QStringLiteral("^Z"); }
    void pressPaste() override {
        events << QStringLiteral("^V");
        if (onPaste) onPaste();
    }
    bool modifiersHeld() override { return holdingModifiers; }
    void releaseModifiers() override {
        releasedModifiers = true;
        holdingModifiers = false;
    }
};

}  // namespace vocena::test
