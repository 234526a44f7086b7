#include "UI/Banner/TermSuggestionView.h"

#include "UI/Banner/BannerStyle.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace vocena {

namespace {

QPushButton* borderlessButton(const QString& text, QWidget* parent, QFont::Weight weight, const QColor& color) {
    auto* button = new QPushButton(text, parent);
    button->setFont(BannerStyle::font(12, weight));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: transparent; border: none; }"
                                         "QPushButton:pressed { color: %2; }")
                              .arg(BannerStyle::rgba(color), BannerStyle::rgba(BannerStyle::withAlpha(color, 0.5))));
    return button;
}

// The question in the largest font from 13 px down to 10 px that fits `width`; when even 10 px
// is too small, without the category (it is only a guess), and then with the term shortened in
// its middle, never the question around it. The tooltip keeps the whole text.
void fitQuestion(QLabel* label, const QString& term, const std::optional<QString>& category, int width) {
    const QString whole = TermSuggestionView::question(term, category);
    const QStringList attempts{whole, TermSuggestionView::question(term, std::nullopt)};
    for (const QString& text : attempts) {
        for (int size = 13; size >= 10; --size) {
            const QFont font = BannerStyle::font(size, QFont::Medium);
            if (QFontMetrics(font).horizontalAdvance(text) > width) continue;
            label->setFont(font);
            label->setText(text);
            if (text != whole) label->setToolTip(whole);
            return;
        }
    }
    const QFont font = BannerStyle::font(10, QFont::Medium);
    const QFontMetrics metrics(font);
    const int frame = metrics.horizontalAdvance(TermSuggestionView::question(QString(), std::nullopt));
    label->setFont(font);
    label->setText(TermSuggestionView::question(metrics.elidedText(term, Qt::ElideMiddle, std::max(0, width - frame)), std::nullopt));
    label->setToolTip(whole);
}

}  // namespace

QString TermSuggestionView::question(const QString& term, const std::optional<QString>& category) {
    QString text = QStringLiteral("将「") + term + QStringLiteral("」");
    if (category) text += QStringLiteral("（") + *category + QStringLiteral("）");
    return text + QStringLiteral("加入词汇库？");
}

TermSuggestionView::TermSuggestionView(const QString& term, const std::optional<QString>& category, QWidget* parent)
    : QWidget(parent), m_text(question(term, category)), m_label(new QLabel(this)),
      m_dismiss(borderlessButton(QStringLiteral("忽略"), this, QFont::Normal, BannerStyle::withAlpha(Qt::white, 0.7))),
      m_add(borderlessButton(QStringLiteral("添加"), this, QFont::DemiBold, BannerStyle::brand())) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_TranslucentBackground);
    m_label->setGeometry(14, 14, 190, 22);
    m_label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fitQuestion(m_label, term, category, m_label->width());
    m_dismiss->setGeometry(210, 10, 60, 30);
    m_add->setGeometry(272, 10, 45, 30);
    connect(m_dismiss, &QPushButton::clicked, this, &TermSuggestionView::dismissClicked);
    connect(m_add, &QPushButton::clicked, this, &TermSuggestionView::addClicked);
}

}  // namespace vocena
