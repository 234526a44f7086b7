#pragma once

#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "UI/Banner/TopStatusBannerManager.h"
#include "support/DictationHarness.h"
#include "support/FakeSpeech.h"
#include "support/ManualScheduler.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

namespace vocena::test {

// The banner manager on the real X display, in virtual time, over a dictation controller whose
// recognizer runs on a scripted engine. Screens and mouse are the display's unless a test sets
// `screens` and `cursor`; the compositor check is the real one.
class BannerTestBed : public ::testing::Test {
protected:
    ManualClock clock;
    ManualScheduler scheduler{clock};
    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    std::optional<QList<ScreenGeometry>> screens;
    std::optional<QPoint> cursor;
    TopStatusBannerManager banner{{scheduler, prefs,
                                   [this] { return screens ? *screens : BannerPlacement::desktopScreens(); },
                                   [this] { return cursor ? *cursor : BannerPlacement::cursorPosition(); },
                                   TopStatusBannerManager::Environment::defaultCompositorCheck}};

    FakeRecognitionEngine engine;
    FakeAudioSource* audio = nullptr;
    SystemSpeechRecognizer recognizer{&engine, fakeAudioSources(audio), scheduler};
    DictationHarness dictation{recognizer, &scheduler, []() -> QCoro::Task<bool> { co_return true; }};
    VoiceInputService& service = dictation.service;

    // Starts or stops a recording as the gesture does; a start has finished when the
    // microphone runs.
    void toggle() {
        const bool starting = !service.isRecording();
        audio = nullptr;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        if (starting) {
            ASSERT_TRUE(waitUntil([&] { return audio && audio->running; }));
        }
        settle();
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // Lets the X server and the other clients catch up (real time, bounded).
    static void roundTrip(int milliseconds = 150) {
        waitUntil([] { return false; }, milliseconds);
    }
    static QRect availableScreen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

}  // namespace vocena::test
