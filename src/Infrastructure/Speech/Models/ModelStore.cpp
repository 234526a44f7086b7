#include "Infrastructure/Speech/Models/ModelStore.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelDownload.h"
#include "Infrastructure/Speech/Models/ModelVerifier.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QCoro/QCoroProcess>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>

namespace vocena {

namespace {

ModelStore::InstallResult failure(const QString& reason, bool unreachable = false) { return {false, reason, std::nullopt, false, unreachable}; }

const Logger logger("SpeechRecognizer");

bool isPlainName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('/'));
}

// Copies the model's files into `target` and records their checksums (a worker thread).
QString stageFiles(SpeechModel& model, const QString& target) {
    if (!QDir().mkpath(target)) return QStringLiteral("无法创建 %1").arg(target);
    QMap<QString, QString> sums;
    for (const QString& file : model.files) {
        const QString from = QDir(model.directory).filePath(file), to = QDir(target).filePath(file);
        if (!QFileInfo::exists(to) && !QFile::copy(from, to)) return QStringLiteral("无法复制 %1").arg(from);
        const QString sum = ModelDownload::sha256Of(to);
        if (sum.isEmpty()) return QStringLiteral("无法读取 %1").arg(to);
        sums.insert(file, sum);
    }
    model.directory = target;
    model.sha256 = sums;
    return {};
}

QCoro::Task<QString> unpack(QString archive, QString target, std::shared_ptr<CancelToken> cancel) {
    QDir().mkpath(target);
    QProcess tar;
    tar.setStandardInputFile(QProcess::nullDevice());
    tar.setProgram(QStringLiteral("tar"));
    // (A braced list in a coroutine body is destroyed twice by g++ 12: build the list step by step.)
    QStringList arguments;
    arguments << QStringLiteral("-xf") << archive << QStringLiteral("-C") << target << QStringLiteral("--no-same-owner");
    tar.setArguments(arguments);
    if (!co_await qCoro(tar).start()) co_return QStringLiteral("无法运行 tar: %1").arg(tar.errorString());
    if (cancel) QObject::connect(cancel.get(), &CancelToken::cancelled, &tar, &QProcess::kill);
    if (CancelToken::isCancelled(cancel)) tar.kill();
    if (!co_await qCoro(tar).waitForFinished(std::chrono::minutes(10))) co_return QStringLiteral("解压超时: %1").arg(archive);
    if (tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0)
        co_return QStringLiteral("无法解压 %1: %2").arg(archive, QString::fromUtf8(tar.readAllStandardError()).trimmed());
    co_return QString();
}

}  // namespace

const QString ModelStore::kCancelledMessage = QStringLiteral("已取消安装");

ModelStore::ModelStore(Preferences& preferences, QString directory, QString verifierProgram)
    : m_preferences(preferences), m_directory(std::move(directory)), m_verifierProgram(std::move(verifierProgram)) {}

ModelStore ModelStore::standard(Preferences& preferences) {
    return ModelStore(preferences, defaultDirectory(), QCoreApplication::applicationFilePath());
}

QString ModelStore::defaultDirectory() { return AppPaths::dataFile(QStringLiteral("models")); }

QString ModelStore::modelDirectory(const QString& name) const { return QDir(m_directory).filePath(name); }

bool ModelStore::isArchive(const QString& path) {
    static const QStringList suffixes{".tar.bz2", ".tbz2", ".tar.gz", ".tgz", ".tar.xz", ".txz", ".tar"};
    for (const QString& suffix : suffixes)
        if (path.endsWith(suffix, Qt::CaseInsensitive)) return true;
    return false;
}

QString ModelStore::downloadAddress(const ModelCatalog::Entry& entry) const {
    return entry.downloadSpec(m_preferences.stringValue(QString::fromLatin1(ModelCatalog::kMirrorKey)).value_or(QString()));
}

QString ModelStore::downloadsDirectory() const { return QDir(m_directory).filePath(QStringLiteral(".downloads")); }

qint64 ModelStore::keptDownloadBytes(const QString& source) const {
    QString address = source;
    if (const std::optional<ModelCatalog::Entry> entry = ModelCatalog::find(source)) address = entry->downloadSpec();
    if (!ModelDownload::isUrl(address)) return 0;
    const QString partial = ModelDownload::partialFile(address, downloadsDirectory());
    return partial.isEmpty() ? 0 : QFileInfo(partial).size();
}

QList<ModelStore::Entry> ModelStore::list() const {
    QList<Entry> entries;
    for (const QString& name : QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        Entry entry{name, std::nullopt, {}};
        entry.model = SpeechModel::load(modelDirectory(name), &entry.problem);
        entries << entry;
    }
    return entries;
}

std::optional<SpeechModel> ModelStore::find(const QString& name, QString* error) const {
    if (!isPlainName(name) || !QFileInfo(modelDirectory(name)).isDir()) {
        if (error) *error = QStringLiteral("没有名为 %1 的语音模型").arg(name);
        return std::nullopt;
    }
    return SpeechModel::load(modelDirectory(name), error);
}

QString ModelStore::activeName() const { return m_preferences.stringValue(QString::fromLatin1(kActiveModelKey)).value_or(QString()); }

std::optional<SpeechModel> ModelStore::loadableModel(QString* problem, bool* notInstalled) const {
    const QString name = activeName();
    if (notInstalled) *notInstalled = name.isEmpty() || !QFileInfo(modelDirectory(name)).isDir();
    auto fail = [problem](const QString& reason) {
        if (problem) *problem = reason;
        return std::nullopt;
    };
    if (name.isEmpty()) return fail(QStringLiteral("没有选择语音模型"));
    QString error;
    std::optional<SpeechModel> model = find(name, &error);
    if (!model) return fail(error);
    if (!model->verified) return fail(QStringLiteral("语音模型 %1 未通过验证").arg(name));
    error = checkFiles(*model);
    if (!error.isEmpty()) return fail(QStringLiteral("语音模型 %1 已损坏: %2").arg(name, error));
    return model;
}

QString ModelStore::use(const QString& name) {
    QString error;
    const std::optional<SpeechModel> model = find(name, &error);
    if (!model) return error;
    if (!model->verified) return QStringLiteral("语音模型 %1 未通过验证").arg(name);
    if (model->kind() != ModelKind::speech)
        return QStringLiteral("%1 是%2模型，不能用作语音模型").arg(name, SpeechModel::kindName(model->kind()));
    return m_preferences.setValue(QString::fromLatin1(kActiveModelKey), name);
}

std::optional<SpeechModel> ModelStore::newestOfKind(ModelKind kind) const {
    std::optional<SpeechModel> newest;
    QDateTime newestTime;
    for (const Entry& entry : list()) {
        if (!entry.model || !entry.model->verified || entry.model->kind() != kind) continue;
        const QDateTime installed =
            QFileInfo(QDir(entry.model->directory).filePath(QString::fromLatin1(SpeechModel::kManifestName))).lastModified();
        if (!newest || installed > newestTime) {
            newest = entry.model;
            newestTime = installed;
        }
    }
    return newest;
}

QString ModelStore::remove(const QString& name) {
    if (!isPlainName(name) || !QFileInfo(modelDirectory(name)).isDir()) return QStringLiteral("没有名为 %1 的语音模型").arg(name);
    if (!QDir(modelDirectory(name)).removeRecursively()) return QStringLiteral("无法删除 %1").arg(modelDirectory(name));
    logger.info(QStringLiteral("已删除语音模型 %1").arg(name));
    if (activeName() == name) return m_preferences.remove(QString::fromLatin1(kActiveModelKey));
    return {};
}

QString ModelStore::checkFiles(const SpeechModel& model) {
    for (const QString& file : model.files) {
        const QString expected = model.sha256.value(file);
        if (expected.isEmpty()) return QStringLiteral("%1 没有校验和").arg(file);
        if (ModelDownload::sha256Of(QDir(model.directory).filePath(file)) != expected) return QStringLiteral("%1 的校验和不符").arg(file);
    }
    return {};
}

QCoro::Task<ModelStore::InstallResult> ModelStore::install(QString source, std::optional<SpeechModelType> type, Progress progress,
                                                           std::shared_ptr<CancelToken> cancel) {
    if (!QDir().mkpath(m_directory)) co_return failure(QStringLiteral("无法创建 %1").arg(m_directory));
    QTemporaryDir workspace(QDir(m_directory).filePath(QStringLiteral(".install-XXXXXX")));
    if (!workspace.isValid()) co_return failure(QStringLiteral("无法在 %1 中创建临时文件夹").arg(m_directory));

    if (const std::optional<ModelCatalog::Entry> entry = ModelCatalog::find(source)) source = downloadAddress(*entry);
    QString folder = source;
    QString downloaded;
    if (ModelDownload::isUrl(source)) {
        // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
        QCoro::Task<ModelDownload::Result> fetching =
            ModelDownload::fetch(source, downloadsDirectory(), progress, cancel);
        const ModelDownload::Result download = co_await std::move(fetching);
        if (CancelToken::isCancelled(cancel)) co_return failure(kCancelledMessage);
        if (!download.ok) co_return failure(download.message, download.unreachable);
        folder = downloaded = download.path;
    }
    if (QFileInfo(folder).isFile()) {
        if (!isArchive(folder)) co_return failure(QStringLiteral("不支持的文件: %1（需要模型文件夹或 .tar.bz2 压缩包）").arg(folder));
        const QString unpacked = workspace.filePath(QStringLiteral("unpacked"));
        QCoro::Task<QString> unpacking = unpack(folder, unpacked, cancel);
        const QString error = co_await std::move(unpacking);
        if (CancelToken::isCancelled(cancel)) co_return failure(kCancelledMessage);
        if (!error.isEmpty()) co_return failure(error);
        folder = unpacked;
    } else if (!QFileInfo(folder).isDir()) {
        co_return failure(QStringLiteral("找不到 %1").arg(source));
    }
    QCoro::Task<InstallResult> installing = installFolder(folder, workspace.path(), source, type, cancel);
    InstallResult result = co_await std::move(installing);
    if (result.ok && !downloaded.isEmpty()) QFile::remove(downloaded);  // the archive's work is done
    co_return result;
}

QCoro::Task<ModelStore::InstallResult> ModelStore::installFolder(QString folder, QString workspace, QString source,
                                                                 std::optional<SpeechModelType> type, std::shared_ptr<CancelToken> cancel) {
    QString error;
    std::optional<SpeechModel> found = SpeechModelDetector::detect(folder, type, &error);
    if (!found) co_return failure(error);
    SpeechModel model = *found;
    if (model.name == QStringLiteral("unpacked") || !isPlainName(model.name)) model.name = QFileInfo(source).completeBaseName().section(QLatin1Char('.'), 0, 0);
    if (!isPlainName(model.name)) co_return failure(QStringLiteral("无法确定模型名称: %1").arg(source));
    if (QFileInfo::exists(modelDirectory(model.name)))
        co_return failure(QStringLiteral("已安装同名模型 %1，请先删除它").arg(model.name));
    // (No ?: with temporaries in a coroutine: g++ 12 destroys them twice.)
    model.source = QFileInfo(source).absoluteFilePath();
    if (ModelDownload::isUrl(source)) model.source = ModelDownload::withoutChecksum(source);

    const QString staged = QDir(workspace).filePath(QStringLiteral("model"));
    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QFuture<QString> staging = QtConcurrent::run([&model, staged] { return stageFiles(model, staged); });
    error = co_await staging;
    if (CancelToken::isCancelled(cancel)) co_return failure(kCancelledMessage);
    if (!error.isEmpty()) co_return failure(error);
    error = model.save();
    if (!error.isEmpty()) co_return failure(error);

    QCoro::Task<ModelVerifier::Result> verifying = ModelVerifier::verifyInChild(m_verifierProgram, staged, 120, cancel);
    const ModelVerifier::Result verification = co_await std::move(verifying);
    if (CancelToken::isCancelled(cancel)) co_return failure(kCancelledMessage);
    if (!verification.ok) co_return failure(QStringLiteral("模型验证失败: %1").arg(verification.message));
    model.verified = true;
    error = model.save();
    if (!error.isEmpty()) co_return failure(error);
    if (!QDir().rename(staged, modelDirectory(model.name))) co_return failure(QStringLiteral("无法移动到 %1").arg(modelDirectory(model.name)));
    model.directory = modelDirectory(model.name);
    logger.info(QStringLiteral("已安装语音模型 %1（%2）").arg(model.name, SpeechModel::typeName(model.type)));

    InstallResult result{true, {}, model, false};
    const QString active = activeName();
    const bool noSpeechModel = active.isEmpty() || !QFileInfo(modelDirectory(active)).isDir();
    if (model.kind() == ModelKind::speech && noSpeechModel) result.activated = use(model.name).isEmpty();
    co_return result;
}

}  // namespace vocena
