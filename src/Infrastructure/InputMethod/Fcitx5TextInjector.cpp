#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoro/QCoroTimer>
#include <QScopeGuard>

namespace vocena {

using namespace std::chrono_literals;

namespace {

const Logger logger("Fcitx5TextInjector");

// Why the bridge could not take an operation, for the log.
QString reason(const Fcitx5Bridge::Reply& reply) {
    return reply.noFocus() ? QStringLiteral("没有获得焦点的输入框") : reply.failure();
}

Fcitx5Bridge::Reply bridgeGone() { return {false, {}, {}, QStringLiteral("桥接已断开")}; }

}  // namespace

Fcitx5TextInjector::Fcitx5TextInjector(Fcitx5Bridge& bridge, TextInjector* fallback, QObject* parent)
    : QObject(parent), m_bridge(&bridge), m_fallback(fallback) {}

QCoro::Task<void> Fcitx5TextInjector::injectText(QString text, TextInjectionMode mode) {
    if (text.isEmpty()) throw TextInjectionError(TextInjectionError::Kind::invalidText);
    logger.debug(QStringLiteral("经输入法提交文本: %1").arg(Logging::privateText(text)));
    // Named, not a temporary inside the co_await: g++ 12 destroys a lambda temporary there twice.
    std::function<QCoro::Task<void>()> operation = [this, text, mode] { return commit(text, mode); };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> Fcitx5TextInjector::deleteLastCharacters(int count) {
    if (count <= 0) co_return;
    std::function<QCoro::Task<void>()> operation = [this, count] { return forwardBackspaces(count); };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> Fcitx5TextInjector::undo() {
    std::function<QCoro::Task<void>()> operation = [this] { return forwardUndo(); };
    co_await inTurn(std::move(operation));
}

QCoro::Task<void> Fcitx5TextInjector::inTurn(std::function<QCoro::Task<void>()> operation) {
    QPointer self{this};
    const quint64 ticket = m_nextTicket++;
    const auto endTurn = qScopeGuard([self, ticket] {
        if (self) self->m_nowServing = ticket + 1;
    });
    while (m_nowServing != ticket) {
        co_await QCoro::sleepFor(5ms);
        if (!self) co_return;
    }
    co_await operation();
}

QCoro::Task<void> Fcitx5TextInjector::commit(QString text, TextInjectionMode mode) {
    QPointer self{this};
    Fcitx5Bridge::Reply reply = bridgeGone();
    if (m_bridge) reply = co_await m_bridge->commitText(text);
    if (!self) co_return;
    if (reply.ok) {
        logger.info(QStringLiteral("输入法提交完成: %1 个字符 → %2")
                        .arg(text.toUcs4().size())
                        .arg(reply.value.isEmpty() ? QStringLiteral("(未知程序)") : reply.value));
        co_return;
    }
    if (!m_fallback) {
        logger.error(QStringLiteral("输入法提交失败（%1），也没有其他输入方式").arg(reason(reply)));
        throw TextInjectionError(TextInjectionError::Kind::keystrokeSimulationFailed);
    }
    logger.error(QStringLiteral("输入法提交失败（%1），改用其他输入方式").arg(reason(reply)));
    co_await m_fallback->injectText(text, mode);
}

QCoro::Task<void> Fcitx5TextInjector::forwardBackspaces(int count) {
    QPointer self{this};
    for (int done = 0; done < count; ++done) {
        Fcitx5Bridge::Reply reply = bridgeGone();
        if (m_bridge) reply = co_await m_bridge->forwardKey(backSpaceKeysym, 0);
        if (!self) co_return;
        if (reply.ok) continue;
        logger.error(QStringLiteral("输入法转发退格失败（%1），其余 %2 次退格改用 X11 按键").arg(reason(reply)).arg(count - done));
        if (m_fallback) co_await m_fallback->deleteLastCharacters(count - done);
        co_return;
    }
}

QCoro::Task<void> Fcitx5TextInjector::forwardUndo() {
    QPointer self{this};
    Fcitx5Bridge::Reply reply = bridgeGone();
    if (m_bridge) reply = co_await m_bridge->forwardKey(zKeysym, Fcitx5Bridge::controlState);
    if (!self || reply.ok) co_return;
    logger.error(QStringLiteral("输入法转发撤销失败（%1），改用 X11 按键").arg(reason(reply)));
    if (m_fallback) co_await m_fallback->undo();
}

}  // namespace vocena
