#include "Infrastructure/Speech/SherpaRecognizer.h"

#include "Infrastructure/Speech/AudioSource.h"
#include "Infrastructure/Speech/SherpaCall.h"

#include <sherpa-onnx/c-api/c-api.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <vector>

namespace vocena {

namespace {

template <typename F>
bool guarded(const char* what, QString* error, F&& call) {
    return guardedSherpaCall(what, error, std::forward<F>(call));
}

// "cpu" or, without the memory arena, "cpu:<file>" naming a provider config that switches it
// off. The library ends the process when that file cannot be read, so it must exist while
// the recognizer is created; without a temporary file the arena simply stays on.
QByteArray providerString(const SherpaRecognizer::Options& options, QTemporaryFile& config) {
    if (options.cpuMemoryArena) return "cpu";
    config.setFileTemplate(QDir::tempPath() + QStringLiteral("/vocena-onnxruntime-XXXXXX.conf"));
    if (!config.open() || config.write("EnableCpuMemArena=0\nEnableMemPattern=0\n") < 0 || !config.flush()) return "cpu";
    return "cpu:" + QFile::encodeName(config.fileName());
}

}  // namespace

std::unique_ptr<SherpaRecognizer> SherpaRecognizer::create(const SpeechModel& model, const Options& options, QString* error) {
    if (model.kind() != ModelKind::speech) {
        if (error) *error = QStringLiteral("%1 不是语音识别模型").arg(model.name);
        return nullptr;
    }
    for (const QString& role : SpeechModel::requiredRoles(model.type)) {
        const QString path = model.filePath(role);
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            if (error) *error = QStringLiteral("模型文件不存在: %1").arg(path.isEmpty() ? role : path);
            return nullptr;
        }
    }
    // The config keeps pointers into these until the recognizer exists.
    auto path = [&model](const char* role) { return QFile::encodeName(model.filePath(QString::fromLatin1(role))); };
    const QByteArray encoder = path("encoder"), decoder = path("decoder"), joiner = path("joiner"), single = path("model"),
                     tokens = path("tokens");
    QTemporaryFile providerConfig;
    const QByteArray provider = providerString(options, providerConfig);

    SherpaOnnxOnlineRecognizerConfig config{};
    config.feat_config.sample_rate = AudioSource::kSampleRate;
    config.feat_config.feature_dim = 80;
    switch (model.type) {
    case SpeechModelType::Transducer:
        config.model_config.transducer = {encoder.constData(), decoder.constData(), joiner.constData()};
        break;
    case SpeechModelType::Paraformer: config.model_config.paraformer = {encoder.constData(), decoder.constData()}; break;
    case SpeechModelType::Zipformer2Ctc: config.model_config.zipformer2_ctc.model = single.constData(); break;
    case SpeechModelType::ToneCtc: config.model_config.t_one_ctc.model = single.constData(); break;
    case SpeechModelType::CtTransformerPunctuation: break;  // refused above
    }
    config.model_config.tokens = tokens.constData();
    config.model_config.num_threads = std::max(1, options.numThreads);
    config.model_config.provider = provider.constData();
    config.decoding_method = "greedy_search";
    config.enable_endpoint = 0;  // the recognizer above decides when speech has ended

    const SherpaOnnxOnlineRecognizer* recognizer = nullptr;
    if (!guarded("加载模型", error, [&] { recognizer = SherpaOnnxCreateOnlineRecognizer(&config); })) return nullptr;
    if (!recognizer) {
        if (error) *error = QStringLiteral("语音识别库拒绝了模型 %1").arg(model.directory);
        return nullptr;
    }
    return std::unique_ptr<SherpaRecognizer>(new SherpaRecognizer(recognizer));
}

SherpaRecognizer::~SherpaRecognizer() {
    endStream();
    guarded("释放识别器", nullptr, [this] { SherpaOnnxDestroyOnlineRecognizer(m_recognizer); });
}

bool SherpaRecognizer::beginStream(QString* error) {
    endStream();
    const SherpaOnnxOnlineStream* stream = nullptr;
    if (!guarded("创建识别流", error, [&] { stream = SherpaOnnxCreateOnlineStream(m_recognizer); })) return false;
    if (!stream) {
        if (error) *error = QStringLiteral("创建识别流失败");
        return false;
    }
    m_stream = stream;
    return true;
}

void SherpaRecognizer::endStream() {
    if (!m_stream) return;
    guarded("释放识别流", nullptr, [this] { SherpaOnnxDestroyOnlineStream(m_stream); });
    m_stream = nullptr;
}

bool SherpaRecognizer::acceptAudio(const float* samples, int frames, QString* error) {
    if (!m_stream || frames <= 0) return m_stream != nullptr;
    return guarded("送入音频", error, [&] { SherpaOnnxOnlineStreamAcceptWaveform(m_stream, AudioSource::kSampleRate, samples, frames); });
}

bool SherpaRecognizer::finishInput(QString* error) {
    if (!m_stream) return false;
    static const std::vector<float> tail(size_t(kTailPaddingSeconds * AudioSource::kSampleRate), 0.0f);
    return acceptAudio(tail.data(), int(tail.size()), error) &&
           guarded("结束输入", error, [this] { SherpaOnnxOnlineStreamInputFinished(m_stream); });
}

bool SherpaRecognizer::decode(QString* error) {
    if (!m_stream) return false;
    return guarded("解码", error, [this] {
        while (SherpaOnnxIsOnlineStreamReady(m_recognizer, m_stream)) SherpaOnnxDecodeOnlineStream(m_recognizer, m_stream);
    });
}

std::optional<QString> SherpaRecognizer::text(QString* error) {
    if (!m_stream) return std::nullopt;
    QString text;
    const bool ok = guarded("读取识别结果", error, [&] {
        const SherpaOnnxOnlineRecognizerResult* result = SherpaOnnxGetOnlineStreamResult(m_recognizer, m_stream);
        if (!result) return;
        text = QString::fromUtf8(result->text ? result->text : "");
        SherpaOnnxDestroyOnlineRecognizerResult(result);
    });
    if (!ok) return std::nullopt;
    return text.trimmed();
}

QString SherpaRecognizer::libraryVersion() {
    QString version;
    guarded("读取版本", nullptr, [&] {
        version = QStringLiteral("%1 (onnxruntime %2)")
                      .arg(QString::fromUtf8(SherpaOnnxGetVersionStr()), QString::fromUtf8(SherpaOnnxGetOnnxruntimeVersionStr()));
    });
    return version;
}

}  // namespace vocena
