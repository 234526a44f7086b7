#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"

#include "Infrastructure/Speech/Audio/PulseAudioConnection.h"

#include <pulse/context.h>
#include <pulse/introspect.h>

#include <optional>

namespace vocena {

namespace {

// What the server says about its default source, filled in by the loop's callbacks.
struct SourceQuery {
    PulseAudioConnection* connection = nullptr;
    bool serverAnswered = false;
    QByteArray defaultSource;
    bool sourceAnswered = false;
    std::optional<bool> isMonitor;  // empty: no such source
};

void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    auto* query = static_cast<SourceQuery*>(userdata);
    if (info && info->default_source_name) query->defaultSource = info->default_source_name;
    query->serverAnswered = true;
    PulseAudioConnection::wake(query->connection);
}

void onSourceInfo(pa_context*, const pa_source_info* info, int last, void* userdata) {
    auto* query = static_cast<SourceQuery*>(userdata);
    if (info) query->isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    if (last == 0) return;
    query->sourceAnswered = true;
    PulseAudioConnection::wake(query->connection);
}

// Waits for an operation's answer; the operation is released either way.
bool await(PulseAudioConnection& connection, pa_operation* operation, const bool& answered,
           PulseAudioConnection::Deadline deadline) {
    if (!operation) return false;
    const bool done = connection.waitUntil([&] { return answered; }, deadline);
    if (!done) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return done;
}

}  // namespace

MicrophoneProbe::Result MicrophoneProbe::check(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    PulseAudioConnection connection;
    QString error;
    if (!connection.connect(deadline, &error)) return {Status::noServer, error};

    PulseAudioConnection::Lock lock(connection);
    SourceQuery query;
    query.connection = &connection;
    const QString silent = QStringLiteral("声音服务器没有响应");
    if (!await(connection, pa_context_get_server_info(connection.context(), &onServerInfo, &query), query.serverAnswered, deadline))
        return {Status::noServer, silent};
    if (query.defaultSource.isEmpty()) return {Status::noSource, QStringLiteral("没有输入设备")};
    if (!await(connection, pa_context_get_source_info_by_name(connection.context(), query.defaultSource.constData(), &onSourceInfo, &query),
               query.sourceAnswered, deadline))
        return {Status::noServer, silent};
    const QString name = QString::fromUtf8(query.defaultSource);
    if (!query.isMonitor) return {Status::noSource, QStringLiteral("默认输入设备 %1 不存在").arg(name)};
    if (*query.isMonitor) return {Status::noSource, QStringLiteral("没有输入设备（默认输入 %1 是输出的监听）").arg(name)};
    return {Status::granted, name};
}

}  // namespace vocena
