#include "UI/MenuBar/MenuBarIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>
#include <cmath>

namespace vocena {

namespace {

const QString trayResource = QStringLiteral(":/vocena/menubar/vocena-tray.svg");

QString symbolResource(MenuBarIcon::Symbol symbol) {
    switch (symbol) {
    case MenuBarIcon::Symbol::microphone: return QStringLiteral(":/vocena/menubar/microphone.svg");
    case MenuBarIcon::Symbol::headProfile: return QStringLiteral(":/vocena/menubar/head-profile.svg");
    case MenuBarIcon::Symbol::trash: return QStringLiteral(":/vocena/menubar/trash.svg");
    }
    return {};
}

// Sizes trays and menus ask for; the icon engine scales the nearest one for others.
constexpr std::array traySizes{16, 22, 24, 32, 48, 64};
constexpr std::array symbolSizes{16, 24, 32};

// The glyph's colour painted through the shape's alpha.
QImage tinted(const QImage& shape, const QColor& colour) {
    QImage out = shape;
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), colour);
    return out;
}

// The opposite brightness of `colour`, a little transparent, for the halo.
QColor haloFor(const QColor& colour) {
    QColor halo = colour.lightnessF() < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
    halo.setAlphaF(0.75);
    return halo;
}

// One rendering of a shape: `size` × `size` device pixels, the glyph in `fill`, ringed by
// `halo` (a transparent halo draws none). A null pixmap when the resource is missing.
QPixmap render(const QString& resource, int size, const QColor& fill, const QColor& halo) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || size <= 0) return {};
    // The halo needs a pixel of room on every side (more at larger sizes).
    const int ring = halo.alpha() > 0 ? std::max(1, static_cast<int>(std::lround(size / 22.0))) : 0;
    QImage shape(size, size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(ring, ring, size - 2 * ring, size - 2 * ring));
    }
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    if (ring > 0) {
        QColor opaque = halo;
        opaque.setAlpha(255);
        const QImage ringShape = tinted(shape, opaque);
        for (int dx = -ring; dx <= ring; ++dx)
            for (int dy = -ring; dy <= ring; ++dy)
                if (dx != 0 || dy != 0) painter.drawImage(dx, dy, ringShape);
        // The ring is drawn many times over itself: give it the halo's opacity once.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QColor cap(0, 0, 0);
        cap.setAlpha(halo.alpha());
        painter.fillRect(out.rect(), cap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.drawImage(0, 0, tinted(shape, fill));
    painter.end();
    return QPixmap::fromImage(out);
}

}  // namespace

QIcon MenuBarIcon::trayIcon(bool recording, const QPalette& palette) {
    const QColor idle = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor fill = recording ? recordingRed() : idle;
    QIcon icon;
    for (int size : traySizes) icon.addPixmap(render(trayResource, size, fill, haloFor(idle)));
    return icon;
}

QIcon MenuBarIcon::symbol(Symbol symbol, const QPalette& palette) {
    const QString resource = symbolResource(symbol);
    QIcon icon;
    const auto add = [&](QPalette::ColorGroup group, QPalette::ColorRole role, QIcon::Mode mode) {
        for (int size : symbolSizes) icon.addPixmap(render(resource, size, palette.color(group, role), Qt::transparent), mode);
    };
    add(QPalette::Active, QPalette::Text, QIcon::Normal);
    add(QPalette::Active, QPalette::HighlightedText, QIcon::Selected);
    add(QPalette::Active, QPalette::HighlightedText, QIcon::Active);
    add(QPalette::Disabled, QPalette::Text, QIcon::Disabled);
    return icon;
}

}  // namespace vocena
