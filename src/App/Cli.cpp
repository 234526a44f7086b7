#include "App/Cli.h"

#include "App/AiCommand.h"
#include "App/ConfigCommand.h"
#include "App/DoctorCommand.h"
#include "App/ListenCommand.h"
#include "App/KeyCommand.h"
#include "App/ModelCommand.h"
#include "App/ProcessCommand.h"
#include "App/TermsCommand.h"
#include "App/TranscribeCommand.h"
#include "App/TypeCommand.h"
#include "App/VocabCommand.h"
#include "App/CliServices.h"
#include "Infrastructure/Platform/Logging.h"

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
}

Cli::~Cli() = default;

QString Cli::usage() const {
    QString text = QStringLiteral(
        "澄言 (Vocena): 普通话语音输入\n"
        "\n"
        "用法: vocena                 启动托盘应用\n"
        "      vocena [-v] COMMAND ...  运行命令（-v 显示日志）\n"
        "\n"
        "命令:");
    for (const auto& command : m_commands) {
        text += QStringLiteral("\n  %1  %2").arg(command->name().leftJustified(8), command->summary());
    }
    text += QStringLiteral("\n\n每个命令都支持 --help。");
    return text;
}

QCoro::Task<int> Cli::run(QStringList args, Console& console) {
    if (args.isEmpty() || args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h") ||
        args.first() == QStringLiteral("help")) {
        console.out(usage());
        co_return args.isEmpty() ? ExitUsage : ExitOk;
    }
    const QString name = args.takeFirst();
    for (const auto& command : m_commands) {
        if (command->name() == name) co_return co_await command->run(args, console);
    }
    console.err(QStringLiteral("vocena: 未知的命令: %1").arg(name));
    console.err(usage());
    co_return ExitUsage;
}

namespace {
QCoro::Task<> runAndQuit(QStringList args) {
    Console console;
    int code = ExitFailure;
    try {
        Cli cli;
        code = co_await cli.run(std::move(args), console);
    } catch (const std::exception& e) {
        console.err(QStringLiteral("vocena: %1").arg(QString::fromUtf8(e.what())));
    }
    QCoreApplication::exit(code);
}
}  // namespace

int runCommandLine(const QStringList& arguments) {
    QStringList args = arguments;
    Logging::Level level = Logging::levelFromEnvironment(Logging::Level::Notice);
    if (!args.isEmpty() && (args.first() == QStringLiteral("-v") || args.first() == QStringLiteral("--verbose"))) {
        args.removeFirst();
        level = Logging::Level::Debug;
    }
    Logging::install(level);
    QTimer::singleShot(0, [args] { runAndQuit(args); });
    return QCoreApplication::exec();
}

}  // namespace vocena
