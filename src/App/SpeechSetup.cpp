#include "App/SpeechSetup.h"

#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/Fcitx5AccessibilityProbe.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/WlrootsAccessibilityProbe.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/FinalPass.h"
#include "Infrastructure/Speech/MicrophoneProbe.h"
#include "Infrastructure/Speech/ModelStore.h"
#include "Infrastructure/Speech/SherpaOnnxEngine.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Utils/VocabularyStore.h"

#include <QDesktopServices>
#include <QGuiApplication>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}

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
    const FinalPass::Source finalPass = FinalPass::source(preferences, store);
    if (!finalPass.model) logger.info(QStringLiteral("最终文字来自流式识别: %1").arg(finalPass.reason));
    if (!engine->load(*model, SherpaRecognizer::Options{}, &setup.problem, finalPass.model)) {
        setup.status = PermissionStatus::denied;
        return setup;
    }
    useVocabularyAsHotwords(*engine, preferences);
    setup.engine = std::move(engine);
    setup.status = PermissionStatus::authorized;
    return setup;
}

void SpeechSetup::useVocabularyAsHotwords(SherpaOnnxEngine& engine, Preferences& preferences) {
    engine.setHotwordSource([&preferences] { return SherpaRecognizer::Hotwords{VocabularyStore::shared().items(), hotwordScore(preferences)}; });
}

double SpeechSetup::hotwordScore(const Preferences& preferences) {
    return preferences.doubleValue(QString::fromLatin1(SherpaOnnxEngine::kHotwordScoreKey)).value_or(SherpaOnnxEngine::kDefaultHotwordScore);
}

PermissionCheck SpeechSetup::check() const {
    return {status, status == PermissionStatus::authorized ? modelName : problem};
}

PermissionProbes linuxPermissionProbes(Preferences& preferences) {
    PermissionProbes probes;
    probes.microphone = [] {
        const MicrophoneProbe::Result microphone = MicrophoneProbe::check();
        return PermissionCheck{microphone.status == MicrophoneProbe::Status::granted ? PermissionStatus::authorized : PermissionStatus::denied,
                               microphone.detail};
    };
    probes.accessibility = [] { return WlrootsAccessibilityProbe::check(X11AccessibilityProbe::check()); };
    probes.inputMethod = [] { return Fcitx5AccessibilityProbe::check(InputBackendPlatform::sessionBus()); };
    probes.speechRecognition = [&preferences] { return SpeechSetup::load(preferences).check(); };
    probes.openHelp = [](PermissionType type) {
        const QUrl page = PermissionHelp::writePage(type);
        if (!page.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QDesktopServices::openUrl(page);
    };
    return probes;
}

}  // namespace vocena
