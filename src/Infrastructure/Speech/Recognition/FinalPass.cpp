#include "Infrastructure/Speech/Recognition/FinalPass.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelStore.h"

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}  // namespace

bool FinalPass::isEnabled(const Preferences& preferences) {
    return preferences.boolValue(QString::fromLatin1(kEnabledKey)).value_or(true);
}

FinalPass::Source FinalPass::source(const Preferences& preferences, const ModelStore& store) {
    if (!isEnabled(preferences)) return {std::nullopt, QStringLiteral("整句识别已关闭"), store.finalPassModel().has_value()};
    return installed(store);
}

FinalPass::Source FinalPass::installed(const ModelStore& store) {
    const std::optional<SpeechModel> model = store.finalPassModel();
    if (!model) return {std::nullopt, QStringLiteral("未安装整句识别模型"), false};
    if (const QString damage = ModelStore::checkFiles(*model); !damage.isEmpty())
        return {std::nullopt, QStringLiteral("整句识别模型 %1 已损坏（%2）").arg(model->name, damage), true};
    return {model, {}, true};
}

QString FinalPass::choose(const QString& streaming, const std::optional<QString>& finalPass, const QString& failure) {
    if (!finalPass) {
        logger.error(QStringLiteral("整句识别失败（%1），使用流式识别的文字").arg(failure));
        return streaming;
    }
    if (finalPass->isEmpty() && !streaming.isEmpty()) {
        logger.error(QStringLiteral("整句识别没有结果，而流式识别听到了文字：使用流式识别的文字"));
        return streaming;
    }
    return *finalPass;
}

}  // namespace vocena
