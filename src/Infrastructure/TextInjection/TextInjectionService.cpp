#include "Infrastructure/TextInjection/TextInjectionService.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/ClipboardBackend.h"
#include "Infrastructure/TextInjection/KeyEventSink.h"

#include <QCoro/QCoroTimer>
#include <QPointer>
#include <QScopeGuard>
#include <QTextBoundaryFinder>
#include <optional>

namespace vocena {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

const Logger logger("TextInjectionService");

// How often a waiting operation looks again (its turn, the modifiers, the target's fetch).
constexpr auto pollInterval = 5ms;

// The user-perceived characters of `text`, as views into it.
QList<QStringView> characters(const QString& text) {
    QList<QStringView> result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        result.append(QStringView(text).mid(start, end - start));
        start = end;
    }
    return result;
}

// The characters that are typed by keys: a-z, A-Z, 0-9, space, tab, line feed and the ASCII
// punctuation. Everything else (Chinese, full-width punctuation, accented letters, emoji, a
// letter with a combining mark) is pasted.
std::optional<char32_t> keyCharacter(QStringView character) {
    if (character.size() != 1) return std::nullopt;
    const char16_t c = character.front().unicode();
    if ((c >= 0x20 && c <= 0x7e) || c == u'\t' || c == u'\n') return char32_t(c);
    return std::nullopt;
}

}  // namespace

TextInjectionService::TextInjectionService(std::unique_ptr<KeyEventSink> keys, std::unique_ptr<ClipboardBackend> clipboard,
                                           QObject* parent)
    : QObject(parent), m_keys(std::move(keys)), m_clipboard(std::move(clipboard)) {}

TextInjectionService::~TextInjectionService() {
    // Gone in the middle of a paste (the application quits): as for a signal, the text the
    // target has not fetched yet stays on the clipboard.
    finishPaste();
}

bool TextInjectionService::isTrusted() { return m_keys->isAvailable(); }

QCoro::Task<void> TextInjectionService::injectText(QString text, TextInjectionMode mode) {
    if (!isTrusted()) throw TextInjectionError(TextInjectionError::Kind::accessibilityPermissionDenied);
    if (text.isEmpty()) throw TextInjectionError(TextInjectionError::Kind::invalidText);
    logger.debug(QStringLiteral("注入文本: %1").arg(Logging::privateText(text)));
    // Named, not a temporary inside the co_await: g++ 12 destroys a lambda temporary there twice.
    std::function<QCoro::Task<void>()> operation = [this, text, mode] {
        const bool byKeys = mode == TextInjectionMode::keystroke || (mode == TextInjectionMode::automatic && !shouldPaste(text));
        return byKeys ? typeByKeys(text) : paste(text);
    };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> TextInjectionService::deleteLastCharacters(int count) {
    if (count <= 0) co_return;
    if (!isTrusted()) {
        logger.debug(QStringLiteral("无法发送按键，跳过 %1 次退格").arg(count));
        co_return;
    }
    std::function<QCoro::Task<void>()> operation = [this, count] { return pressBackspaces(count); };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> TextInjectionService::undo() {
    if (!isTrusted()) {
        logger.debug(QStringLiteral("无法发送按键，跳过撤销"));
        co_return;
    }
    std::function<QCoro::Task<void>()> operation = [this] { return pressUndo(); };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> TextInjectionService::inTurn(std::function<QCoro::Task<void>()> operation) {
    QPointer self{this};
    const quint64 ticket = m_nextTicket++;
    const auto endTurn = qScopeGuard([self, ticket] {
        if (self) self->m_nowServing = ticket + 1;
    });
    while (m_nowServing != ticket) {
        co_await QCoro::sleepFor(pollInterval);
        if (!self) co_return;
    }
    co_await waitForModifierRelease();
    if (!self) co_return;
    co_await operation();
}

QCoro::Task<void> TextInjectionService::waitForModifierRelease() {
    QPointer self{this};
    const auto deadline = SteadyClock::now() + modifierReleaseLimit;
    while (m_keys->modifiersHeld()) {
        if (SteadyClock::now() >= deadline) {
            // Held on purpose or stuck: typing on top of it would send shortcuts instead of text.
            logger.debug(QStringLiteral("修饰键仍被按住，发送松开事件"));
            m_keys->releaseModifiers();
            co_return;
        }
        co_await QCoro::sleepFor(pollInterval);
        if (!self) co_return;
    }
}

bool TextInjectionService::shouldPaste(const QString& text) {
    const QList<QStringView> all = characters(text);
    qsizetype unmapped = 0;
    for (QStringView character : all) {
        const std::optional<char32_t> key = keyCharacter(character);
        // A character that the active layout has no key for is pasted as well.
        if (!key || !m_keys->canType(*key)) ++unmapped;
    }
    if (unmapped > 0) {
        const long percent = long(unmapped * 100 / all.size());
        logger.info(QStringLiteral("%1% 字符无法按键映射，回退到粘贴板注入").arg(percent));
        return true;
    }
    return all.size() > shortTextThreshold;
}

QCoro::Task<void> TextInjectionService::typeByKeys(QString text) {
    QPointer self{this};
    long typed = 0;
    long skipped = 0;
    for (QStringView character : characters(text)) {
        const std::optional<char32_t> key = keyCharacter(character);
        if (!key || !m_keys->typeCharacter(*key)) {
            ++skipped;
            continue;
        }
        ++typed;
        co_await QCoro::sleepFor(keystrokeDelay);
        if (!self) co_return;
    }
    if (skipped > 0) logger.error(QStringLiteral("按键注入跳过了 %1 个无法映射的字符").arg(skipped));
    if (typed > 0) logger.info(QStringLiteral("按键注入完成: %1 个字符").arg(typed));
}

QCoro::Task<void> TextInjectionService::pressBackspaces(int count) {
    QPointer self{this};
    for (int i = 0; i < count; ++i) {
        m_keys->pressBackspace();
        co_await QCoro::sleepFor(backspaceDelay);
        if (!self) co_return;
    }
}

QCoro::Task<void> TextInjectionService::pressUndo() {
    m_keys->pressUndo();
    co_return;
}

QCoro::Task<void> TextInjectionService::paste(QString text) {
    QPointer self{this};
    const PasteMethod method = m_keys->focusedPasteMethod();
    const auto ended = qScopeGuard([self] {
        if (self && self->m_pasting) {
            self->m_pasting = false;
            Q_EMIT self->pasteEnded();
        }
    });
    // From here on, whatever happens (a refused write, an exception, the service going away
    // while waiting), the clipboard gets its previous content back, unless the text is left on
    // it on purpose.
    const auto restore = qScopeGuard([self] {
        if (self) self->m_clipboard->restore();
    });
    QCoro::Task<bool> settingAside = m_clipboard->setAside(method.selection);
    const bool setAside = co_await std::move(settingAside);
    if (!self) co_return;
    if (!setAside || !m_clipboard->offer(text, method.selection))
        throw TextInjectionError(TextInjectionError::Kind::pasteboardAccessFailed);
    m_pasting = true;
    m_pasteInterrupted = false;
    Q_EMIT pasteStarted();
    m_clipboard->pasteKeySent();
    m_keys->pressPaste(method.key);
    const auto pasted = SteadyClock::now();
    // The target fetches the text asynchronously, a few milliseconds later or, when busy, much
    // later: putting the old content back before that would paste the old content.
    // (Qt's coarse timers may fire a little early: the loop makes the settle time a minimum.)
    co_await QCoro::sleepFor(pasteSettleTime);
    if (!self) co_return;
    const auto waiting = [this, pasted] {
        if (m_pasteInterrupted) return false;
        const auto elapsed = SteadyClock::now() - pasted;
        return elapsed < pasteSettleTime || (!m_clipboard->offeredTextFetched() && elapsed < m_pasteFetchLimit);
    };
    while (waiting()) {
        co_await QCoro::sleepFor(pollInterval);
        if (!self) co_return;
    }
    if (!m_clipboard->offeredTextFetched()) {
        // Nothing took the text (no text field has the focus, the application ignores the
        // key, or it is busy): it stays on the clipboard for the user to paste by hand.
        if (!m_pasteInterrupted)
            logger.error(QStringLiteral("粘贴的文本在 %1 ms 内未被读取，文字留在剪贴板上").arg(m_pasteFetchLimit.count()));
        m_clipboard->keepOffered();
        throw TextInjectionError(TextInjectionError::Kind::notDelivered);
    }
}

void TextInjectionService::finishPaste() {
    if (!m_pasting || m_pasteInterrupted) return;  // (a signal, then the application's end)
    m_pasteInterrupted = true;
    if (m_clipboard->offeredTextFetched()) {
        m_clipboard->restore();
        return;
    }
    // The paste key is on its way: putting the old content back now would let a late fetch
    // paste that instead, and the dictated text would be gone. It stays on the clipboard.
    logger.error(QStringLiteral("粘贴被中断，文本尚未被读取，文字留在剪贴板上"));
    m_clipboard->keepOffered();
}

}  // namespace vocena
