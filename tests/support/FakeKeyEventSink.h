#pragma once

#include "Infrastructure/TextInjection/KeyEventSink.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace vocena::test {

// Records the key events the service sends: each typed character, "⌫", "^Z", and the paste
// keys "^V", "^⇧V", "⇧Insert".
class FakeKeyEventSink final : public KeyEventSink {
public:
    bool available = true;
    QString untypeable;        // characters the "layout" has no key for
    bool holdingModifiers = false;
    bool releasedModifiers = false;
    PasteMethod focusedMethod;      // how the "focused window" pastes
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
    PasteMethod focusedPasteMethod() override { return focusedMethod; }
    void pressPaste(PasteKey key) override {
        switch (key) {
        case PasteKey::controlV: events << QStringLiteral("^V"); break;
        case PasteKey::controlShiftV: events << QStringLiteral("^⇧V"); break;
        case PasteKey::shiftInsert: events << QStringLiteral("⇧Insert"); break;
        }
        if (onPaste) onPaste();
    }
    bool modifiersHeld() override { return holdingModifiers; }
    void releaseModifiers() override {
        releasedModifiers = true;
        holdingModifiers = false;
    }
};

}  // namespace vocena::test
