#pragma once

#include "UI/Onboarding/OnboardingSymbols.h"

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace vocena {

// One guide card of the welcome card: its symbol in a tinted circle, a bold title, a
// description of one or more lines and, for some, a small button at the right.
class GuideCard final : public QFrame {
    Q_OBJECT
public:
    // The card's colour for a palette (it has a light and a dark variant).
    using Tint = std::function<QColor(const QPalette&)>;

    struct Content {
        OnboardingSymbols::Symbol symbol;
        QString title;
        QString description;
        Tint tint;
        QString buttonText = {};  // empty: no button
    };

    static constexpr int kSymbolSize = 36;

    explicit GuideCard(Content content, QWidget* parent = nullptr);

    QString title() const;
    QString description() const;
    // The card's button; null when it has none.
    QPushButton* button() const { return m_button; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintSymbol();

    OnboardingSymbols::Symbol m_symbol;
    Tint m_tint;
    QLabel* m_symbolLabel;
    QLabel* m_title;
    QLabel* m_description;
    QPushButton* m_button = nullptr;
};

}  // namespace vocena
