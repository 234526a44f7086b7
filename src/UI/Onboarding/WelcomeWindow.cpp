#include "UI/Onboarding/WelcomeWindow.h"

#include "UI/Onboarding/OnboardingView.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace vocena {

namespace {

constexpr int kCloseButtonSize = 22;
constexpr int kCloseButtonMargin = 10;

}  // namespace

WelcomeWindow::WelcomeWindow(Scheduler& scheduler, std::function<void(bool)> onDismiss, std::function<void()> onOpenSettings,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_view(new OnboardingView(scheduler, std::move(onDismiss), std::move(onOpenSettings), this)),
      m_closeButton(new QToolButton(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("欢迎使用澄言"));  // for the desktop's window list; no title bar shows it
    setFixedSize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    m_closeButton->setObjectName(QStringLiteral("welcomeClose"));
    m_closeButton->setText(QStringLiteral("✕"));
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    m_closeButton->setFixedSize(kCloseButtonSize, kCloseButtonSize);
    m_closeButton->setCursor(Qt::PointingHandCursor);
    restyle();
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);
    m_closeButton->raise();
}

void WelcomeWindow::present() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    show();
    raise();
    activateWindow();
}

// The style sheets take their colours from the palette when they are set, and widgets under
// a sheet no longer follow their parent's palette: after a theme change they are set again.
void WelcomeWindow::restyle() {
    m_closeButton->setStyleSheet({});
    m_closeButton->setStyleSheet(QStringLiteral("#welcomeClose { border: none; border-radius: 11px; font-size: 11px;"
                                                " background: palette(midlight); color: palette(window-text); }"
                                                "#welcomeClose:hover { background: palette(mid); }"));
    m_view->restyle();
}

void WelcomeWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) QMetaObject::invokeMethod(this, &WelcomeWindow::restyle, Qt::QueuedConnection);
}

void WelcomeWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT windowWillClose();
    event->accept();
}

void WelcomeWindow::paintEvent(QPaintEvent*) {
    // A window without the desktop's frame draws its own edge.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.18);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void WelcomeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_closeButton->move(width() - kCloseButtonSize - kCloseButtonMargin, kCloseButtonMargin);
}

void WelcomeWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // The desktop moves the window when it can (snapping, its own feedback); otherwise it
    // follows the pointer.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void WelcomeWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragOffset || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - *m_dragOffset);
}

void WelcomeWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace vocena
