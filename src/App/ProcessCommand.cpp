#include "App/ProcessCommand.h"

#include "App/TranscriptPipelineRun.h"

namespace vocena {

QString ProcessCommand::usage() const {
    return QStringLiteral(
        "用法: vocena process [--mode input|assistant] [--inject]\n"
        "从标准输入读取一段识别文本，按已保存的设置处理（语音指令、AI 纠错或助手回答）。\n"
        "  --mode input|assistant  本次使用的工作模式（默认读取设置）\n"
        "  --inject                输入到当前焦点窗口；不加时只把结果打印到标准输出，\n"
        "                          按键指令描述在标准错误上，不输入、不学习任何内容");
}

QCoro::Task<int> ProcessCommand::run(QStringList args, Console& console) {
    if (wantsHelp(args)) co_return usageResult(console);
    bool inject = false;
    std::optional<int> workMode;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--inject")) {
            inject = true;
        } else if (args[i] == QStringLiteral("--mode") && i + 1 < args.size() &&
                   (args[i + 1] == QStringLiteral("input") || args[i + 1] == QStringLiteral("assistant"))) {
            workMode = args[++i] == QStringLiteral("input") ? 0 : 1;
        } else {
            co_return usageResult(console, QStringLiteral("参数无效: %1").arg(args[i]));
        }
    }

    QString transcript = QString::fromUtf8(console.readAllInput());
    if (transcript.endsWith(QLatin1Char('\n'))) transcript.chop(1);  // the line end of echo

    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QCoro::Task<int> pipeline = runTranscriptPipeline(m_services, console, transcript, inject, workMode, name());
    co_return co_await std::move(pipeline);
}

}  // namespace vocena
