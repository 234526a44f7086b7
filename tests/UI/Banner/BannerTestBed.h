#pragma once

#include "UI/Banner/TopStatusBannerManager.h"
#include "support/CliRunner.h"
#include "support/Dictation.h"
#include "support/FakeSpeech.h"
#include "support/ManualScheduler.h"

#include <QWidget>

namespace vocena::test {

// The banner manager on the real display, in virtual time, over a dictation whose recognizer
// runs on a scripted engine. Screens and mouse are the display's unless a test sets `screens`
// and `cursor`; the compositor check is the real one.
class BannerTestBed : public ::testing::Test {
protected:
    ManualClock clock;
    ManualScheduler scheduler{clock};
    FakeSpeech speech{scheduler};
    FakeRecognitionEngine& engine = speech.engine;
    FakeAudioSource*& audio = speech.audio;  // the newest microphone
    Dictation dictation{{.recognizer = &speech.recognizer, .scheduler = &scheduler, .listening = [this] { return speech.listening(); }}};
    VoiceInputService& service = dictation.service;
    Preferences& prefs = dictation.prefs;
    QTemporaryDir& dir = dictation.dir;  // the dictation's home, for files beside its preferences
    std::optional<QList<ScreenGeometry>> screens;
    std::optional<QPoint> cursor;
    TopStatusBannerManager banner{{scheduler, prefs,
                                   [this] { return screens ? *screens : BannerPlacement::desktopScreens(); },
                                   [this] { return cursor ? *cursor : BannerPlacement::cursorPosition(); },
                                   TopStatusBannerManager::Environment::defaultCompositorCheck}};

    void toggle() { dictation.toggle(); }
    static void settle() { Dictation::settle(); }
    // Waits until the X server shows `window` (xwininfo asks it, after what this client sent).
    static bool viewable(const QWidget* window) {
        return window && waitUntil([&] {
                   return runProcess(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window->winId())})
                       .out.contains(QStringLiteral("IsViewable"));
               }, 5000);
    }
};

}  // namespace vocena::test
