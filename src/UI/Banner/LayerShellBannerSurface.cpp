#include "UI/Banner/LayerShellBannerSurface.h"

#include "Infrastructure/Platform/DesktopNotice.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Wayland/WlrLayerSurface.h"
#include "UI/Banner/BannerPanel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace vocena {

namespace {

const Logger logger("TopStatusBanner");

int scaleOf(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    return std::max(1, int(std::ceil(screen ? screen->devicePixelRatio() : 1.0)));
}

}  // namespace

void LayerShellBannerSurface::attach(BannerPanel& panel) {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) return;
    // Never a window of its own here: one would be tiled and take the keyboard focus.
    panel.setAttribute(Qt::WA_DontShowOnScreen);
    QPointer<BannerPanel> target(&panel);
    std::unique_ptr<WlrLayerSurface> surface =
        WlrLayerSurface::create(QStringLiteral("vocena-banner"), [target](QPointF position, bool pressed) {
            if (LayerShellBannerSurface* self = target ? of(*target) : nullptr) self->pointerButton(position, pressed);
        });
    if (!surface) {
        static bool told = false;
        if (!std::exchange(told, true))
            logger.info(QStringLiteral("Wayland 混成器没有提供 layer-shell（zwlr_layer_shell_v1）：不显示状态横幅，以免抢走输入焦点"));
        // A notice (a text that could not be typed among them) goes to the desktop's
        // notifications instead; the live banner's state is the tray icon's.
        if (const auto* notice = qobject_cast<const QLabel*>(panel.content())) DesktopNotice::show(notice->text());
        return;
    }
    new LayerShellBannerSurface(panel, std::move(surface));
}

LayerShellBannerSurface* LayerShellBannerSurface::of(const BannerPanel& panel) {
    return panel.findChild<LayerShellBannerSurface*>(QString(), Qt::FindDirectChildrenOnly);
}

LayerShellBannerSurface::LayerShellBannerSurface(BannerPanel& panel, std::unique_ptr<WlrLayerSurface> surface)
    : QObject(&panel), m_panel(panel), m_surface(std::move(surface)) {
    m_surface->setAcceptsPointer(!panel.windowFlags().testFlag(Qt::WindowTransparentForInput));
    m_frames.setInterval(kFrameInterval);
    connect(&m_frames, &QTimer::timeout, this, &LayerShellBannerSurface::redraw);
    panel.installEventFilter(this);
    if (panel.isVisible()) m_frames.start();
}

LayerShellBannerSurface::~LayerShellBannerSurface() = default;

bool LayerShellBannerSurface::isShown() const { return m_surface->isShown(); }

bool LayerShellBannerSurface::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_panel) return false;
    switch (event->type()) {
    case QEvent::Show:
        m_frames.start();
        redraw();
        break;
    case QEvent::Hide:
        m_frames.stop();
        m_surface->hide();
        m_shown = QImage();
        m_pressed = nullptr;
        break;
    default: break;
    }
    return false;
}

QImage LayerShellBannerSurface::render() const {
    const int scale = scaleOf(m_panel);
    QImage image(m_panel.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    // The panel paints its own rounded background; nothing fills the corners.
    m_panel.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void LayerShellBannerSurface::redraw() {
    if (!m_panel.isVisible() || m_panel.size().isEmpty()) return;
    QImage image = render();
    if (image == m_shown && m_surface->isShown()) return;
    if (m_surface->show(image)) m_shown = std::move(image);
}

void LayerShellBannerSurface::pointerButton(QPointF position, bool pressed) {
    QWidget* target = pressed ? m_panel.childAt(position.toPoint()) : m_pressed.data();
    if (pressed && !target) target = &m_panel;
    m_pressed = pressed ? target : nullptr;
    if (!target) return;
    const QPointF local = target->mapFrom(&m_panel, position);
    QMouseEvent event(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, local, m_panel.mapToGlobal(position),
                      Qt::LeftButton, pressed ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

}  // namespace vocena
