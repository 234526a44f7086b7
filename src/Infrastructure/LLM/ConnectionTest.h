#pragma once

#include "Infrastructure/LLM/LLMTypes.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace vocena {

// The settings' "测试连接": one short chat completion with a 5-second time-out. The answer's
// content is not examined; any answer is success.
struct ConnectionTestResult {
    bool success = false;
    QString message;  // "连接成功" or "连接失败"
    QString reason;   // why it failed (empty on success)
};

class ConnectionTest {
public:
    static constexpr double kTimeout = 5.0;
    static QCoro::Task<ConnectionTestResult> run(QString apiKey, QString baseURL, QString model);
};

}  // namespace vocena
