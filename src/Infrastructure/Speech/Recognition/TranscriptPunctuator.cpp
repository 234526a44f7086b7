#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"

#include <QCoro/QCoroFuture>
#include <QElapsedTimer>
#include <QPromise>
#include <future>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}

// Touched on the decoding thread only (its jobs run one at a time).
struct TranscriptPunctuator::Loaded {
    QString directory;  // of the model tried last
    std::unique_ptr<SherpaPunctuator> punctuator;

    // Loads `model` unless it is the one tried last; whether a punctuator is ready.
    bool load(const SpeechModel& model) {
        if (model.directory == directory) return punctuator != nullptr;
        directory = model.directory;
        punctuator.reset();
        QString error = ModelStore::checkFiles(model);
        if (error.isEmpty()) punctuator = SherpaPunctuator::create(model, &error);
        if (!punctuator) logger.error(QStringLiteral("标点模型 %1 无法使用，识别结果不加标点: %2").arg(model.name, error));
        else logger.info(QStringLiteral("已加载标点模型 %1").arg(model.name));
        return punctuator != nullptr;
    }

    QString punctuate(const SpeechModel& model, const QString& text) {
        if (!load(model)) return text;
        QElapsedTimer timer;
        timer.start();
        QString error;
        const std::optional<QString> punctuated = punctuator->punctuate(text, &error);
        if (!punctuated) {
            logger.error(QStringLiteral("添加标点失败，使用原文: %1").arg(error));
            return text;
        }
        logger.debug(QStringLiteral("标点用时 %1 ms").arg(timer.elapsed()));
        return *punctuated;
    }
};

TranscriptPunctuator::TranscriptPunctuator(Preferences& preferences, ModelStore store, SherpaOnnxEngine& engine)
    : m_preferences(preferences), m_store(std::move(store)), m_engine(engine), m_loaded(std::make_shared<Loaded>()) {}

TranscriptPunctuator::~TranscriptPunctuator() = default;

bool TranscriptPunctuator::isEnabled(const Preferences& preferences) {
    return preferences.boolValue(QString::fromLatin1(kEnabledKey)).value_or(true);
}

std::optional<SpeechModel> TranscriptPunctuator::activeModel() const {
    if (!isEnabled(m_preferences)) return std::nullopt;
    return m_store.punctuationModel();
}

void TranscriptPunctuator::preload() {
    const std::optional<SpeechModel> model = activeModel();
    if (!model) return;
    auto loaded = std::make_shared<std::promise<void>>();
    std::future<void> done = loaded->get_future();
    // Every posted job runs, so the wait always ends.
    if (m_engine.runOnDecodingThread([state = m_loaded, model = *model, loaded] {
            state->load(model);
            loaded->set_value();
        }))
        done.wait();
}

QCoro::Task<QString> TranscriptPunctuator::punctuate(QString text) {
    const std::optional<SpeechModel> model = activeModel();
    if (!model || text.trimmed().isEmpty()) co_return text;
    // A final pass that punctuates itself (SenseVoice) is not punctuated again.
    if (!m_engine.punctuatedFinalText().isEmpty() && text == m_engine.punctuatedFinalText()) co_return text;
    // Every posted job runs (SpeechDecodeWorker::post), so the promise is always kept.
    auto promise = std::make_shared<QPromise<QString>>();
    QFuture<QString> answer = promise->future();
    promise->start();
    const bool posted = m_engine.runOnDecodingThread([loaded = m_loaded, model = *model, text, promise] {
        promise->addResult(loaded->punctuate(model, text));
        promise->finish();
    });
    if (!posted) co_return text;
    co_return co_await qCoro(answer).waitForFinished();
}

}  // namespace vocena
