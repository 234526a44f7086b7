#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QString>
#include <memory>
#include <optional>

namespace vocena {

class ModelStore;
class Preferences;
class SherpaOnnxEngine;

// The speech engine of the active model, loaded in this process, and what the speech
// recognition "permission" means on Linux: authorized when the active model is installed,
// verified, unchanged and loads; not determined when none is installed; denied otherwise.
struct SpeechSetup {
    std::unique_ptr<SherpaOnnxEngine> engine;  // null unless authorized
    PermissionStatus status = PermissionStatus::notDetermined;
    QString modelName;
    QString problem;  // why there is no engine

    // The models a dictation loads: the active streaming model with the final pass's beside it,
    // or, where no streaming model is installed, a non-streaming model alone (`speech`; the
    // engine then ignores `finalPass`).
    struct Models {
        std::optional<SpeechModel> speech;
        std::optional<SpeechModel> finalPass;
        QString finalPassReason;  // why there is no final pass
        QString problem;  // why there is no model
        bool notInstalled = false;
    };
    static Models models(Preferences& preferences, const ModelStore& store);
    static SpeechSetup load(Preferences& preferences);
    // Makes the user's vocabulary the engine's hotwords, with the score of the preferences,
    // both read again at every recording.
    static void useVocabularyAsHotwords(SherpaOnnxEngine& engine, Preferences& preferences);
    // The hotword score preference, or its default.
    static double hotwordScore(const Preferences& preferences);
    // The status, with the model's name when authorized or else the problem.
    PermissionCheck check() const;
};

// The probes of this machine: PulseAudio, the fcitx5 bridge on the session bus or X11 (XTest
// and a read of the focused window), and the active model, loaded.
PermissionProbes linuxPermissionProbes(Preferences& preferences);

}  // namespace vocena
