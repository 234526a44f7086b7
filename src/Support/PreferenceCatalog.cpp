#include "Support/PreferenceCatalog.h"

#include "Infrastructure/LLM/AISettingsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace vocena {

using Type = PreferenceDefinition::Type;

bool PreferenceDefinition::accepts(const QJsonValue& value) const {
    switch (type) {
    case Type::Boolean: return value.isBool();
    case Type::Integer: return value.isDouble() && std::isfinite(value.toDouble()) && value.toDouble() == std::floor(value.toDouble());
    case Type::Floating: return value.isDouble() && std::isfinite(value.toDouble());
    case Type::String: return value.isString();
    }
    return false;
}

QString PreferenceDefinition::typeName() const {
    switch (type) {
    case Type::Boolean: return QStringLiteral("boolean");
    case Type::Integer: return QStringLiteral("integer");
    case Type::Floating: return QStringLiteral("number");
    case Type::String: return QStringLiteral("string");
    }
    return {};
}

namespace PreferenceCatalog {

const QList<PreferenceDefinition>& all() {
    static const QList<PreferenceDefinition> definitions{
        {QString::fromLatin1(AISettingsStore::kModeKey), Type::Integer, 0, QStringLiteral("AI 模式：0 = 智能处理，1 = 关闭")},
        {QString::fromLatin1(AISettingsStore::kEnabledKey), Type::Boolean, true, QStringLiteral("AI 处理总开关")},
        {QString::fromLatin1(AISettingsStore::kBaseURLKey), Type::String, QString::fromLatin1(AISettingsStore::kDefaultBaseURL),
         QStringLiteral("OpenAI 兼容接口的地址（可带或不带 /v1）")},
        {QString::fromLatin1(AISettingsStore::kTimeoutKey), Type::Floating, AISettingsStore::kDefaultTimeout,
         QStringLiteral("请求超时下限（秒）")},
        {QString::fromLatin1(AISettingsStore::kModelKey), Type::String, QString::fromLatin1(AISettingsStore::kDefaultModel),
         QStringLiteral("模型名称")},
        {QString::fromLatin1(AISettingsStore::kWorkModeKey), Type::Integer, 0, QStringLiteral("工作模式：0 = 输入法，1 = 语音助手")},
        {QStringLiteral("com.vocena.speech.model"), Type::String, QString(), QStringLiteral("当前语音模型的名称（vocena model use；空 = 未选择）")},
        {QStringLiteral("com.vocena.speech.hotwordScore"), Type::Floating, 1.5,
         QStringLiteral("词汇表作为热词时的加分（仅 transducer 模型；0 = 不用热词）")},
        {QStringLiteral("com.vocena.injection.backend"), Type::String, QStringLiteral("auto"),
         QStringLiteral("文字输入方式（启动时选定）：auto = 自动，fcitx5 = fcitx5 输入法桥接，x11 = X11 按键和粘贴，wayland = wlroots 混成器（sway 等）的虚拟键盘和剪贴板")},
        {QStringLiteral("com.vocena.fcitx5.preedit"), Type::Boolean, true,
         QStringLiteral("使用 fcitx5 桥接时，录音中的实时识别文字以预编辑（带下划线、未提交）显示在输入框里")},
        {QStringLiteral("com.vocena.speech.punctuation"), Type::Boolean, true,
         QStringLiteral("安装了标点模型时，为识别结果自动加标点（语音指令除外）")},
        {QStringLiteral("com.vocena.speech.finalPass"), Type::Boolean, true,
         QStringLiteral("安装了整句识别模型时，输入的文字由它识别（流式模型只给实时文字）")},
        {QStringLiteral("com.vocena.models.mirror"), Type::String, QString(),
         QStringLiteral("内置模型的下载镜像（空 = 从 GitHub 下载）：镜像地址代替下载地址开头的 https://github.com，文件名不变，"
                        "如 https://hub.nuaa.cf；要求完整地址的代理写作 https://代理/https://github.com")},
        {QStringLiteral("com.vocena.general.theme"), Type::Integer, 0, QStringLiteral("外观：0 = 浅色，1 = 深色，2 = 跟随系统")},
        {QStringLiteral("com.vocena.general.autoLaunch"), Type::Boolean, false, QStringLiteral("开机自动启动")},
        {QStringLiteral("com.vocena.general.silentLaunch"), Type::Boolean, false, QStringLiteral("静默启动")},
        {QStringLiteral("com.vocena.banner.liveText"), Type::Boolean, true, QStringLiteral("录音时在横幅第二行显示实时识别文字")},
        {QStringLiteral("com.vocena.firstLaunch"), Type::Boolean, false, QStringLiteral("首次启动的权限检查已完成")},
        {QStringLiteral("com.vocena.onboarding.welcomeShown"), Type::Boolean, false, QStringLiteral("欢迎卡片已关闭")},
        {QStringLiteral("com.vocena.onboarding.apiNudgeShown"), Type::Boolean, false, QStringLiteral("已提示配置 API")},
        {QStringLiteral("com.vocena.onboarding.settingsBadgeSeen"), Type::Boolean, false, QStringLiteral("已看过“推荐配置”标记")},
    };
    return definitions;
}

std::optional<PreferenceDefinition> find(const QString& key) {
    for (const PreferenceDefinition& definition : all())
        if (definition.key == key) return definition;
    return std::nullopt;
}

QJsonValue parseValue(const QString& text, const PreferenceDefinition& definition) {
    // Qt parses only arrays and objects at the top level: wrap the literal in an array.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + text.toUtf8() + "]", &error);
    const bool isLiteral = error.error == QJsonParseError::NoError && document.array().size() == 1 &&
                           !document.array().first().isArray() && !document.array().first().isObject();
    if (!isLiteral) return text;
    const QJsonValue literal = document.array().first();
    if (definition.type == Type::String && !literal.isString()) return text;
    return literal;
}

}  // namespace PreferenceCatalog
}  // namespace vocena
