#include "App/Cli/Cli.h"

#include "App/Cli/AiCommand.h"
#include "App/Cli/AppActionCommand.h"
#include "App/Cli/ConfigCommand.h"
#include "App/Cli/DoctorCommand.h"
#include "App/Cli/ListenCommand.h"
#include "App/Cli/KeyCommand.h"
#include "App/Cli/ModelCommand.h"
#include "App/Cli/ProcessCommand.h"
#include "App/Cli/TermsCommand.h"
#include "App/Cli/TranscribeCommand.h"
#include "App/Cli/TypeCommand.h"
#include "App/Cli/VocabCommand.h"
#include "App/CliServices.h"
#include "Infrastructure/Platform/AppInstance.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

namespace vocena {

Cli::Cli() : m_services(std::make_unique<CliServices>()) {
    m_commands.push_back(std::make_unique<ConfigCommand>(*m_services));
    m_commands.push_back(std::make_unique<KeyCommand>(*m_services));
    m_commands.push_back(std::make_unique<AiCommand>(*m_services));
    m_commands.push_back(std::make_unique<VocabCommand>(*m_services));
    m_commands.push_back(std::make_unique<TermsCommand>(*m_services));
    m_commands.push_back(std::make_unique<ProcessCommand>(*m_services));
    m_commands.push_back(std::make_unique<TypeCommand>());
    m_commands.push_back(std::make_unique<ModelCommand>(*m_services));
    m_commands.push_back(std::make_unique<TranscribeCommand>(*m_services));
    m_commands.push_back(std::make_unique<ListenCommand>(*m_services));
    m_commands.push_back(std::make_unique<DoctorCommand>(*m_services));
    m_commands.push_back(std::make_unique<AppActionCommand>(QStringLiteral("toggle"), AppBus::toggleRecording,
                                                            QStringLiteral("开始/停止正在运行的澄言的录音（可绑定到桌面快捷键）")));
    m_commands.push_back(std::make_unique<AppActionCommand>(QStringLiteral("settings"), AppBus::settings,
                                                            QStringLiteral("打开正在运行的澄言的设置窗口")));
    m_commands.push_back(
        std::make_unique<AppActionCommand>(QStringLiteral("quit"), AppBus::quit, QStringLiteral("退出正在运行的澄言")));
}

Cli::~Cli() = default;

QString Cli::usage() const {
    QString text = QStringLiteral(
        "澄言 (Vocena): 普通话语音输入\n"
        "\n"
        "用法: vocena                 启动托盘应用（已在运行时切换到它）\n"
        "      vocena --help            显示帮助\n"
        "      vocena [-v] COMMAND ...  运行命令（-v 显示日志）\n"
        "      vocena --version         显示版本\n"
        "\n"
        "命令:");
    for (const auto& command : m_commands) {
        text += QStringLiteral("\n  %1  %2").arg(command->name().leftJustified(8), command->summary());
    }
    text += QStringLiteral("\n\n每个命令都支持 --help。");
    return text;
}

CliRequest Cli::parse(const QStringList& args) const {
    CliRequest request;
    QCommandLineParser parser;
    const QCommandLineOption verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({verbose, help, version});
    // Everything from the command's name on belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(QStringList{QStringLiteral("vocena")} + args)) {
        request.parse.error = CliParse::errorOf(parser);
        return request;
    }
    request.verbose = parser.isSet(verbose);
    request.version = parser.isSet(version);
    const QStringList positional = parser.positionalArguments();
    const QString name = positional.value(0);
    if (!parser.isSet(help) && !request.version && positional.isEmpty()) {
        request.trayApp = true;
        return request;
    }
    if (parser.isSet(help) || name.isEmpty() || name == QStringLiteral("help")) {
        // `vocena help COMMAND` is that command's help.
        request.command = find(positional.value(1));
        request.parse.outcome = CliParse::Outcome::help;
        return request;
    }
    if ((request.command = find(name))) {
        request.parse = request.command->parse(positional.mid(1));
        return request;
    }
    request.parse.error = QStringLiteral("未知的命令: %1").arg(name);
    return request;
}

CliCommand* Cli::find(const QString& name) const {
    for (const auto& command : m_commands)
        if (command->name() == name) return command.get();
    return nullptr;
}

QCoro::Task<int> Cli::run(CliRequest request, Console& console) {
    if (request.version) {
        console.out(QStringLiteral("vocena %1").arg(QStringLiteral(VOCENA_VERSION)));
        co_return ExitOk;
    }
    if (!request.command) {
        if (request.parse.outcome == CliParse::Outcome::help) {
            console.out(usage());
            co_return ExitOk;
        }
        console.err(QStringLiteral("vocena: %1").arg(request.parse.error));
        console.err(usage());
        co_return ExitUsage;
    }
    if (request.parse.outcome != CliParse::Outcome::call) co_return request.command->answer(request.parse, console);
    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QCoro::Task<int> running = request.command->run(request.parse.call, console);
    co_return co_await std::move(running);
}

namespace {
QCoro::Task<> runAndQuit(Cli* cli, CliRequest request) {
    Console console;
    int code = ExitFailure;
    try {
        QCoro::Task<int> running = cli->run(std::move(request), console);  // (not inside co_await: g++ 12)
        code = co_await std::move(running);
    } catch (const std::exception& e) {
        console.err(QStringLiteral("vocena: %1").arg(QString::fromUtf8(e.what())));
    }
    QCoreApplication::exit(code);
}
}  // namespace

int runCommandLine(Cli& cli, const CliRequest& request) {
    Logging::install(request.verbose ? Logging::Level::Debug : Logging::levelFromEnvironment(Logging::Level::Notice));
    QTimer::singleShot(0, [&cli, request] { runAndQuit(&cli, request); });
    return QCoreApplication::exec();
}

}  // namespace vocena
