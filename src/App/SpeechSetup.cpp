#include "App/SpeechSetup.h"

#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/MicrophoneProbe.h"
#include "Infrastructure/Speech/ModelStore.h"
#include "Infrastructure/Speech/SherpaOnnxEngine.h"

#include <QDesktopServices>
#include <QGuiApplication>

namespace vocena {

SpeechSetup SpeechSetup::load(Preferences& preferences) {
    SpeechSetup setup;
    const ModelStore store = ModelStore::standard(preferences);
    setup.modelName = store.activeName();
    bool notInstalled = false;
    const std::optional<SpeechModel> model = store.loadableModel(&setup.problem, &notInstalled);
    if (!model) {
        setup.status = notInstalled ? PermissionStatus::notDetermined : PermissionStatus::denied;
        return setup;
    }
    auto engine = std::make_unique<SherpaOnnxEngine>(Scheduler::main());
    if (!engine->load(*model, SherpaRecognizer::Options{}, &setup.problem)) {
        setup.status = PermissionStatus::denied;
        return setup;
    }
    setup.engine = std::move(engine);
    setup.status = PermissionStatus::authorized;
    return setup;
}

PermissionProbes linuxPermissionProbes(Preferences& preferences) {
    PermissionProbes probes;
    probes.microphone = [] {
        return MicrophoneProbe::check().status == MicrophoneProbe::Status::granted ? PermissionStatus::authorized
                                                                                   : PermissionStatus::denied;
    };
    probes.accessibilityTrusted = [] { return X11AccessibilityProbe::check().trusted; };
    probes.accessibilityRealOperation = [] { return X11AccessibilityProbe::check().focusQueryWorks; };
    probes.speechRecognition = [&preferences] {
        bool notInstalled = false;
        QString problem;
        if (ModelStore::standard(preferences).loadableModel(&problem, &notInstalled)) return PermissionStatus::authorized;
        return notInstalled ? PermissionStatus::notDetermined : PermissionStatus::denied;
    };
    probes.openHelp = [](PermissionType type) {
        const QUrl page = PermissionHelp::writePage(type);
        if (!page.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QDesktopServices::openUrl(page);
    };
    return probes;
}

}  // namespace vocena
