#include "App/Cli/TranscribeCommand.h"

#include "App/CliServices.h"
#include "App/Cli/FileTranscriber.h"
#include "App/SpeechSetup.h"
#include "App/Cli/TranscriptPipelineRun.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "Infrastructure/Speech/Audio/WavFileSource.h"

namespace vocena {

namespace {
constexpr auto kTimeout = std::chrono::minutes(10);
}

QString TranscribeCommand::usage() const {
    return QStringLiteral(
        "用法: vocena transcribe FILE.wav [--ai] [--inject]\n"
        "用当前语音模型识别 WAV 文件（PCM 或浮点，单声道或立体声，任意采样率）。\n"
        "识别过程中的中间结果写到标准错误，最终文字写到标准输出（安装了标点模型时带标点）。\n"
        "  --ai      把识别结果送入处理流程（语音指令、AI），同 vocena process\n"
        "  --inject  把处理结果输入到当前焦点窗口（同 vocena process --inject）");
}

QList<CliForm> TranscribeCommand::forms() const {
    return {{{}, {QStringLiteral("FILE.wav")}, {{QStringLiteral("ai")}, {QStringLiteral("inject")}}}};
}

bool TranscribeCommand::needsDisplay(const CliCall& call) const { return call.isSet(QStringLiteral("inject")); }

QCoro::Task<int> TranscribeCommand::run(CliCall call, Console& console) {
    const bool ai = call.isSet(QStringLiteral("ai"));
    const bool inject = call.isSet(QStringLiteral("inject"));
    const QString path = call.parameters[0];

    ModelStore store = ModelStore::standard(m_services.preferences());
    const SpeechSetup::Models models = SpeechSetup::models(m_services.preferences(), store);
    const std::optional<SpeechModel>& model = models.speech;
    if (!model) {
        if (models.notInstalled)
            console.err(QStringLiteral("未安装语音模型。请先安装一个：vocena model install %1（约 160 MB），"
                                       "或 vocena model install 本地模型文件夹或 .tar.bz2 压缩包")
                            .arg(ModelCatalog::entries().first().name));
        else
            console.err(QStringLiteral("语音模型不可用：%1。请重新安装（vocena model remove 后再 install），"
                                       "或用 vocena model use 选择另一个（vocena model list 查看）")
                            .arg(models.problem));
        co_return ExitFailure;
    }
    SherpaOnnxEngine engine(Scheduler::main());
    QString error;
    // The file comes at once, faster than speech: the final pass may lag behind the streaming
    // model, and the final text waits for all of it.
    engine.setFinalPassWait(std::chrono::duration<double>(kTimeout).count());
    if (!engine.load(*model, {}, &error, models.finalPass)) {
        console.err(QStringLiteral("vocena transcribe: 无法加载语音模型 %1: %2").arg(model->name, error));
        co_return ExitFailure;
    }
    SpeechSetup::useVocabularyAsHotwords(engine, m_services.preferences());
    WavFileSource source(path);
    FileTranscriber transcriber(engine, source, [&console](const QString& partial) { console.err(partial); });
    const FileTranscriber::Outcome outcome = co_await transcriber.run(kTimeout);
    if (!outcome.ok) {
        console.err(QStringLiteral("vocena transcribe: %1").arg(outcome.error));
        co_return ExitFailure;
    }
    // The streaming model's text went by as partials; the final text is the final pass's where
    // one is installed (never fewer words than the streaming model heard).
    const QString text = outcome.text;
    if (text.isEmpty()) {
        console.err(QStringLiteral("vocena transcribe: 未识别到语音"));
        co_return ExitFailure;
    }
    TranscriptPunctuator punctuator(m_services.preferences(), store, engine);
    if (!ai && !inject) {
        // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
        QCoro::Task<QString> punctuating = punctuator.punctuate(text);
        console.out(co_await std::move(punctuating));
        co_return ExitOk;
    }
    // Through the pipeline, punctuation comes after the voice commands are looked for.
    QCoro::Task<int> pipeline =
        runTranscriptPipeline(m_services, console, text, inject, std::nullopt, name(), &punctuator);
    co_return co_await std::move(pipeline);
}

}  // namespace vocena
