#include "Infrastructure/Speech/Recognition/SherpaRecognizer.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Recognition/SherpaCall.h"

#include <sherpa-onnx/c-api/c-api.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <vector>

namespace vocena {

namespace {

const Logger logger("SpeechRecognizer");

template <typename F>
bool guarded(const char* what, QString* error, F&& call) {
    return guardedSherpaCall(what, error, std::forward<F>(call));
}

}  // namespace

std::unique_ptr<SherpaRecognizer> SherpaRecognizer::create(const SpeechModel& model, const Options& options, QString* error) {
    if (const QString problem = model.loadProblem(ModelKind::speech); !problem.isEmpty()) {
        if (error) *error = problem;
        return nullptr;
    }
    // The config keeps pointers into these until the recognizer exists.
    auto path = [&model](const char* role) { return QFile::encodeName(model.filePath(QString::fromLatin1(role))); };
    const QByteArray encoder = path("encoder"), decoder = path("decoder"), joiner = path("joiner"), single = path("model"),
                     tokens = path("tokens");
    QTemporaryFile providerConfig;
    const QByteArray provider = sherpaProvider(options.cpuMemoryArena, providerConfig);
    HotwordSupport hotwords = HotwordSupport::forModel(model);
    if (!options.hotwords && hotwords.isSupported()) hotwords = {{}, {}, {}, QStringLiteral("已关闭")};
    const QByteArray modelingUnit = hotwords.modelingUnit.toUtf8(), bpeVocab = QFile::encodeName(hotwords.bpeVocab);

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
    default: break;  // refused above: not a streaming speech model
    }
    config.model_config.tokens = tokens.constData();
    config.model_config.num_threads = std::max(1, options.numThreads);
    config.model_config.provider = provider.constData();
    // Beam search only where hotwords can apply: it costs a few decoder and joiner runs per
    // frame, and the library ends the process when a greedy transducer meets hotwords.
    if (hotwords.isSupported()) {
        config.decoding_method = "modified_beam_search";
        config.max_active_paths = kBeamSize;
        config.model_config.modeling_unit = modelingUnit.constData();
        if (!bpeVocab.isEmpty()) config.model_config.bpe_vocab = bpeVocab.constData();
    } else {
        config.decoding_method = "greedy_search";
    }
    config.enable_endpoint = 0;  // the recognizer above decides when speech has ended

    const SherpaOnnxOnlineRecognizer* recognizer = nullptr;
    if (!guarded("加载模型", error, [&] { recognizer = SherpaOnnxCreateOnlineRecognizer(&config); })) return nullptr;
    if (!recognizer) {
        if (error) *error = QStringLiteral("语音识别库拒绝了模型 %1").arg(model.directory);
        return nullptr;
    }
    return std::unique_ptr<SherpaRecognizer>(new SherpaRecognizer(recognizer, std::move(hotwords)));
}

SherpaRecognizer::~SherpaRecognizer() {
    endStream();
    guarded("释放识别器", nullptr, [this] { SherpaOnnxDestroyOnlineRecognizer(m_recognizer); });
}

bool SherpaRecognizer::beginStream(QString* error, const Hotwords& hotwords) {
    endStream();
    const QByteArray text = hotwordText(hotwords).toUtf8();
    const SherpaOnnxOnlineStream* stream = nullptr;
    if (!guarded("创建识别流", error, [&] {
            stream = text.isEmpty() ? SherpaOnnxCreateOnlineStream(m_recognizer)
                                    : SherpaOnnxCreateOnlineStreamWithHotwords(m_recognizer, text.constData());
        }))
        return false;
    if (!stream) {
        if (error) *error = QStringLiteral("创建识别流失败");
        return false;
    }
    m_stream = stream;
    return true;
}

QString SherpaRecognizer::hotwordText(const Hotwords& hotwords) {
    m_activeHotwords.clear();
    if (!m_hotwords.isSupported() || hotwords.score <= 0 || hotwords.vocabulary.isEmpty()) return {};
    const HotwordList list = HotwordList::build(hotwords.vocabulary, *m_hotwords.tokens, m_hotwords.modelingUnit, hotwords.score);
    if (list.skipped != m_loggedSkipped) {
        m_loggedSkipped = list.skipped;
        if (!list.skipped.isEmpty())
            logger.info(QStringLiteral("%1 个词汇无法用模型的字表（%2）写成热词，已跳过: %3")
                            .arg(list.skipped.size())
                            .arg(m_hotwords.modelingUnit, Logging::privateText(list.skipped.join(u'、'))));
    }
    m_activeHotwords = list.words;
    return list.text;
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
