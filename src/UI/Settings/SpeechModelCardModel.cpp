#include "UI/Settings/SpeechModelCardModel.h"

#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/FinalPass.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "UI/Common/MirrorField.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSet>

namespace vocena {

namespace {

const Logger logger("SpeechModelCard");

}  // namespace

SpeechModelCardModel::SpeechModelCardModel(ModelStore store, QList<ModelCatalog::Entry> catalog, Clock& clock, QObject* parent)
    : QObject(parent), m_store(std::move(store)), m_catalog(std::move(catalog)), m_clock(clock) {
    refresh();
    m_refreshSoon.setSingleShot(true);
    m_refreshSoon.setInterval(200);
    // The card's own install refreshes when it ends; its work folders are no news meanwhile.
    connect(&m_refreshSoon, &QTimer::timeout, this, &SpeechModelCardModel::followStore);
    auto* folderWatch = new QFileSystemWatcher(this);
    if (QDir().mkpath(m_store.directory())) folderWatch->addPath(m_store.directory());
    connect(folderWatch, &QFileSystemWatcher::directoryChanged, &m_refreshSoon, qOverload<>(&QTimer::start));
    m_preferencesWatch = m_store.preferences().observe([this] { m_refreshSoon.start(); });
}

SpeechModelCardModel::~SpeechModelCardModel() {
    // Queued: a cancel may resume the install at once, which must find this object gone rather
    // than half destroyed.
    if (m_cancel) QMetaObject::invokeMethod(m_cancel.get(), &CancelToken::cancel, Qt::QueuedConnection);
}

QString SpeechModelCardModel::installSource(const QString& chosenFile) {
    const QFileInfo file(chosenFile);
    if (file.isDir() || ModelStore::isArchive(chosenFile)) return chosenFile;
    return file.absolutePath();
}

QString SpeechModelCardModel::summaryOf(const ModelStore::Entry& entry) const {
    for (const ModelCatalog::Entry& known : m_catalog)
        if (known.name == entry.name) return known.summary;
    if (!entry.model) return {};
    const QString type = SpeechModel::typeName(entry.model->type);
    if (entry.model->source.isEmpty()) return QStringLiteral("类型 %1").arg(type);
    return QStringLiteral("类型 %1，来自 %2").arg(type, QFileInfo(entry.model->source).fileName());
}

void SpeechModelCardModel::refresh() {
    reload();
    Q_EMIT modelsChanged();
}

void SpeechModelCardModel::followStore() {
    // The card's own install refreshes when it ends; its work folders are no news meanwhile. The
    // rows are rebuilt only when what they show has changed.
    if (m_install.running) return;
    const QList<InstalledModel> installed = m_installed;
    const QList<DownloadableModel> downloadable = m_downloadable;
    const std::pair<bool, bool> switches = m_switchesRead;
    reload();
    if (installed != m_installed || downloadable != m_downloadable || switches != m_switchesRead) Q_EMIT modelsChanged();
}

void SpeechModelCardModel::reload() {
    m_switchesRead = {punctuationEnabled(), finalPassEnabled()};
    const QString active = m_store.activeName();
    QSet<QString> names;
    m_installed.clear();
    for (const ModelStore::Entry& entry : m_store.list()) {
        names.insert(entry.name);
        InstalledModel model{entry.name, summaryOf(entry), entry.name == active, entry.problem,
                             entry.model ? entry.model->kind() : ModelKind::speech};
        if (entry.model && !entry.model->verified) model.problem = QStringLiteral("未通过验证，无法使用");
        if (!entry.model && model.problem.isEmpty()) model.problem = QStringLiteral("无法读取模型说明");
        m_installed << model;
    }
    m_downloadable.clear();
    for (const ModelCatalog::Entry& entry : m_catalog)
        if (!names.contains(entry.name)) m_downloadable << DownloadableModel{entry, m_store.keptDownloadBytes(entry.downloadSpec())};
}

void SpeechModelCardModel::setActive(const QString& name) {
    logger.info(name.isEmpty() ? QStringLiteral("没有可用的语音模型") : QStringLiteral("当前语音模型: %1").arg(name));
    Q_EMIT activeModelChanged(name);
}

void SpeechModelCardModel::use(const QString& name) {
    if (name == m_store.activeName()) return;
    m_actionProblem = m_store.use(name);
    if (m_actionProblem.isEmpty()) setActive(name);
    refresh();
}

QString SpeechModelCardModel::successorOf(const QString& name) const {
    for (const InstalledModel& model : m_installed)
        if (model.name != name && model.problem.isEmpty() && model.kind == ModelKind::speech) return model.name;
    return {};
}

QString SpeechModelCardModel::removalQuestion(const QString& name) const {
    for (const InstalledModel& model : m_installed) {
        if (model.name == name && model.kind == ModelKind::punctuation)
            return QStringLiteral("删除标点模型 %1？删除后识别结果不再自动加标点。").arg(name);
        if (model.name == name && model.kind == ModelKind::finalPass)
            return QStringLiteral("删除整句识别模型 %1？删除后输入的文字由流式语音模型识别。").arg(name);
    }
    if (name != m_store.activeName()) return QStringLiteral("删除语音模型 %1？").arg(name);
    const QString next = successorOf(name);
    if (next.isEmpty()) return QStringLiteral("删除正在使用的语音模型 %1？删除后语音输入将不可用，直到安装或选择其他模型。").arg(name);
    return QStringLiteral("删除正在使用的语音模型 %1？删除后将改用 %2。").arg(name, next);
}

void SpeechModelCardModel::remove(const QString& name) {
    const bool wasActive = name == m_store.activeName();
    QString next = successorOf(name);
    m_actionProblem = m_store.remove(name);
    if (m_actionProblem.isEmpty() && wasActive) {
        if (!next.isEmpty()) m_actionProblem = m_store.use(next);
        if (!m_actionProblem.isEmpty()) next.clear();
        setActive(next);
    }
    refresh();
}

void SpeechModelCardModel::download(const QString& catalogName) {
    if (m_install.running) return;
    for (const ModelCatalog::Entry& entry : m_catalog)
        if (entry.name == catalogName) runInstall(m_store.downloadAddress(entry), catalogName, {});
}

void SpeechModelCardModel::installFromFile(const QString& path) {
    if (m_install.running || path.isEmpty()) return;
    runInstall(installSource(path), {}, QFileInfo(path).fileName());
}

void SpeechModelCardModel::cancelInstall() {
    if (m_cancel) m_cancel->cancel();
}

QCoro::Task<> SpeechModelCardModel::runInstall(QString source, QString catalogName, QString fileName) {
    QPointer self{this};
    auto cancel = std::make_shared<CancelToken>();
    m_cancel = cancel;
    m_install = Install{};
    m_install.running = true;
    m_install.catalogName = catalogName;
    m_install.fileName = fileName;
    m_actionProblem.clear();
    Q_EMIT installChanged();
    logger.info(QStringLiteral("开始安装语音模型 %1").arg(source));

    // The store lives in this frame until the install is over, whatever happens to the card.
    ModelStore store = m_store;
    ModelStore::Progress progress = [self](qint64 received, qint64 total) {
        if (self) self->onProgress(received, total);
    };
    QCoro::Task<ModelStore::InstallResult> installing = store.install(source, std::nullopt, progress, cancel);
    const ModelStore::InstallResult result = co_await std::move(installing);
    if (!self) co_return;
    m_cancel.reset();
    m_install.running = false;
    m_install.cancelled = cancel->isCancelled();
    if (result.ok) {
        logger.info(QStringLiteral("语音模型安装完成: %1").arg(result.model->name));
    } else {
        m_install.problem = result.message;
        if (result.unreachable)
            m_install.problem += QStringLiteral("\n可在下方「%1」填写镜像地址后重试，或用别的方式下载压缩包后用「从文件安装…」安装。")
                                     .arg(MirrorField::kTitle);
        if (m_install.cancelled) {
            logger.info(QStringLiteral("已取消语音模型安装"));
        } else {
            logger.error(QStringLiteral("语音模型安装失败: %1").arg(result.message));
        }
    }
    refresh();
    Q_EMIT installChanged();
    if (result.ok && result.activated) setActive(result.model->name);
}

bool SpeechModelCardModel::punctuationEnabled() const { return TranscriptPunctuator::isEnabled(m_store.preferences()); }

void SpeechModelCardModel::setPunctuationEnabled(bool enabled) { setSwitch(TranscriptPunctuator::kEnabledKey, enabled); }

bool SpeechModelCardModel::finalPassEnabled() const { return FinalPass::isEnabled(m_store.preferences()); }

void SpeechModelCardModel::setFinalPassEnabled(bool enabled) { setSwitch(FinalPass::kEnabledKey, enabled); }

void SpeechModelCardModel::setSwitch(const char* key, bool enabled) {
    m_actionProblem = m_store.preferences().setValue(QString::fromLatin1(key), enabled);
    Q_EMIT modelsChanged();
}

void SpeechModelCardModel::onProgress(qint64 received, qint64 total) {
    const DownloadProgress before = m_install.progress;
    m_install.progress.update(received, total, m_clock.now());
    if (m_install.progress.visiblyDiffersFrom(before)) Q_EMIT installChanged();
}

}  // namespace vocena
