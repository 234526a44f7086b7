// The transcript pipeline of the dictation controller: commands, the model, typing.
#include "Core/VoiceInputService.h"

#include "Core/OutputCleaner.h"
#include "Core/TranscriptPunctuation.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Support/TextUtils.h"

#include <QPointer>
#include <QTimer>

namespace vocena {

namespace {

const Logger logger("VoiceInputService");

constexpr double kOutputLengthRatio = 2.5;
constexpr int kMinimumLengthForRatio = 5;

QString keyForLog(const std::optional<QString>& key) {
    if (!key) return QStringLiteral("nil");
    if (key->isEmpty()) return QStringLiteral("空");
    return Logging::keyPrefix(*key);
}

}  // namespace

void VoiceInputService::installClient(const QString& apiKey, const QString& text) {
    const LLMConfig config = m_aiSettings.makeConfig(apiKey, text);
    logger.info(QStringLiteral("AI 配置: baseURL=%1, model=%2, timeout=%3s")
                    .arg(config.baseURL, config.model, QString::number(config.timeout, 'f', 6)));
    m_aiProcessor.client = std::make_shared<OpenAIClient>(config);
}

QCoro::Task<> VoiceInputService::processAndInjectText() {
    if (m_isRecording) {
        logger.error(QStringLiteral("录音中，不处理未结束的文本"));
        co_return;
    }
    QCoro::Task<> processing = processTranscript(m_currentRun, m_recognizedText);
    co_await std::move(processing);
}

QCoro::Task<> VoiceInputService::processTranscript(quint64 run, QString transcript) {
    QPointer<VoiceInputService> self(this);
    if (run != m_currentRun) logger.info(QStringLiteral("新录音已开始，上一次录音的文字照常处理"));
    if (const auto command = m_commandDetector.detect(transcript).command) {
        co_await runCommand(run, *command, transcript);
        co_return;
    }
    if (m_punctuation) {
        // Commands are matched on the words as spoken (a final 。 would hide one); from here on
        // the transcript is the punctuated text: typed, sent to the model, learned from.
        // (g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.)
        QCoro::Task<QString> punctuating = m_punctuation->punctuate(transcript);
        transcript = co_await std::move(punctuating);
        if (!self) co_return;
    }

    const int aiMode = m_aiSettings.aiMode();
    const VoiceInputMode workMode = voiceInputModeFromPreference(m_aiSettings.workMode());
    logger.info(QStringLiteral("当前工作模式: %1, AI模式: %2").arg(logLabel(workMode)).arg(aiMode));
    if (transcript.isEmpty() || !m_aiSettings.aiProcessingOn()) {
        logger.info(QStringLiteral("注入原始文本（AI 关闭或空文本）"));
        injectText(transcript);
        complete(run);
        co_return;
    }
    co_await processWithModel(run, transcript);
}

QCoro::Task<> VoiceInputService::runCommand(quint64 run, VoiceCommand command, QString transcript) {
    QPointer<VoiceInputService> self(this);
    logger.info(QStringLiteral("检测到语音指令，执行中..."));
    try {
        if (command.needsModel()) {
            // The rewrite commands need a client even when no dictation has used the model yet.
            const std::optional<QString> key = co_await m_aiSettings.loadAPIKeyAsync();
            if (!self) co_return;
            if (key && !key->isEmpty())
                installClient(*key, m_lastInjectedText.isEmpty() ? transcript : m_lastInjectedText);
        }
        const auto result =
            co_await m_commandDetector.execute(command, transcript, m_lastInjectedText, m_textInjection, &m_aiProcessor);
        if (!self) co_return;
        // A rewrite is a model reply and is cleaned like one; a shortened text is the user's own
        // typing and goes back exactly as it was.
        QString text = result.text.value_or(QString());
        if (result.fromModel) text = removeMarkdownFormatting(text);
        if (result.fromModel && text.isEmpty()) {
            // Erasing now would leave the user with nothing: the old text stays on screen.
            logger.error(QStringLiteral("语音指令结果为空，保留原有文本"));
        } else if (result.text) {
            if (result.replaces) {
                // The replaced text goes first, one Backspace per character, so that the old
                // and the new text never stand side by side.
                co_await m_textInjection.deleteLastCharacters(TextUtils::graphemeCount(*result.replaces));
                if (!self) co_return;
                m_lastInjectedText.clear();
            }
            injectText(text);
        }
    } catch (const std::exception& error) {
        if (!self) co_return;
        logger.error(QStringLiteral("语音指令执行失败 (%1)，降级为正常文本处理").arg(QString::fromUtf8(error.what())));
        injectText(transcript);
    }
    complete(run);
}

QCoro::Task<> VoiceInputService::processWithModel(quint64 run, QString transcript) {
    QPointer<VoiceInputService> self(this);
    const std::optional<QString> key = co_await m_aiSettings.loadAPIKeyAsync();
    if (!self) co_return;
    logger.info(QStringLiteral("AI 模式: 智能处理（纠错+排版）, Key: %1").arg(keyForLog(key)));
    if (!key || key->isEmpty()) {
        logger.info(QStringLiteral("注入原始文本（未配置 API Key）"));
        injectText(transcript);
        complete(run);
        co_return;
    }
    logger.info(QStringLiteral("开始 AI 智能处理（纠错+排版）..."));
    setRunState(run, RecognitionState::aiProcessing());
    installClient(*key, transcript);

    const bool assistant = voiceInputModeFromPreference(m_aiSettings.workMode()) == VoiceInputMode::voiceAssistant;
    try {
        QString output;
        if (assistant)
            output = co_await m_aiProcessor.assistantChat(transcript, QString());
        else
            output = co_await m_aiProcessor.correctAndFormat(transcript, QString());
        if (!self) co_return;
        if (assistant) {
            logger.info(QStringLiteral("AI 助手回复: %1").arg(Logging::privateText(output)));
        } else {
            logger.info(QStringLiteral("AI 输入法处理完成: %1").arg(Logging::privateText(output)));
            const int outputLength = TextUtils::graphemeCount(output);
            const int inputLength = TextUtils::graphemeCount(transcript);
            if (outputLength > kOutputLengthRatio * inputLength && inputLength > kMinimumLengthForRatio) {
                logger.error(QStringLiteral("AI 输出异常过长(%1 vs %2)，疑似回答而非纠错，回退原始文本").arg(outputLength).arg(inputLength));
                fallBack(run, transcript, QStringLiteral("AI 输出异常，已使用原始文本"));
                co_return;
            }
        }
        const QString cleaned = removeMarkdownFormatting(output);
        if (cleaned.isEmpty()) {
            // The transcript has words (an empty one never reaches the model): typing nothing
            // would lose them.
            logger.error(QStringLiteral("AI 返回内容为空（或清理后为空），回退原始文本"));
            fallBack(run, transcript, QStringLiteral("AI 返回为空，已使用原始文本"));
            co_return;
        }
        injectText(cleaned);
        complete(run);
    } catch (const std::exception& error) {
        if (!self) co_return;
        const QString description = QString::fromUtf8(error.what());
        logger.error(QStringLiteral("AI 处理失败 (%1)，降级为原始文本").arg(description));
        fallBack(run, transcript, QStringLiteral("AI 处理失败：") + description);
    }
}

void VoiceInputService::fallBack(quint64 run, const QString& transcript, const QString& message) {
    NotificationCenter::defaultCenter().post(Notifications::aiProcessingFallback, message);
    injectText(transcript);
    complete(run);
}

void VoiceInputService::injectText(const QString& text) {
    if (text.isEmpty()) {
        logger.debug(QStringLiteral("无识别文字，跳过注入"));
        return;
    }
    // Learned before the permission check: terms count even when typing fails.
    if (m_feedTerms) m_feedTerms(text);
    if (!m_textInjection.isTrusted()) {
        if (m_alerts) {
            QPointer<VoiceInputService> self(this);
            QTimer::singleShot(0, this, [self] {
                if (self && self->m_alerts) self->m_alerts->showAccessibilityAlert();
            });
        }
        logger.error(QStringLiteral("辅助功能权限未授权，无法注入文本"));
        return;
    }
    ++m_pendingInjections;
    performInjection(text);
}

QCoro::Task<> VoiceInputService::performInjection(QString text) {
    QPointer<VoiceInputService> self(this);
    TextInjector& injector = m_textInjection;
    std::optional<QString> failure;
    std::optional<TextInjectionError::Kind> kind;
    try {
        co_await injector.injectText(text, TextInjectionMode::automatic);
    } catch (const TextInjectionError& error) {
        failure = error.description();
        kind = error.kind();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!self) co_return;
    if (failure) {
        logger.error(QStringLiteral("文本注入失败: %1").arg(*failure));
        // Not typed, but on the clipboard for the user to paste; or, kept nowhere, shown as it is.
        if (m_alerts && kind == TextInjectionError::Kind::notDelivered) m_alerts->showTextLeftOnClipboard(*failure);
        else if (m_alerts && kind == TextInjectionError::Kind::notKept) m_alerts->showTextNotKept(*failure, text);
        else if (m_alerts) m_alerts->showInjectionError(*failure);
    } else {
        logger.info(QStringLiteral("文本已注入: %1").arg(Logging::privateText(text)));
        m_lastInjectedText = text;
    }
    if (--m_pendingInjections == 0) Q_EMIT injectionsSettled();
}

}  // namespace vocena
