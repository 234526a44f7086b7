#include "App/Cli/ModelCommand.h"

#include "App/CliServices.h"
#include "Infrastructure/Speech/Models/DownloadProgress.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelDownload.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Models/ModelVerifier.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace vocena {

namespace {

// Download progress on standard error: a bar redrawn in place on a terminal, else a line
// every 10 %.
class ProgressPrinter {
public:
    void operator()(qint64 received, qint64 total) {
        const int percent = total > 0 ? int(received * 100 / total) : -1;
        const QString amount = total > 0 ? QStringLiteral("%1/%2 MB").arg(mb(received), mb(total)) : QStringLiteral("%1 MB").arg(mb(received));
        if (m_terminal) {
            const int filled = percent < 0 ? 0 : percent * 30 / 100;
            const QString bar = QString(filled, QLatin1Char('#')) + QString(30 - filled, QLatin1Char('.'));
            std::fputs(QStringLiteral("\r下载 [%1] %2 %3").arg(bar, percent < 0 ? QStringLiteral("") : QStringLiteral("%1%").arg(percent), amount).toUtf8().constData(), stderr);
            std::fflush(stderr);
            m_drawn = true;
        } else if (percent >= m_nextPercent) {
            std::fputs(QStringLiteral("下载 %1% %2\n").arg(percent).arg(amount).toUtf8().constData(), stderr);
            m_nextPercent = percent / 10 * 10 + 10;
        }
    }
    void done() {
        if (m_drawn) std::fputs("\n", stderr);
    }

private:
    static QString mb(qint64 bytes) { return DownloadProgress::megabytes(bytes); }
    const bool m_terminal = isatty(fileno(stderr));
    bool m_drawn = false;
    int m_nextPercent = 0;
};

// What to do when a download found no server: a mirror, or the archive fetched some other way.
QString unreachableAdvice(const ModelStore& store, const QString& source) {
    const std::optional<ModelCatalog::Entry> entry = ModelCatalog::find(source);
    const QString address = ModelDownload::withoutChecksum(entry ? store.downloadAddress(*entry) : source);
    QString text = QStringLiteral("无法连接下载服务器。可以：\n");
    if (entry)
        text += QStringLiteral("  换用下载镜像: vocena config set %1 <镜像地址>（镜像地址代替 https://github.com，见 README 的“语音模型”一节）\n")
                    .arg(QLatin1String(ModelCatalog::kMirrorKey));
    return text + QStringLiteral("  或用浏览器等下载 %1，再运行 vocena model install <下载的文件>").arg(address);
}

std::optional<SpeechModelType> typeOf(const CliCall& call) {
    return call.isSet(QStringLiteral("type")) ? SpeechModel::typeFromName(call.value(QStringLiteral("type"))) : std::nullopt;
}

}  // namespace

QString ModelCommand::usage() const {
    QString text = QStringLiteral(
        "用法: vocena model list\n"
        "      vocena model install PATH|URL|NAME [--type TYPE]\n"
        "      vocena model verify DIR [--type TYPE]\n"
        "      vocena model use NAME\n"
        "      vocena model remove NAME\n"
        "\n"
        "install 接受模型文件夹、.tar.bz2 压缩包、下载地址（可在末尾加 #sha256=<校验和>）或下列名称；\n"
        "安装时会在子进程中验证模型，第一个安装的语音识别模型自动成为当前模型。\n"
        "标点模型不会成为当前模型：安装后，识别结果自动加标点（vocena config set com.vocena.speech.punctuation false 关闭）。\n"
        "整句识别模型也不会成为当前模型：安装后，听写输入的文字由它识别（vocena config set com.vocena.speech.finalPass false 关闭）。\n"
        "下列模型从 GitHub 下载；设置 %2 后从镜像下载（镜像地址代替 https://github.com，文件名不变）。\n"
        "TYPE: %1（不指定时根据文件名和模型元数据判断）\n"
        "\n"
        "可下载的模型:")
                       .arg(SpeechModel::typeNames().join(QStringLiteral(" | ")), QLatin1String(ModelCatalog::kMirrorKey));
    for (const ModelCatalog::Entry& entry : ModelCatalog::entries())
        text += QStringLiteral("\n  %1  %2\n    %3").arg(entry.name, SpeechModel::kindName(entry.kind), entry.summary);
    return text;
}

QList<CliForm> ModelCommand::forms() const {
    const CliOption type{QStringLiteral("type"), QStringLiteral("TYPE"), SpeechModel::typeNames()};
    const QString name = QStringLiteral("NAME");
    return {{QStringLiteral("list")},
            {QStringLiteral("install"), {QStringLiteral("PATH|URL|NAME")}, {type}},
            {QStringLiteral("verify"), {QStringLiteral("DIR")}, {type}},
            {QStringLiteral("use"), {name}},
            {QStringLiteral("remove"), {name}}};
}

QCoro::Task<int> ModelCommand::run(CliCall call, Console& console) {
    const QString& sub = call.subcommand;
    if (sub == QStringLiteral("install")) {
        QCoro::Task<int> installing = install(call.parameters[0], typeOf(call), console);  // (not inside co_await: g++ 12)
        co_return co_await std::move(installing);
    }
    if (sub == QStringLiteral("verify")) co_return verify(call.parameters[0], typeOf(call), console);
    if (sub == QStringLiteral("list")) co_return list(console);
    co_return change(sub, call.parameters[0], console);
}

int ModelCommand::change(const QString& sub, const QString& name, Console& console) {
    ModelStore store = ModelStore::standard(m_services.preferences());
    const bool use = sub == QStringLiteral("use");
    const QString error = use ? store.use(name) : store.remove(name);
    if (!error.isEmpty()) {
        console.err(QStringLiteral("vocena model: %1").arg(error));
        return ExitFailure;
    }
    console.out(use ? QStringLiteral("当前语音模型: %1").arg(name) : QStringLiteral("已删除: %1").arg(name));
    return ExitOk;
}

int ModelCommand::list(Console& console) const {
    const ModelStore store = ModelStore::standard(m_services.preferences());
    const QList<ModelStore::Entry> entries = store.list();
    if (entries.isEmpty()) {
        console.out(QStringLiteral("未安装语音模型（vocena model install %1）").arg(ModelCatalog::entries().first().name));
        return ExitOk;
    }
    const QString active = store.activeName();
    for (const ModelStore::Entry& entry : entries) {
        const QString mark = entry.name == active ? QStringLiteral("* ") : QStringLiteral("  ");
        if (!entry.model) {
            console.out(mark + QStringLiteral("%1  无法读取: %2").arg(entry.name, entry.problem));
            continue;
        }
        console.out(mark + QStringLiteral("%1  %2  %3  %4  %5")
                               .arg(entry.name, SpeechModel::kindName(entry.model->kind()), SpeechModel::typeName(entry.model->type),
                                    entry.model->verified ? QStringLiteral("已验证") : QStringLiteral("未验证"), entry.model->source));
    }
    return ExitOk;
}

QCoro::Task<int> ModelCommand::install(QString source, std::optional<SpeechModelType> type, Console& console) {
    ModelStore store = ModelStore::standard(m_services.preferences());
    ProgressPrinter printer;
    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QCoro::Task<ModelStore::InstallResult> installing =
        store.install(source, type, [&printer](qint64 received, qint64 total) { printer(received, total); });
    const ModelStore::InstallResult result = co_await std::move(installing);
    printer.done();
    if (!result.ok) {
        console.err(QStringLiteral("vocena model: %1").arg(result.message));
        if (result.unreachable) console.err(unreachableAdvice(store, source));
        co_return ExitFailure;
    }
    console.out(QStringLiteral("已安装: %1（%2）").arg(result.model->name, SpeechModel::typeName(result.model->type)));
    if (result.model->kind() == ModelKind::punctuation)
        console.out(TranscriptPunctuator::isEnabled(m_services.preferences())
                        ? QStringLiteral("识别结果将自动加标点")
                        : QStringLiteral("自动加标点已关闭（开启: vocena config set %1 true）").arg(QLatin1String(TranscriptPunctuator::kEnabledKey)));
    if (result.model->kind() == ModelKind::finalPass)
        console.out(QStringLiteral("这是整句识别模型：听写时实时文字来自流式语音模型，输入的文字由它识别"));
    if (result.activated) console.out(QStringLiteral("已设为当前语音模型"));
    co_return ExitOk;
}

int ModelCommand::verify(const QString& directory, std::optional<SpeechModelType> type, Console& console) const {
    QString error;
    std::optional<SpeechModel> model;
    if (QFileInfo::exists(QDir(directory).filePath(QString::fromLatin1(SpeechModel::kManifestName)))) {
        model = SpeechModel::load(QFileInfo(directory).absoluteFilePath(), &error);
        if (model) error = ModelStore::checkFiles(*model);
        if (!error.isEmpty()) model.reset();
    } else {
        model = SpeechModelDetector::detect(directory, type, &error);
    }
    if (!model) {
        console.err(QStringLiteral("模型无效: %1").arg(error));
        return ExitFailure;
    }
    const ModelVerifier::Result result = ModelVerifier::verifyHere(*model);
    if (!result.ok) {
        console.err(QStringLiteral("模型无法使用: %1").arg(result.message));
        return ExitFailure;
    }
    console.out(result.message);
    return ExitOk;
}

}  // namespace vocena
