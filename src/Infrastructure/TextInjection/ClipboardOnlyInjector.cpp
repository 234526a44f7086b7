#include "Infrastructure/TextInjection/ClipboardOnlyInjector.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/ClipboardBackend.h"

namespace vocena {

namespace {

const Logger logger("TextInjectionService");

}  // namespace

ClipboardOnlyInjector::ClipboardOnlyInjector(std::unique_ptr<ClipboardBackend> clipboard) : m_clipboard(std::move(clipboard)) {}

ClipboardOnlyInjector::~ClipboardOnlyInjector() = default;

QCoro::Task<void> ClipboardOnlyInjector::injectText(QString text, TextInjectionMode) {
    if (text.isEmpty()) throw TextInjectionError(TextInjectionError::Kind::invalidText);
    if (m_clipboard && m_clipboard->offer(text, PasteSelection::clipboard)) {
        // Nothing pastes it: it stays for the user, and nothing is put back over it.
        m_clipboard->keepOffered();
        logger.notice(QStringLiteral("没有可以输入文字的方式：识别的文字已复制到剪贴板"));
        throw TextInjectionError(TextInjectionError::Kind::notDelivered);
    }
    logger.error(QStringLiteral("没有可以输入文字的方式，也无法写入剪贴板：识别的文字只显示给用户"));
    throw TextInjectionError(TextInjectionError::Kind::notKept);
    co_return;  // (a coroutine)
}

QCoro::Task<void> ClipboardOnlyInjector::deleteLastCharacters(int count) {
    if (count > 0) logger.notice(QStringLiteral("没有可以输入文字的方式：无法删除 %1 个字符").arg(count));
    co_return;
}

QCoro::Task<void> ClipboardOnlyInjector::undo() {
    logger.notice(QStringLiteral("没有可以输入文字的方式：无法撤销"));
    co_return;
}

}  // namespace vocena
