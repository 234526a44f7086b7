#pragma once

#include <QPointer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace vocena {

// Holds one piece of the welcome card in its place in the layout and lets it come in: until
// reveal() the content is transparent and a little lower; reveal() fades it in and lets it
// spring up into place (a slight overshoot, settling in about 0.4 s). The slot takes the
// content's size (height for width included), so the layout around it never moves.
class RevealSlot final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHiddenOffset = 12;  // pixels below its place while hidden
    static constexpr int kDurationMs = 450;

    explicit RevealSlot(QWidget* content, QWidget* parent = nullptr);

    void reveal();
    bool isRevealed() const { return m_revealed; }
    QWidget* content() const { return m_content; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setProgress(double progress);
    void placeContent();

    QWidget* m_content;
    QPointer<QGraphicsOpacityEffect> m_opacity;
    QVariantAnimation* m_animation;
    double m_progress = 0.0;
    bool m_revealed = false;
};

}  // namespace vocena
