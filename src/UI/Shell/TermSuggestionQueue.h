#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vocena {

class TopStatusBannerManager;

// One dictation can make several terms due at once; the banner shows one suggestion at a time,
// so the others wait here instead of replacing each other unseen (the tracker never offers a
// term twice in a run). The next one appears once the screen is free again: right after an
// answer of "忽略", after the "已添加" notice, after an unanswered suggestion timed out, or
// after the dictation banner went away, never while a recording runs. A suggestion that a new
// recording's banner replaced before it was answered comes back first. Main thread.
class TermSuggestionQueue final : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(const QString& term, const std::optional<QString>& category)> add;
        std::function<void(const QString& term)> dismiss;
        // Whether a suggestion may appear now (never during a recording); empty: always.
        std::function<bool()> mayShow = {};
    };

    TermSuggestionQueue(TopStatusBannerManager& banner, Handlers handlers, QObject* parent = nullptr);

    void offer(const QString& term, const std::optional<QString>& category);
    qsizetype pendingCount() const { return m_pending.size(); }

private:
    struct Suggestion {
        QString term;
        std::optional<QString> category;
    };
    void showNextIfIdle();

    TopStatusBannerManager& m_banner;
    Handlers m_handlers;
    QList<Suggestion> m_pending;
    std::optional<Suggestion> m_shown;  // on screen, not answered yet
};

}  // namespace vocena
