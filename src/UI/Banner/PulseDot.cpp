#include "UI/Banner/PulseDot.h"

#include <QPainter>
#include <QSequentialAnimationGroup>
#include <QVariantAnimation>

namespace vocena {

namespace {

QVariantAnimation* phaseAnimation(QObject* parent, double from, double to, int milliseconds, QEasingCurve::Type easing) {
    auto* animation = new QVariantAnimation(parent);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(milliseconds);
    animation->setEasingCurve(easing);
    return animation;
}

}  // namespace

PulseDot::PulseDot(QWidget* parent)
    : QWidget(parent), m_pulse(new QSequentialAnimationGroup(this)),
      m_settle(phaseAnimation(this, 1.0, 0.0, 300, QEasingCurve::OutQuad)) {
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* grow = phaseAnimation(m_pulse, 0.0, 1.0, 1200, QEasingCurve::InOutSine);
    auto* shrink = phaseAnimation(m_pulse, 1.0, 0.0, 1200, QEasingCurve::InOutSine);
    m_pulse->addAnimation(grow);
    m_pulse->addAnimation(shrink);
    m_pulse->setLoopCount(-1);
    for (QVariantAnimation* animation : {grow, shrink, m_settle})
        connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { setPhase(value.toDouble()); });
}

void PulseDot::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

bool PulseDot::isPulsing() const { return m_pulse->state() == QAbstractAnimation::Running; }

void PulseDot::setPhase(double phase) {
    m_phase = phase;
    update();
}

void PulseDot::showEvent(QShowEvent*) {
    m_settle->stop();
    m_pulse->start();
}

void PulseDot::hideEvent(QHideEvent*) {
    m_pulse->stop();
    m_settle->setStartValue(m_phase);
    m_settle->start();
}

void PulseDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre(width() / 2.0, height() / 2.0);
    QColor ring = m_color;
    ring.setAlphaF(float(0.3 * pulseOpacity()));
    painter.setBrush(ring);
    const double ringRadius = 4.0 * pulseScale();
    painter.drawEllipse(centre, ringRadius, ringRadius);
    painter.setBrush(m_color);
    painter.drawEllipse(centre, 3.0, 3.0);
}

}  // namespace vocena
