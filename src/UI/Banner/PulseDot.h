#pragma once

#include <QColor>
#include <QWidget>

class QSequentialAnimationGroup;
class QVariantAnimation;

namespace vocena {

// The status dot: a solid 6 px circle in the status colour in front of an 8 px ring of the
// same colour at 30 % that pulses while the dot is on screen (grows to 1.8 times and fades to
// 0.3 over 1.2 s, then back, for ever) and settles back in 0.3 s when it leaves the screen.
// The widget is 16 px square so the grown ring is not cut off.
class PulseDot final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 16;
    explicit PulseDot(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    double pulseScale() const { return 1.0 + 0.8 * m_phase; }
    double pulseOpacity() const { return 1.0 - 0.7 * m_phase; }
    bool isPulsing() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setPhase(double phase);

    QColor m_color;
    double m_phase = 0;  // 0: at rest, 1: fully grown
    QSequentialAnimationGroup* m_pulse;
    QVariantAnimation* m_settle;
};

}  // namespace vocena
