#include "App/SpeechSetup.h"

#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/Fcitx5AccessibilityProbe.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/WlrootsAccessibilityProbe.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Recognition/FinalPass.h"
#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Vocabulary/VocabularyStore.h"

#include <QDesktopServices>
#include <QGuiApplication>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}

SpeechSetup::Models SpeechSetup::models(Preferences& preferences, const ModelStore& store) {
    Models models;
    models.speech = store.loadableModel(&models.problem, &models.notInstalled);
    const FinalPass::Source finalPass = FinalPass::source(preferences, store);
    models.finalPass = finalPass.model;
    models.finalPassReason = finalPass.reason;
    if (models.speech) {
        if (!finalPass.model) logger.info(QStringLiteral("最终文字来自流式识别: %1").arg(finalPass.reason));
        return models;
    }
    if (!models.notInstalled) return models;
    // No streaming model: a non-streaming one recognises alone, live text and all, whatever the
    // preference says (it is the only recogniser).
    const FinalPass::Source alone = FinalPass::isEnabled(preferences) ? finalPass : FinalPass::installed(store);
    if (!alone.model) {
        if (alone.installed) {
            models.problem = alone.reason;
            models.notInstalled = false;
        }
        return models;
    }
    logger.info(QStringLiteral("未安装流式语音模型，由整句识别模型 %1 单独识别").arg(alone.model->name));
    models.speech = alone.model;
    models.problem.clear();
    return models;
}

SpeechSetup SpeechSetup::load(Preferences& preferences) {
    SpeechSetup setup;
    const ModelStore store = ModelStore::standard(preferences);
    const Models models = SpeechSetup::models(preferences, store);
    setup.modelName = models.speech ? models.speech->name : store.activeName();
    setup.problem = models.problem;
    if (!models.speech) {
        setup.status = models.notInstalled ? PermissionStatus::notDetermined : PermissionStatus::denied;
        return setup;
    }
    auto engine = std::make_unique<SherpaOnnxEngine>(Scheduler::main());
    if (!engine->load(*models.speech, SherpaRecognizer::Options{}, &setup.problem, models.finalPass)) {
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
