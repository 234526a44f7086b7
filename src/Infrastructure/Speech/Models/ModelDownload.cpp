#include "Infrastructure/Speech/Models/ModelDownload.h"

#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Speech/Models/DownloadProgress.h"

#include <QCoro/QCoroNetworkReply>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>
#include <memory>

namespace vocena::ModelDownload {

namespace {

constexpr auto kStallTimeout = std::chrono::seconds(60);

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

QString expectedChecksum(const QUrl& url) {
    const QString fragment = url.fragment();
    return fragment.startsWith(QStringLiteral("sha256=")) ? fragment.mid(7).toLower() : QString();
}

// g++ 12 may move from a named local used inside a braced initializer in co_return (and destroy
// it again): the coroutine builds its result through this call instead.
Result result(bool ok, const QString& message, const QString& path, bool unreachable = false) { return {ok, message, path, unreachable}; }

}  // namespace

QString sha256Of(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

bool isUrl(const QString& text) {
    return text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) || text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

QString withoutChecksum(const QString& address) {
    QUrl url(address);
    url.setFragment({});
    return url.toString();
}

QString partialFile(const QString& address, const QString& directory) {
    const QString name = QUrl(address).fileName();
    if (name.isEmpty()) return {};
    return QDir(directory).filePath(name + QStringLiteral(".part"));
}

QCoro::Task<Result> fetch(QString address, QString directory, Progress progress, std::shared_ptr<CancelToken> cancel) {
    QUrl url(address);
    const QString expected = expectedChecksum(url);
    url.setFragment({});
    if (!url.isValid() || url.fileName().isEmpty()) co_return result(false, QStringLiteral("无效的下载地址: %1").arg(address), {});
    if (!QDir().mkpath(directory)) co_return result(false, QStringLiteral("无法创建 %1").arg(directory), {});
    const QString target = QDir(directory).filePath(url.fileName());
    const QString partial = partialFile(address, directory);

    QFile file(partial);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) co_return result(false, QStringLiteral("无法写入 %1: %2").arg(partial, file.errorString()), {});
    qint64 offset = file.size();

    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(std::chrono::milliseconds(kStallTimeout).count()));
    if (offset > 0) request.setRawHeader("Range", "bytes=" + QByteArray::number(offset) + "-");
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(network.get(request));
    if (cancel) {
        QObject::connect(cancel.get(), &CancelToken::cancelled, reply.get(), &QNetworkReply::abort);
        if (cancel->isCancelled()) reply->abort();
    }

    bool started = false;
    qint64 total = -1;
    auto take = [&]() -> bool {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!started && status != 0) {
            started = true;
            if (status == 200 && offset > 0) {  // the server ignored the range: start over
                file.resize(0);
                offset = 0;
            }
            const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            if ((status == 200 || status == 206) && length > 0) total = offset + length;
        }
        // An error page is not the model: it is read and dropped, for a page left unread keeps
        // the reply readable and the wait below would return at once, never letting it finish.
        if (status != 200 && status != 206) {
            reply->readAll();
            return true;
        }
        const QByteArray chunk = reply->readAll();
        if (!chunk.isEmpty() && file.write(chunk) != chunk.size()) return false;
        offset += chunk.size();
        if (progress && !chunk.isEmpty()) progress(offset, total);
        return true;
    };
    while (!reply->isFinished()) {
        const bool readable = co_await qCoro(reply.get()).waitForReadyRead(kStallTimeout);
        if (!readable && !reply->isFinished()) {
            reply->abort();
            break;
        }
        if (!take()) co_return result(false, QStringLiteral("无法写入 %1: %2").arg(partial, file.errorString()), {});
    }
    if (!take()) co_return result(false, QStringLiteral("无法写入 %1: %2").arg(partial, file.errorString()), {});
    file.close();
    if (CancelToken::isCancelled(cancel))
        co_return result(false, QStringLiteral("下载已取消（已下载 %1，下次会继续下载）").arg(DownloadProgress::sizeText(offset)), {});

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool alreadyComplete = status == 416 && offset > 0;  // the range starts at the end
    if (reply->error() != QNetworkReply::NoError && !alreadyComplete) {
        QString retry;  // (no ?: with temporaries in a coroutine: g++ 12 destroys them twice)
        if (offset > 0) retry = QStringLiteral("（已下载 %1，下次会继续下载）").arg(DownloadProgress::sizeText(offset));
        co_return result(false, QStringLiteral("下载失败: %1%2").arg(reply->errorString(), retry), {}, status == 0);
    }
    if (!expected.isEmpty() && sha256Of(partial) != expected) {
        QFile::remove(partial);
        co_return result(false, QStringLiteral("下载的文件校验和不符（应为 %1），已删除").arg(expected), {});
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) co_return result(false, QStringLiteral("无法移动到 %1").arg(target), {});
    co_return result(true, {}, target);
}

}  // namespace vocena::ModelDownload
