#include "App/Cli/DoctorCommand.h"

#include "App/CliServices.h"
#include "App/Cli/HotwordReport.h"
#include "App/Cli/PermissionReport.h"
#include "App/SpeechSetup.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/WlrootsAccessibilityProbe.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "Infrastructure/Speech/Recognition/FinalPass.h"
#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Vocabulary/VocabularyStore.h"

#include <atomic>
#include <memory>

namespace vocena {

namespace {

// Whether final transcripts get punctuation, with which model, or what to do for it.
QString punctuationLine(Preferences& preferences) {
    if (!TranscriptPunctuator::isEnabled(preferences))
        return QStringLiteral("标点: 关闭（开启: vocena config set %1 true）").arg(QLatin1String(TranscriptPunctuator::kEnabledKey));
    const std::optional<SpeechModel> model = ModelStore::standard(preferences).punctuationModel();
    if (!model)
        return QStringLiteral("标点: 未安装标点模型，识别结果不加标点（安装: vocena model install %1，约 65 MB）")
            .arg(QLatin1String(ModelCatalog::kPunctuationModel));
    const QString damage = ModelStore::checkFiles(*model);
    if (!damage.isEmpty())
        return QStringLiteral("标点: 标点模型 %1 已损坏（%2），识别结果不加标点；请删除后重新安装").arg(model->name, damage);
    return QStringLiteral("标点: 开启（模型 %1）").arg(model->name);
}

// Which model's text a finished dictation is: the final pass's, or the streaming model's and why.
QStringList finalTextLines(Preferences& preferences) {
    const SpeechSetup::Models models = SpeechSetup::models(preferences, ModelStore::standard(preferences));
    if (models.speech && models.speech->kind() == ModelKind::finalPass)
        return {QStringLiteral("最终文字: 整句识别模型 %1（未安装流式语音模型：实时文字也由它识别）").arg(models.speech->name)};
    const std::optional<SpeechModel>& source = models.finalPass;
    if (!source) return {QStringLiteral("最终文字: 流式语音模型（%1）").arg(models.finalPassReason)};
    QString problem;
    if (!SherpaOfflineRecognizer::create(*source, {}, &problem))
        return {QStringLiteral("最终文字: 流式语音模型（整句识别模型 %1 无法加载: %2）").arg(source->name, problem)};
    // No non-streaming family here takes hotwords.
    return {QStringLiteral("最终文字: 整句识别模型 %1（关闭: vocena config set %2 false）")
                .arg(source->name, QLatin1String(FinalPass::kEnabledKey)),
            QStringLiteral("  词汇表只作用于流式识别的实时文字和 AI 提示词：整句识别模型 %1 不使用热词").arg(source->name)};
}

}  // namespace

QString DoctorCommand::usage() const {
    return QStringLiteral(
        "用法: vocena doctor\n"
        "检查听写需要的三项条件（麦克风、向其他窗口输入、语音模型）和 AI 配置，并说明缺少时怎么办；\n"
        "同时说明文字用哪种方式输入（fcitx5 输入法桥接、X11 或 Wayland 虚拟键盘，设置项 com.vocena.injection.backend）及原因，\n"
        "以及识别结果是否自动加标点（标点模型，设置项 com.vocena.speech.punctuation）、词汇表是否作为语音模型的热词（设置项 com.vocena.speech.hotwordScore）。\n"
        "三项条件都满足时返回 0，否则返回 1。");
}

QList<CliForm> DoctorCommand::forms() const { return {{}}; }

QCoro::Task<int> DoctorCommand::run(CliCall, Console& console) {
    // Typing is allowed through the bridge, X11 or a wlroots compositor; which way types depends
    // on the X11 display's own answer, kept aside here (its probe runs on a thread of its own and
    // may end late).
    PermissionProbes probes = linuxPermissionProbes(m_services.preferences());
    const auto displayTypes = std::make_shared<std::atomic<bool>>(false);
    probes.accessibility = [displayTypes] {
        const AccessibilityCheck x11 = X11AccessibilityProbe::check();
        *displayTypes = x11.trusted && x11.realOperationWorks;
        return WlrootsAccessibilityProbe::check(x11);
    };
    PermissionManager permissions(std::move(probes));
    co_await permissions.checkAllPermissions();
    for (PermissionType type : PermissionReport::allTypes())
        for (const QString& line : PermissionReport::lines(permissions, type)) console.out(line);
    const bool x11 = *displayTypes;
    const InjectionBackendChoice input = co_await InputBackendPlatform::probe(m_services.preferences(), x11);
    console.out(QStringLiteral("文字输入方式: %1（%2）").arg(InjectionBackendSelector::displayName(input.backend), input.reason));
    console.out(punctuationLine(m_services.preferences()));
    for (const QString& line : finalTextLines(m_services.preferences())) console.out(line);
    const ModelStore store = ModelStore::standard(m_services.preferences());
    const std::optional<SpeechModel> model = store.find(store.activeName(), nullptr);
    const double score = SpeechSetup::hotwordScore(m_services.preferences());
    for (const QString& line : HotwordReport::lines(model, m_services.vocabulary().items(), score)) console.out(line);

    AISettingsStore& settings = m_services.aiSettings();
    const std::optional<QString> key = co_await settings.loadAPIKeyAsync();
    const bool aiOn = settings.aiProcessingOn();
    console.out(QStringLiteral("AI 处理: %1，接口 %2，模型 %3，API Key: %4")
                    .arg(aiOn ? QStringLiteral("开启") : QStringLiteral("关闭"), settings.aiBaseURL(), settings.aiModel(),
                         key ? Logging::keyPrefix(*key) + QStringLiteral("…") : QStringLiteral("未保存")));
    if (aiOn && !key) console.out(QStringLiteral("    没有 API Key 时直接输入识别原文；保存方法: printf '%s' \"$KEY\" | vocena key set"));
    co_return permissions.isMissingRequiredPermissions() ? ExitFailure : ExitOk;
}

}  // namespace vocena
