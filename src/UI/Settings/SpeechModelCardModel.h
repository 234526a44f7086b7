#pragma once

#include "Infrastructure/Speech/Models/DownloadProgress.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

namespace vocena {

class CancelToken;
class Clock;
class Preferences;

// What the speech-model card shows and what its buttons do: the installed models (the active
// speech model marked, punctuation and final-pass models beside them), the built-in models not
// installed yet (downloaded from the mirror of ModelCatalog::kMirrorKey when one is set), and
// one install at a time, from the built-in list or from a file, with its progress. Installs run as ModelStore::install runs
// them (the download on the network stack, unpacking and verification in child processes),
// so the main thread stays free. Main thread.
class SpeechModelCardModel : public QObject {
    Q_OBJECT
public:
    struct InstalledModel {
        QString name;
        QString summary;  // the built-in list's line, else the type and where it came from
        bool active = false;
        QString problem;  // why it cannot be used (unreadable or unverified); empty when usable
        ModelKind kind = ModelKind::speech;  // only a speech model is "used": the others work beside it

        bool operator==(const InstalledModel&) const = default;
    };
    struct DownloadableModel {
        ModelCatalog::Entry entry;
        qint64 keptBytes = 0;  // an earlier, unfinished download that "继续下载" resumes

        bool operator==(const DownloadableModel&) const = default;
    };
    // The install under way, or the last one.
    struct Install {
        bool running = false;
        QString catalogName;  // the built-in model, empty for a file
        QString fileName;     // the chosen file's name, for a file
        DownloadProgress progress;
        QString problem;  // why the last one failed (with what to do when no server answered), or that it was cancelled
        bool cancelled = false;
    };

    // `store` and `catalog` are the user's (ModelStore::standard, ModelCatalog::entries) or a
    // test's; `clock` times the download speed.
    SpeechModelCardModel(ModelStore store, QList<ModelCatalog::Entry> catalog, Clock& clock, QObject* parent = nullptr);
    // Cancels an install under way (a partial download is kept for the next try).
    ~SpeechModelCardModel() override;

    // The store's, where the switches and the mirror are kept.
    Preferences& preferences() const { return m_store.preferences(); }
    const QList<InstalledModel>& installedModels() const { return m_installed; }
    const QList<DownloadableModel>& downloadableModels() const { return m_downloadable; }
    const Install& install() const { return m_install; }
    // Why the last "使用" or "删除" failed; empty otherwise.
    const QString& actionProblem() const { return m_actionProblem; }

    // Reads the store again (another process may have changed it).
    void refresh();
    // "使用": makes an installed model the active one.
    void use(const QString& name);
    // What "删除" asks before removing `name`; removing the active model says what follows.
    QString removalQuestion(const QString& name) const;
    // Removes a model. When it was the active one, the first other usable model takes its place
    // (or none, and dictation waits for one).
    void remove(const QString& name);
    // "下载" / "继续下载" of a built-in model; ignored while an install runs.
    void download(const QString& catalogName);
    // "从文件安装…": a .tar.bz2 archive, or any file inside a model folder for that folder;
    // ignored while an install runs.
    void installFromFile(const QString& path);
    void cancelInstall();

    // "自动加标点": the preference com.vocena.speech.punctuation.
    bool punctuationEnabled() const;
    void setPunctuationEnabled(bool enabled);
    // "用整句识别模型输入文字": the preference com.vocena.speech.finalPass.
    bool finalPassEnabled() const;
    void setFinalPassEnabled(bool enabled);

    // What the store installs for a chosen file: the archive itself, else the file's folder.
    static QString installSource(const QString& chosenFile);

Q_SIGNALS:
    // The lists or the last action's problem changed.
    void modelsChanged();
    // The install started, moved on or ended.
    void installChanged();
    // The active model is now `name` (empty: none): whoever holds a recognizer loads it again.
    void activeModelChanged(const QString& name);

private:
    void reload();
    void followStore();
    QCoro::Task<> runInstall(QString source, QString catalogName, QString fileName);
    void onProgress(qint64 received, qint64 total);
    void setActive(const QString& name);
    // The first usable model other than `name`: the one that takes the place of a removed active one.
    QString successorOf(const QString& name) const;
    QString summaryOf(const ModelStore::Entry& entry) const;
    void setSwitch(const char* key, bool enabled);

    ModelStore m_store;
    const QList<ModelCatalog::Entry> m_catalog;
    Clock& m_clock;
    QList<InstalledModel> m_installed;
    QList<DownloadableModel> m_downloadable;
    Install m_install;
    QString m_actionProblem;
    std::shared_ptr<CancelToken> m_cancel;
    // `vocena model install/use/remove` in a terminal changes the store while the card is open:
    // a change of the models folder or of the preferences refreshes the lists once things settle.
    QTimer m_refreshSoon;
    // The switches' preferences as the last reading found them.
    std::pair<bool, bool> m_switchesRead{true, true};
    std::shared_ptr<void> m_preferencesWatch;
};

}  // namespace vocena
