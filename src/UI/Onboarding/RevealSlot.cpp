#include "UI/Onboarding/RevealSlot.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace vocena {

RevealSlot::RevealSlot(QWidget* content, QWidget* parent)
    : QWidget(parent), m_content(content), m_opacity(new QGraphicsOpacityEffect(content)), m_animation(new QVariantAnimation(this)) {
    m_content->setParent(this);
    setSizePolicy(m_content->sizePolicy());
    m_opacity->setOpacity(0.0);
    m_content->setGraphicsEffect(m_opacity);
    // A spring with a response of 0.4 s and a damping fraction of 0.7 overshoots by about 5 %.
    QEasingCurve spring(QEasingCurve::OutBack);
    spring.setOvershoot(1.2);
    m_animation->setEasingCurve(spring);
    m_animation->setDuration(kDurationMs);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { setProgress(value.toDouble()); });
    // Fully in: drawn directly again, not through the effect's off-screen copy.
    connect(m_animation, &QVariantAnimation::finished, this, [this] { m_content->setGraphicsEffect(nullptr); });
    placeContent();
}

void RevealSlot::reveal() {
    if (m_revealed) return;
    m_revealed = true;
    m_animation->start();
}

void RevealSlot::setProgress(double progress) {
    m_progress = progress;
    if (m_opacity) m_opacity->setOpacity(std::clamp(progress, 0.0, 1.0));
    placeContent();
}

void RevealSlot::placeContent() {
    const int offset = static_cast<int>(std::lround(kHiddenOffset * (1.0 - m_progress)));
    m_content->setGeometry(0, offset, width(), height());
}

void RevealSlot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

bool RevealSlot::event(QEvent* event) {
    // The content's size depends on its text and font: pass its changes on to the layout.
    if (event->type() == QEvent::LayoutRequest) updateGeometry();
    return QWidget::event(event);
}

QSize RevealSlot::sizeHint() const { return m_content->sizeHint(); }

QSize RevealSlot::minimumSizeHint() const { return m_content->minimumSizeHint(); }

bool RevealSlot::hasHeightForWidth() const { return m_content->hasHeightForWidth(); }

int RevealSlot::heightForWidth(int width) const { return m_content->heightForWidth(width); }

}  // namespace vocena
