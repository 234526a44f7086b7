#include "UI/Onboarding/GuideCard.h"

#include "UI/Common/WidgetHelpers.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vocena {

GuideCard::GuideCard(Content content, QWidget* parent)
    : QFrame(parent),
      m_symbol(content.symbol),
      m_tint(std::move(content.tint)),
      m_symbolLabel(new QLabel(this)),
      m_title(new QLabel(content.title, this)),
      m_description(new QLabel(content.description, this)) {
    setObjectName(QStringLiteral("guideCard"));
    m_symbolLabel->setFixedSize(kSymbolSize, kSymbolSize);
    m_title->setObjectName(QStringLiteral("guideTitle"));
    m_description->setObjectName(QStringLiteral("guideDescription"));
    m_description->setWordWrap(true);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    QHBoxLayout* layout = WidgetHelpers::symbolBesideTexts(this, m_symbolLabel, {m_title, m_description},
                                                          {.margins = {12, 10, 12, 10}, .beside = 12, .between = 3});
    if (!content.buttonText.isEmpty()) {
        m_button = new QPushButton(content.buttonText, this);
        m_button->setObjectName(QStringLiteral("guideButton"));
        m_button->setCursor(Qt::PointingHandCursor);
        layout->addWidget(m_button, 0, Qt::AlignVCenter);
    }
    paintSymbol();
}

QString GuideCard::title() const { return m_title->text(); }

QString GuideCard::description() const { return m_description->text(); }

void GuideCard::paintSymbol() {
    m_symbolLabel->setPixmap(OnboardingSymbols::tintedCircle(m_symbol, m_tint(palette()), kSymbolSize, devicePixelRatioF()));
}

void GuideCard::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintSymbol();
}

}  // namespace vocena
