#include "Infrastructure/Speech/Models/ModelVerifier.h"

#include "Infrastructure/Platform/CancelToken.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Models/OnnxMetadata.h"
#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"
#include "Infrastructure/Speech/Recognition/SherpaRecognizer.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QCoro/QCoroProcess>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <vector>

namespace vocena::ModelVerifier {

namespace {

// The damage on which the library ends the process instead of failing: a tokens line that is
// not "symbol id" (or a bare id), no blank symbol for a CTC model, a model file without the
// metadata its family reads. Found here first, it is refused with a reason and exit code 1.
QString preflight(const SpeechModel& model) {
    QFile tokens(model.filePath(QStringLiteral("tokens")));
    if (!tokens.open(QIODevice::ReadOnly)) return QStringLiteral("无法读取 %1").arg(tokens.fileName());
    static const QRegularExpression line(QStringLiteral("^(\\S+[ \\t]+)?-?\\d+$"));
    bool hasBlank = false;
    int number = 0;
    for (const QByteArray& raw : tokens.readAll().split('\n')) {
        ++number;
        const QString text = QString::fromUtf8(raw).trimmed();
        if (text.isEmpty()) continue;
        if (!line.match(text).hasMatch()) return QStringLiteral("tokens.txt 第 %1 行格式错误").arg(number);
        const QString symbol = text.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
        hasBlank = hasBlank || symbol == QStringLiteral("<blk>") || symbol == QStringLiteral("<eps>") || symbol == QStringLiteral("<blank>");
    }
    const bool ctc = model.type == SpeechModelType::Zipformer2Ctc || model.type == SpeechModelType::ToneCtc ||
                     model.type == SpeechModelType::OfflineZipformerCtc;
    if (ctc && !hasBlank) return QStringLiteral("tokens.txt 中没有空白符号（<blk>、<eps> 或 <blank>）");

    // The offline zipformer CTC reads no metadata (a model without any loads); a damaged file
    // makes the library throw, which the load reports.
    if (model.type == SpeechModelType::OfflineZipformerCtc) return {};
    const bool single = ctc || model.kind() == ModelKind::finalPass;
    const QString mainFile = model.filePath(single ? QStringLiteral("model") : QStringLiteral("encoder"));
    const QMap<QString, QString> metadata = OnnxMetadata::read(mainFile);
    if (metadata.isEmpty()) return QStringLiteral("%1 不是有效的模型文件，或缺少模型元数据").arg(mainFile);
    QStringList required;
    if (model.type == SpeechModelType::ToneCtc) required = {"sample_rate", "frame_length_ms", "state_dim"};
    if (model.type == SpeechModelType::OfflineParaformer)
        required = {"vocab_size", "lfr_window_size", "lfr_window_shift", "neg_mean", "inv_stddev"};
    if (model.type == SpeechModelType::SenseVoice)
        required = {"vocab_size", "lfr_window_size", "lfr_window_shift", "normalize_samples", "with_itn", "without_itn",
                    "lang_auto", "lang_zh", "lang_en", "lang_ja", "lang_ko", "lang_yue", "neg_mean", "inv_stddev"};
    for (const QString& key : required)
        if (!metadata.contains(key)) return QStringLiteral("%1 缺少元数据 %2").arg(mainFile, key);
    return {};
}

Result usable(const SpeechModel& model) {
    return {true, QStringLiteral("模型可用: %1（%2，sherpa-onnx %3）")
                      .arg(model.name, SpeechModel::typeName(model.type), SherpaRecognizer::libraryVersion())};
}

// The same for a punctuation model: the library exits on a missing "tokens", "vocab_size",
// "punctuations" or "unk_symbol" entry and on a vocabulary whose size differs from
// "vocab_size"; it throws on marks or an unknown symbol it cannot find.
QString punctuationPreflight(const SpeechModel& model) {
    const QString file = model.filePath(QStringLiteral("model"));
    const QMap<QString, QString> metadata = OnnxMetadata::read(file);
    if (metadata.isEmpty()) return QStringLiteral("%1 不是有效的模型文件，或缺少模型元数据").arg(file);
    for (const char* key : {"tokens", "vocab_size", "punctuations", "unk_symbol"})
        if (metadata.value(QLatin1String(key)).isEmpty()) return QStringLiteral("%1 缺少元数据 %2").arg(file, QLatin1String(key));
    // Empty entries count, as the library counts them.
    const QStringList tokens = metadata.value(QStringLiteral("tokens")).split(QLatin1Char('|'));
    if (metadata.value(QStringLiteral("vocab_size")).toInt() != tokens.size())
        return QStringLiteral("%1 的词表大小（%2）与词表（%3 个）不符").arg(file, metadata.value(QStringLiteral("vocab_size"))).arg(tokens.size());
    if (!tokens.contains(metadata.value(QStringLiteral("unk_symbol")))) return QStringLiteral("%1 的词表中没有未知符号").arg(file);
    const QStringList marks = metadata.value(QStringLiteral("punctuations")).split(QLatin1Char('|'));
    for (const char* mark : {"。", "，", "？", "、", "_"})
        if (!marks.contains(QString::fromUtf8(mark))) return QStringLiteral("%1 的标点表中没有 %2").arg(file, QString::fromUtf8(mark));
    return {};
}

Result verifyPunctuation(const SpeechModel& model) {
    QString error = punctuationPreflight(model);
    if (!error.isEmpty()) return {false, error};
    const std::unique_ptr<SherpaPunctuator> punctuator = SherpaPunctuator::create(model, &error);
    if (!punctuator) return {false, error};
    const std::optional<QString> text = punctuator->punctuate(QStringLiteral("今天天气很好我们出去走走吧"), &error);
    if (!text) return {false, error};
    return usable(model);
}

// g++ 12 may move from a named local used inside a braced initializer in co_return (and destroy
// it again): coroutines build their result through this call instead.
Result result(bool ok, const QString& message) { return {ok, message}; }

// A non-streaming model: loaded and run over a second of silence, as the final pass runs it.
Result verifyFinalPass(const SpeechModel& model) {
    QString error = preflight(model);
    if (!error.isEmpty()) return {false, error};
    const std::unique_ptr<SherpaOfflineRecognizer> recognizer = SherpaOfflineRecognizer::create(model, {}, &error);
    if (!recognizer) return {false, error};
    const std::vector<float> silence(AudioSource::kSampleRate, 0.0f);
    if (!recognizer->recognize(silence.data(), int(silence.size()), &error)) return {false, error};
    return usable(model);
}

}  // namespace

Result verifyHere(const SpeechModel& model) {
    if (model.kind() == ModelKind::punctuation) return verifyPunctuation(model);
    if (model.kind() == ModelKind::finalPass) return verifyFinalPass(model);
    QString error = preflight(model);
    if (!error.isEmpty()) return {false, error};
    std::unique_ptr<SherpaRecognizer> recognizer = SherpaRecognizer::create(model, {}, &error);
    if (!recognizer) return {false, error};
    const std::vector<float> silence(AudioSource::kSampleRate, 0.0f);
    // A few common words as hotwords, so that their encoding (with the model's bpe.vocab for the
    // Latin one) is tried here rather than first in the app; models without hotwords ignore them.
    QList<VocabularyItem> probe;
    for (const char* word : {"你好", "中文", "Hello"}) probe << VocabularyItem{QUuid::createUuid(), QString::fromUtf8(word), {}, {}, 0};
    std::optional<QString> text;
    if (recognizer->beginStream(&error, {probe, 1.5}) && recognizer->acceptAudio(silence.data(), int(silence.size()), &error) &&
        recognizer->finishInput(&error) && recognizer->decode(&error))
        text = recognizer->text(&error);
    if (!text) return {false, error};
    return usable(model);
}

QCoro::Task<Result> verifyInChild(QString program, QString directory, int timeoutSeconds, std::shared_ptr<CancelToken> cancel) {
    QProcess process;
    process.setProgram(program);
    // (A braced list in a coroutine body is destroyed twice by g++ 12: build the list step by step.)
    QStringList arguments;
    arguments << QStringLiteral("model") << QStringLiteral("verify") << directory;
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!co_await qCoro(process).start()) co_return result(false, QStringLiteral("无法启动模型验证进程: %1").arg(process.errorString()));
    if (cancel) QObject::connect(cancel.get(), &CancelToken::cancelled, &process, &QProcess::kill);
    if (CancelToken::isCancelled(cancel)) process.kill();
    const bool finished = co_await qCoro(process).waitForFinished(std::chrono::seconds(timeoutSeconds));
    if (!finished) {
        process.kill();  // reaped by QProcess's destructor
        co_return result(false, QStringLiteral("模型验证超时（%1 秒）").arg(timeoutSeconds));
    }
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    // The library's own diagnostics come first; the last lines say what happened.
    const QStringList lines = QString::fromUtf8(process.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
    const QString err = lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QLatin1Char('\n'));
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) co_return result(true, out);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 1) co_return result(false, err);
    // No ?: with temporaries in coroutine bodies: g++ 12 destroys them twice.
    QString how = QStringLiteral("退出码 %1").arg(process.exitCode());
    if (process.exitStatus() == QProcess::CrashExit) how = QStringLiteral("崩溃");
    co_return result(false, QStringLiteral("语音识别库无法加载此模型，验证进程异常结束（%1）: %2").arg(how, err));
}

}  // namespace vocena::ModelVerifier
