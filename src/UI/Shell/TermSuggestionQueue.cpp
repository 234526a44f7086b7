#include "UI/Shell/TermSuggestionQueue.h"

#include "UI/Banner/TopStatusBannerManager.h"

#include <QPointer>
#include <utility>

namespace vocena {

TermSuggestionQueue::TermSuggestionQueue(TopStatusBannerManager& banner, Handlers handlers, QObject* parent)
    : QObject(parent), m_banner(banner), m_handlers(std::move(handlers)) {
    connect(&m_banner, &TopStatusBannerManager::hidden, this, [this] {
        m_shown.reset();  // an unanswered suggestion times out for good
        showNextIfIdle();
    });
    connect(&m_banner, &TopStatusBannerManager::suggestionDisplaced, this, [this] {
        if (m_shown) m_pending.prepend(*std::exchange(m_shown, std::nullopt));
    });
}

void TermSuggestionQueue::offer(const QString& term, const std::optional<QString>& category) {
    for (const Suggestion& waiting : m_pending)
        if (waiting.term == term) return;
    m_pending.append({term, category});
    showNextIfIdle();
}

void TermSuggestionQueue::showNextIfIdle() {
    if (m_pending.isEmpty() || !m_banner.isIdle()) return;
    if (m_handlers.mayShow && !m_handlers.mayShow()) return;
    const Suggestion next = m_pending.takeFirst();
    m_shown = next;
    QPointer<TermSuggestionQueue> self(this);
    m_banner.showSuggestionBanner(
        next.term, next.category,
        [self, next] {
            if (!self) return;
            self->m_shown.reset();
            if (self->m_handlers.add) self->m_handlers.add(next.term, next.category);
            self->showNextIfIdle();  // waits for a notice the handler put up
        },
        [self, next] {
            if (!self) return;
            self->m_shown.reset();
            if (self->m_handlers.dismiss) self->m_handlers.dismiss(next.term);
            self->showNextIfIdle();
        });
}

}  // namespace vocena
