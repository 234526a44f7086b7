#include "App/Cli/ConfigCommand.h"

#include "App/CliServices.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Support/PreferenceCatalog.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vocena {

namespace {

QString jsonText(const QJsonValue& value) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

}  // namespace

QString ConfigCommand::summary() const { return QStringLiteral("查看或修改偏好设置 (list | get | set | unset)"); }

QString ConfigCommand::usage() const {
    QString text = QStringLiteral(
        "用法: vocena config list\n"
        "      vocena config get KEY\n"
        "      vocena config set KEY VALUE\n"
        "      vocena config unset KEY\n"
        "\n"
        "VALUE 按 JSON 字面量解析（true、3、2.5、\"text\"），否则按字符串处理；以 - 开头的值写在 -- 之后。\n"
        "\n"
        "可用的键:");
    for (const PreferenceDefinition& definition : PreferenceCatalog::all())
        text += QStringLiteral("\n  %1 (%2, 默认 %3)\n      %4")
                    .arg(definition.key, definition.typeName(), jsonText(definition.defaultValue), definition.summary);
    return text;
}

QList<CliForm> ConfigCommand::forms() const {
    const QString key = QStringLiteral("KEY");
    return {{QStringLiteral("list")}, {QStringLiteral("get"), {key}}, {QStringLiteral("set"), {key, QStringLiteral("VALUE")}},
            {QStringLiteral("unset"), {key}}};
}

QCoro::Task<int> ConfigCommand::run(CliCall call, Console& console) {
    const QStringList& args = call.parameters;
    if (call.subcommand == QStringLiteral("get")) co_return get(args[0], console);
    if (call.subcommand == QStringLiteral("set")) co_return set(args[0], args[1], console);
    if (call.subcommand == QStringLiteral("unset")) co_return unset(args[0], console);
    co_return list(console);
}

int ConfigCommand::list(Console& console) const {
    const QJsonObject stored = m_services.preferences().all();
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        const auto definition = PreferenceCatalog::find(it.key());
        const bool usable = definition && definition->accepts(it.value());
        console.out(QStringLiteral("%1 = %2%3").arg(it.key(), jsonText(it.value()),
                                                     usable ? QString() : QStringLiteral("  (无效，按默认值处理)")));
    }
    return ExitOk;
}

int ConfigCommand::get(const QString& key, Console& console) const {
    const auto definition = PreferenceCatalog::find(key);
    const QJsonValue stored = m_services.preferences().value(key);
    if (!definition && stored.isUndefined()) {
        console.err(QStringLiteral("vocena config: 未知的键: %1").arg(key));
        return ExitUsage;
    }
    if (definition && !definition->accepts(stored)) {
        // Absent or of the wrong type: what the app reads is the default.
        console.out(jsonText(definition->defaultValue));
        return ExitOk;
    }
    console.out(jsonText(stored));
    return ExitOk;
}

int ConfigCommand::set(const QString& key, const QString& text, Console& console) {
    const auto definition = PreferenceCatalog::find(key);
    if (!definition) {
        console.err(QStringLiteral("vocena config: 未知的键: %1").arg(key));
        return ExitUsage;
    }
    const QJsonValue value = PreferenceCatalog::parseValue(text, *definition);
    if (!definition->accepts(value)) {
        console.err(QStringLiteral("vocena config: %1 需要 %2 类型的值，收到: %3").arg(key, definition->typeName(), text));
        return ExitUsage;
    }
    const QString error = m_services.preferences().setValue(key, value);
    if (!error.isEmpty()) {
        console.err(QStringLiteral("vocena config: 无法保存偏好设置: %1").arg(error));
        return ExitFailure;
    }
    return ExitOk;
}

int ConfigCommand::unset(const QString& key, Console& console) {
    if (!PreferenceCatalog::find(key) && !m_services.preferences().contains(key)) {
        console.err(QStringLiteral("vocena config: 未知的键: %1").arg(key));
        return ExitUsage;
    }
    const QString error = m_services.preferences().remove(key);
    if (!error.isEmpty()) {
        console.err(QStringLiteral("vocena config: 无法保存偏好设置: %1").arg(error));
        return ExitFailure;
    }
    return ExitOk;
}

}  // namespace vocena
