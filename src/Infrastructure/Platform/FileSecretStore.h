#pragma once

#include "Infrastructure/Platform/DataFile.h"
#include "Infrastructure/Platform/SecretStore.h"

#include <QJsonObject>
#include <QMutex>
#include <QString>

namespace vocena {

// The fallback when the session has no Secret Service: a JSON file that only its owner may
// read (mode 0600, set on the temporary file before any secret is written into it). One
// object per service, holding the secrets by account:
//
//     {"com.vocena.ai": {"apiKey": "sk-…"}}
//
// Entries that are not strings, and empty strings, read as absent. Every change is a
// read-modify-write of the whole file under its lock (DataFile), so the changes of two
// processes both survive. A file that cannot be read is left alone by reads (they report
// absent) and kept aside ("secrets.json.corrupt-<time>") before the next write replaces it.
//
// The file is small and local: operations complete on the caller's thread without suspending.
class FileSecretStore final : public SecretStore {
public:
    explicit FileSecretStore(QString path = standardPath());

    // $XDG_DATA_HOME/澄言/secrets.json
    static QString standardPath();
    const QString& path() const { return m_file.path(); }

    QCoro::Task<std::optional<QString>> read(QString service, QString account) override;
    QCoro::Task<bool> write(QString service, QString account, QString secret) override;
    QCoro::Task<bool> remove(QString service, QString account) override;

    QString backendName() const override { return QStringLiteral("file"); }

private:
    void adopt(const DataFile::Reading<QJsonObject>& reading);
    bool change(const QString& service, const QString& account, const QString& secret);

    DataFile m_file;
    QMutex m_mutex;  // guards m_services; taken before the file's own
    QJsonObject m_services;  // as last read or written
};

}  // namespace vocena
