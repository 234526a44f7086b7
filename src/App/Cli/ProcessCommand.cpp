#include "App/Cli/ProcessCommand.h"

#include "App/Cli/TranscriptPipelineRun.h"

namespace vocena {

QString ProcessCommand::usage() const {
    return QStringLiteral(
        "用法: vocena process [--mode input|assistant] [--inject]\n"
        "从标准输入读取一段识别文本，按已保存的设置处理（语音指令、AI 纠错或助手回答）。\n"
        "  --mode input|assistant  本次使用的工作模式（默认读取设置）\n"
        "  --inject                输入到当前焦点窗口；不加时只把结果打印到标准输出，\n"
        "                          按键指令描述在标准错误上，不输入、不学习任何内容");
}

QList<CliForm> ProcessCommand::forms() const {
    return {{{}, {}, {{QStringLiteral("mode"), QStringLiteral("MODE"), {QStringLiteral("input"), QStringLiteral("assistant")}}, {QStringLiteral("inject")}}}};
}

bool ProcessCommand::needsDisplay(const CliCall& call) const { return call.isSet(QStringLiteral("inject")); }

QCoro::Task<int> ProcessCommand::run(CliCall call, Console& console) {
    const bool inject = call.isSet(QStringLiteral("inject"));
    std::optional<int> workMode;
    if (call.isSet(QStringLiteral("mode"))) workMode = call.value(QStringLiteral("mode")) == QStringLiteral("input") ? 0 : 1;
    const QString transcript = console.readInputText();

    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QCoro::Task<int> pipeline = runTranscriptPipeline(m_services, console, transcript, inject, workMode, name());
    co_return co_await std::move(pipeline);
}

}  // namespace vocena
