#include "UI/Shell/TermSuggestionQueue.h"

#include "UI/Banner/TopStatusBannerManager.h"

#include <QPointer>

namespace vocena {

TermSuggestionQueue::TermSuggestionQueue(TopStatusBannerManager& banner, Handlers handlers, QObject* parent)
    : QObject(parent), m_banner(banner), m_handlers(std::move(handlers)) {
    connect(&m_banner, &TopStatusBannerManager::hidden, this, &TermSuggestionQueue::showNextIfIdle);
}

void TermSuggestionQueue::offer(const QString& term, const std::optional<QString>& category) {
    for (const Suggestion& waiting : m_pending)
        if (waiting.term == term) return;
    m_pending.append({term, category});
    showNextIfIdle();
}

void TermSuggestionQueue::showNextIfIdle() {
    if (m_pending.isEmpty() || !m_banner.isIdle()) return;
    const Suggestion next = m_pending.takeFirst();
    QPointer<TermSuggestionQueue> self(this);
    m_banner.showSuggestionBanner(
        next.term, next.category,
        [self, next] {
            if (!self) return;
            if (self->m_handlers.add) self->m_handlers.add(next.term, next.category);
            self->showNextIfIdle();  // waits for a notice the handler put up
        },
        [self, next] {
            if (!self) return;
            if (self->m_handlers.dismiss) self->m_handlers.dismiss(next.term);
            self->showNextIfIdle();
        });
}

}  // namespace vocena
