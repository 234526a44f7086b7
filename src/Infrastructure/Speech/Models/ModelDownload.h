#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <functional>
#include <memory>

namespace vocena {
class CancelToken;
}

namespace vocena::ModelDownload {

// http:// or https://
bool isUrl(const QString& text);
// The URL without a "#sha256=<hex>" fragment.
QString withoutChecksum(const QString& address);
// The SHA-256 of the file at `path` in lower-case hex; empty when it cannot be read.
QString sha256Of(const QString& path);

// Where fetch() keeps the bytes of `address` received so far in `directory`; empty for an
// address without a file name.
QString partialFile(const QString& address, const QString& directory);

struct Result {
    bool ok = false;
    QString message;  // the reason when not ok
    QString path;     // the downloaded file
    // No answer came from the server at all (refused, host not found, timed out, the
    // connection closed before a reply): another source, a mirror or a file, may help.
    bool unreachable = false;
};
using Progress = std::function<void(qint64 received, qint64 total)>;  // total -1 when unknown

// Downloads `address` (a URL, optionally ending in "#sha256=<hex>") into `directory` under the
// URL's file name. The bytes go to "<name>.part" first; a later call for the same URL resumes
// it with an HTTP Range request (a server that ignores the range sends everything again).
// With a checksum, a file that does not match is deleted and refused. A transfer that stalls
// for 60 s is abandoned, its partial file kept for the next try; so is a cancelled one, at once.
QCoro::Task<Result> fetch(QString address, QString directory, Progress progress, std::shared_ptr<CancelToken> cancel = {});

}  // namespace vocena::ModelDownload
