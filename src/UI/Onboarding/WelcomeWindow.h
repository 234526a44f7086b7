#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

class QToolButton;

namespace vocena {

class OnboardingView;
class Scheduler;

// The welcome card's window: 420 × 520, without a title bar (the card draws its own small
// close button), floating above other windows, centred on the screen, moved by dragging its
// background. It hosts the OnboardingView and goes away when closed.
class WelcomeWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 520;

    WelcomeWindow(Scheduler& scheduler, std::function<void(bool)> onDismiss, std::function<void()> onOpenSettings,
                  QWidget* parent = nullptr);

    OnboardingView& view() const { return *m_view; }
    // The window's own close button (not one of the card's ways out).
    QToolButton* closeButton() const { return m_closeButton; }

    // Centres the window on the primary screen, shows it in front and gives it the focus.
    void present();

Q_SIGNALS:
    // The window is closing, whichever way (its close button, a footer button, the desktop).
    void windowWillClose();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void restyle();

    OnboardingView* m_view;
    QToolButton* m_closeButton;
    std::optional<QPoint> m_dragOffset;  // the pointer's distance from the top-left corner while dragging
};

}  // namespace vocena
