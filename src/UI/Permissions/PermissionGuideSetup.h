#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

#include <QString>
#include <functional>

namespace vocena {

class Preferences;
class Scheduler;

// What the permission guide works with, given by its owner (the app, or a test).
struct PermissionGuideSetup {
    // The three checks; the guide builds its own PermissionManager over them. Their help
    // callback is not used: the guide shows its own help dialog.
    PermissionProbes probes;
    // "授权" on the speech row installs `speechModel` (a built-in model's name, a URL or an
    // archive, as `vocena model install` takes it) into the model store at `modelsDirectory`,
    // verified by `verifierProgram model verify DIR`; `preferences` record the active model.
    Preferences* preferences = nullptr;
    QString speechModel;
    QString modelsDirectory;
    QString verifierProgram;
    // The delayed refresh after activation and the delayed restart alert run on it.
    Scheduler* scheduler = nullptr;
    // "现在重启" in the restart alert.
    std::function<void()> quitApplication;
    // Installed after `speechModel` as a second download when not empty and no punctuation model
    // is installed yet (the same forms as `speechModel`).
    QString punctuationModel;
    // Offered after them as an optional download ("下载", with its size when it is a built-in
    // model) while not empty and no final-pass model is installed (the same forms).
    QString finalPassModel;

    // The user's model store and the built-in models, the main scheduler, and QCoreApplication::quit.
    static PermissionGuideSetup standard(PermissionProbes probes, Preferences& preferences);
};

}  // namespace vocena
