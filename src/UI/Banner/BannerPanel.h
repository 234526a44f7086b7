#pragma once

#include <QWidget>

namespace vocena {

// The floating window that holds one kind of banner content: frameless, above other windows,
// on every desktop (override-redirect), never taking the keyboard focus, placed by the app.
// A click-through panel lets every click reach the window below. Over a compositor the
// background is translucent with rounded corners; without one it is opaque and the corners
// are cut by a shape mask. The panel takes the size of its content and keeps its top edge
// and horizontal centre when the content grows or shrinks.
class BannerPanel final : public QWidget {
    Q_OBJECT
public:
    enum class Input { clickThrough, acceptsClicks };
    BannerPanel(QWidget* content, Input input, bool translucent);

    QWidget* content() const { return m_content; }
    bool isTranslucent() const { return m_translucent; }
    // Places the panel at `frame` (its content keeps its own size) and shows it over other
    // windows without activating it.
    void present(const QRect& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followContentSize();

    QWidget* m_content;
    bool m_translucent;
};

}  // namespace vocena
