#include "App/Cli/CliForm.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace vocena {

namespace {

const QString kHelp = QStringLiteral("help");

bool isHelpWord(const QString& arg) {
    return arg == kHelp || arg == QStringLiteral("-h") || arg == QStringLiteral("--help");
}

CliParse failure(const QString& error) {
    CliParse parse;
    parse.error = error;
    return parse;
}

QString dashed(const QString& name) { return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name; }

// Parses the arguments after the subcommand with the form's options.
CliParse parseForm(const CliForm& form, const QStringList& args) {
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), kHelp}));
    for (const CliOption& option : form.options) parser.addOption(QCommandLineOption(option.name, QString(), option.valueName));
    if (!parser.parse(QStringList{QStringLiteral("vocena")} + args)) return failure(CliParse::errorOf(parser));
    CliParse parse;
    if (parser.isSet(kHelp)) {
        parse.outcome = CliParse::Outcome::help;
        return parse;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < form.parameters.size())
        return failure(QStringLiteral("缺少参数: %1").arg(form.parameters.mid(positional.size()).join(QLatin1Char(' '))));
    if (positional.size() > form.parameters.size()) {
        if (!form.surplusArgumentsError.isEmpty()) return failure(form.surplusArgumentsError);
        return failure(QStringLiteral("多余的参数: %1").arg(positional.mid(form.parameters.size()).join(QLatin1Char(' '))));
    }
    for (const CliOption& option : form.options) {
        if (!parser.isSet(option.name)) continue;
        const QString value = parser.value(option.name);
        if (!option.choices.isEmpty() && !option.choices.contains(value))
            return failure(QStringLiteral("%1 的值无效: %2（可选 %3）").arg(dashed(option.name), value, option.choices.join(QStringLiteral("、"))));
        parse.call.options.insert(option.name, value);
    }
    parse.outcome = CliParse::Outcome::call;
    parse.call.subcommand = form.subcommand;
    parse.call.parameters = positional;
    return parse;
}

}  // namespace

QString CliParse::errorOf(const QCommandLineParser& parser) {
    QStringList unknown;
    for (const QString& name : parser.unknownOptionNames()) unknown << dashed(name);
    if (!unknown.isEmpty()) return QStringLiteral("未知的选项: %1").arg(unknown.join(QLatin1Char(' ')));
    // The parser's other two complaints, in the language of the usage.
    static const QRegularExpression missingValue(QStringLiteral("^Missing value after '(.+)'\\.$"));
    static const QRegularExpression unexpectedValue(QStringLiteral("^Unexpected value after '(.+)'\\.$"));
    const QString error = parser.errorText();
    if (const auto match = missingValue.match(error); match.hasMatch()) return QStringLiteral("选项 %1 缺少值").arg(match.captured(1));
    if (const auto match = unexpectedValue.match(error); match.hasMatch()) return QStringLiteral("选项 %1 不接受值").arg(match.captured(1));
    return QStringLiteral("参数无效: %1").arg(error);
}

CliParse CliParse::parse(const QList<CliForm>& forms, const QStringList& args) {
    if (isHelpWord(args.value(0))) {
        CliParse help;
        help.outcome = Outcome::help;
        return help;
    }
    if (forms.size() == 1 && forms.first().subcommand.isEmpty()) return parseForm(forms.first(), args);
    if (args.isEmpty()) return failure(QStringLiteral("缺少子命令"));
    for (const CliForm& form : forms)
        if (form.subcommand == args.first()) return parseForm(form, args.mid(1));
    return failure(QStringLiteral("未知的子命令: %1").arg(args.first()));
}

}  // namespace vocena
