#pragma once

#include <QString>
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

}  // namespace vocena
