#pragma once

#include "Core/TranscriptPunctuation.h"
#include "Infrastructure/Speech/Models/ModelStore.h"

#include <memory>
#include <optional>

namespace vocena {

class Preferences;
class SherpaOnnxEngine;

// Punctuates final transcripts with the installed punctuation model (ModelStore::
// punctuationModel) while the preference "com.vocena.speech.punctuation" is on (the default).
// The punctuation runs on the engine's decoding thread, after the audio of the recording is
// decoded; the main thread only waits for the answer. The model is loaded there once, on first
// use or preload(), and again when another one has been installed; a model that fails its
// checksums or does not load is logged and the transcript stays as it was. Both the preference
// and the store are read for every transcript: a change reaches the next dictation.
class TranscriptPunctuator final : public TranscriptPunctuation {
public:
    static constexpr const char* kEnabledKey = "com.vocena.speech.punctuation";

    TranscriptPunctuator(Preferences& preferences, ModelStore store, SherpaOnnxEngine& engine);
    ~TranscriptPunctuator() override;

    // Whether the preference is on.
    static bool isEnabled(const Preferences& preferences);
    // The model that punctuates the next transcript: nothing when punctuation is off or no
    // punctuation model is installed.
    std::optional<SpeechModel> activeModel() const;

    // Loads the active model on the decoding thread now and waits for it, so that the first
    // dictation does not wait for it and the memory it takes is measured with the others.
    void preload();
    QCoro::Task<QString> punctuate(QString text) override;

    // The state of the decoding thread (the loaded model).
    struct Loaded;

private:
    Preferences& m_preferences;
    ModelStore m_store;
    SherpaOnnxEngine& m_engine;
    std::shared_ptr<Loaded> m_loaded;
};

}  // namespace vocena
