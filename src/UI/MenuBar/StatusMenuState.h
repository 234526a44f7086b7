#pragma once

#include <QtGlobal>

namespace vocena {

// What the tray menu shows; the app shell fills it from the dictation state and the stored
// preferences and hands it over whole after every change.
struct StatusMenuState {
    bool recording = false;
    qint64 workMode = 0;  // "com.vocena.work.mode" as stored: 0 input method, any other the assistant
    qint64 aiMode = 0;    // 0 smart processing on, 1 off (as AISettingsStore::aiProcessingOn reads both keys)
    bool conversationHasHistory = false;  // the assistant's conversation context holds turns
    // A stopped recording's last words are still being recognised: the item cannot start
    // another one by accident.
    bool awaitingFinalResult = false;

    friend bool operator==(const StatusMenuState&, const StatusMenuState&) = default;
};

}  // namespace vocena
