#pragma once

#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class CancelToken;
class Preferences;

// The installed models: one folder per model under $XDG_DATA_HOME/澄言/models/, each
// described by its manifest (SpeechModel). The preference "com.vocena.speech.model" names the
// active speech model; a punctuation model is never the active one, it is found by its kind. A folder whose manifest cannot be read is listed with the reason and never
// written to; hidden folders (".install-*", ".downloads") are the store's own work space.
class ModelStore {
public:
    static constexpr const char* kActiveModelKey = "com.vocena.speech.model";

    // `verifierProgram` is run as `verifierProgram model verify DIR` to verify a model in a
    // child process: the app's own binary (tests pass the built `vocena`).
    ModelStore(Preferences& preferences, QString directory, QString verifierProgram);
    // The user's store, verified by the running binary.
    static ModelStore standard(Preferences& preferences);
    static QString defaultDirectory();

    const QString& directory() const { return m_directory; }
    Preferences& preferences() const { return m_preferences; }

    struct Entry {
        QString name;
        std::optional<SpeechModel> model;  // nothing when the manifest is unreadable
        QString problem;
    };
    QList<Entry> list() const;
    std::optional<SpeechModel> find(const QString& name, QString* error) const;

    // The preference; empty when none is chosen.
    QString activeName() const;
    // The active model, ready for a load in this process: installed, verified, and every file
    // still has the checksum it was installed with (reading a large model takes a moment).
    // Nothing, with the reason, otherwise; `notInstalled` tells "none chosen or gone" apart
    // from "damaged".
    std::optional<SpeechModel> loadableModel(QString* problem, bool* notInstalled = nullptr) const;

    // The installed, verified punctuation model; of several, the one installed last (its
    // manifest is the newest). Read from the manifests only: ModelStore::checkFiles() before
    // loading it. Nothing when there is none.
    std::optional<SpeechModel> punctuationModel() const { return newestOfKind(ModelKind::punctuation); }
    // The same for the non-streaming model of the final pass.
    std::optional<SpeechModel> finalPassModel() const { return newestOfKind(ModelKind::finalPass); }
    std::optional<SpeechModel> newestOfKind(ModelKind kind) const;

    // Each returns an empty string on success, else the reason. Only a speech model can be used.
    QString use(const QString& name);
    QString remove(const QString& name);

    using Progress = std::function<void(qint64 received, qint64 total)>;
    struct InstallResult {
        bool ok = false;
        QString message;  // the reason when not ok
        std::optional<SpeechModel> model;
        bool activated = false;
        bool unreachable = false;  // the download found no server (ModelDownload::Result)
    };
    // Installs from a model folder, an archive (.tar.bz2 and the other tar archives) or an
    // http(s) URL (see ModelDownload), with `type` or the detected one (SpeechModelDetector):
    // copies the model's files into a work folder, records their SHA-256, verifies the copy in
    // a child process and only then moves it into place. A speech model becomes the active model
    // when none is.
    // A built-in model's name downloads from its downloadAddress().
    // A cancel stops the step under way (the download, the unpacking, the verification) and
    // fails with kCancelledMessage, leaving nothing installed (a partial download is kept).
    QCoro::Task<InstallResult> install(QString source, std::optional<SpeechModelType> type, Progress progress = {},
                                       std::shared_ptr<CancelToken> cancel = {});
    static const QString kCancelledMessage;
    // Where a built-in model downloads from: on the mirror the preference
    // ModelCatalog::kMirrorKey names, when it names one.
    QString downloadAddress(const ModelCatalog::Entry& entry) const;
    // The bytes of an earlier, unfinished download of `source` (a built-in model's name or a
    // URL) that the next install of it resumes from; 0 when there are none.
    qint64 keptDownloadBytes(const QString& source) const;

    // A file name the store unpacks (.tar.bz2 and the other tar archives).
    static bool isArchive(const QString& path);

    // Empty when every file of `model` has its recorded SHA-256, else what differs.
    static QString checkFiles(const SpeechModel& model);

private:
    QCoro::Task<InstallResult> installFolder(QString folder, QString workspace, QString source, std::optional<SpeechModelType> type,
                                             std::shared_ptr<CancelToken> cancel);
    QString modelDirectory(const QString& name) const;
    QString downloadsDirectory() const;

    Preferences& m_preferences;
    QString m_directory;
    QString m_verifierProgram;
};

}  // namespace vocena
