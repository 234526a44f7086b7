#pragma once

#include "Core/RecognitionState.h"

namespace vocena {

class VoiceInputService;

// How the dictation controller reports to the shell; called on the main thread.
class VoiceInputServiceDelegate {
public:
    virtual ~VoiceInputServiceDelegate() = default;
    virtual void didUpdateText(VoiceInputService& service, const QString& text) = 0;
    virtual void didUpdateState(VoiceInputService& service, const RecognitionState& state) = 0;
    virtual void didUpdateAudioLevel(VoiceInputService& service, float level) { }
};

// The messages the pipeline puts in front of the user; the tray app shows them as dialogs,
// the command line prints them.
class VoiceInputAlerts {
public:
    virtual ~VoiceInputAlerts() = default;
    // Key events cannot be sent (no X display with XTest): nothing was typed.
    virtual void showAccessibilityAlert() = 0;
    // Typing failed; `description` is the error's text.
    virtual void showInjectionError(const QString& description) = 0;
    // The focused application did not take the pasted text, which was left on the clipboard:
    // `notice` ("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴") tells the user to paste it,
    // shown for 3 s as a notice rather than an error dialog. Until a shell shows notices, it is
    // shown as an injection error.
    virtual void showTextLeftOnClipboard(const QString& notice) { showInjectionError(notice); }
    // Nothing could type the text and the clipboard could not hold it: `notice` says so and
    // the text itself is shown for the user to copy by hand.
    virtual void showTextNotKept(const QString& notice, const QString& text) {
        showInjectionError(notice + QStringLiteral("。识别的文字：") + text);
    }
};

}  // namespace vocena
