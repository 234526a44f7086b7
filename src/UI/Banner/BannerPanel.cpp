#include "UI/Banner/BannerPanel.h"

#include "UI/Banner/BannerStyle.h"

#include <QBitmap>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace vocena {

namespace {

Qt::WindowFlags flagsFor(BannerPanel::Input input) {
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                            Qt::X11BypassWindowManagerHint;
    if (input == BannerPanel::Input::clickThrough) flags |= Qt::WindowTransparentForInput;
    return flags;
}

}  // namespace

BannerPanel::BannerPanel(QWidget* content, Input input, bool translucent)
    : QWidget(nullptr, flagsFor(input)), m_content(content), m_translucent(translucent) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    setFocusPolicy(Qt::NoFocus);
    m_content->setParent(this);
    m_content->move(0, 0);
    m_content->installEventFilter(this);
    resize(m_content->size());
}

void BannerPanel::present(const QRect& frame) {
    setGeometry(QRect(frame.topLeft(), m_content->size()));
    show();
    raise();
}

bool BannerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_content && event->type() == QEvent::Resize) followContentSize();
    return false;
}

void BannerPanel::followContentSize() {
    const QSize size = m_content->size();
    if (size == this->size()) return;
    const int midX = x() + width() / 2;
    setGeometry(QRect(QPoint(midX - size.width() / 2, y()), size));
}

void BannerPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_translucent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BannerStyle::background(m_translucent));
    if (m_translucent) painter.drawRoundedRect(QRectF(rect()), BannerStyle::kCornerRadius, BannerStyle::kCornerRadius);
    else painter.drawRect(rect());
}

void BannerPanel::resizeEvent(QResizeEvent*) {
    if (m_translucent) {
        clearMask();
        return;
    }
    // Without a compositor transparent pixels are not blended: cut the corners off instead.
    QBitmap shape(size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRectF(rect()), BannerStyle::kCornerRadius, BannerStyle::kCornerRadius);
    painter.end();
    setMask(shape);
}

}  // namespace vocena
