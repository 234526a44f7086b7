#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <exception>

namespace vocena {

// Runs one call into sherpa-onnx, which throws C++ exceptions through its C API (a corrupt
// ONNX file, a vocabulary that does not fit): an exception becomes `error`
// ("<what>失败: <reason>") and false.
template <typename F>
bool guardedSherpaCall(const char* what, QString* error, F&& call) {
    QString reason;
    try {
        call();
        return true;
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        reason = QStringLiteral("未知异常");
    }
    if (error) *error = QStringLiteral("%1失败: %2").arg(QString::fromUtf8(what), reason);
    return false;
}

// The ONNX Runtime provider of a recognizer: "cpu" or, without the memory arena,
// "cpu:<file>" naming a provider config that switches it off. The library ends the process
// when that file cannot be read, so it must exist while the recognizer is created; without a
// temporary file the arena simply stays on.
inline QByteArray sherpaProvider(bool cpuMemoryArena, QTemporaryFile& config) {
    if (cpuMemoryArena) return "cpu";
    config.setFileTemplate(QDir::tempPath() + QStringLiteral("/vocena-onnxruntime-XXXXXX.conf"));
    if (!config.open() || config.write("EnableCpuMemArena=0\nEnableMemPattern=0\n") < 0 || !config.flush()) return "cpu";
    return "cpu:" + QFile::encodeName(config.fileName());
}

}  // namespace vocena
