#pragma once

#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QString>
#include <optional>

namespace vocena {

class ModelStore;
class Preferences;

// The final pass: a finished segment of speech recognised again by the installed non-streaming
// model, whose text is typed instead of the streaming model's. The streaming text is kept (and
// the log says why) whenever the final pass cannot be trusted with the words.
class FinalPass {
public:
    static constexpr const char* kEnabledKey = "com.vocena.speech.finalPass";
    static bool isEnabled(const Preferences& preferences);

    // What the final text is taken from: the installed non-streaming model whose files still
    // match; none when it is the streaming model, and `reason` then says why.
    struct Source {
        std::optional<SpeechModel> model;
        QString reason;
        bool installed = false;  // a non-streaming model is installed (damaged where `model` is none)
    };
    static Source source(const Preferences& preferences, const ModelStore& store);
    // The same, whatever the preference says (a non-streaming model alone is the only recogniser).
    static Source installed(const ModelStore& store);

    // The text of a segment: the final pass's when it came back with words, or with nothing
    // where the streaming model heard nothing either; else the streaming text.
    static QString choose(const QString& streaming, const std::optional<QString>& finalPass, const QString& failure);
};

}  // namespace vocena
