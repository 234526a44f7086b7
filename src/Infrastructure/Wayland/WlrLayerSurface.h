#pragma once

#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

class QImage;

namespace vocena {

// A surface on the compositor's overlay layer (zwlr_layer_shell_v1: sway, Hyprland, river,
// labwc, KDE), anchored to the top edge of the output the compositor picks (the one the user
// last used), kept clear of panels, and never given the keyboard focus. It shows images the
// caller draws, at their device pixel ratio, with translucent pixels blended by the compositor.
// Lives on the app's own Wayland connection; main thread.
class WlrLayerSurface {
public:
    // A press (true) or release (false) of the left button at a point of the surface.
    using ButtonHandler = std::function<void(QPointF position, bool pressed)>;

    // Null where the build has no Wayland support or the compositor offers no layer shell.
    // `role` names the surface for the compositor (its layer-shell namespace).
    static std::unique_ptr<WlrLayerSurface> create(const QString& role, ButtonHandler onButton);

    virtual ~WlrLayerSurface() = default;

    // Shows `image` (ARGB32_Premultiplied or convertible), mapping the surface when it is not.
    // False when it cannot be taken now (the compositor still holds the earlier frames, or the
    // connection is gone); the caller offers the next frame later.
    virtual bool show(const QImage& image) = 0;
    // Removes the surface from the screen; a later show() maps a new one.
    virtual void hide() = 0;
    // The pointer reaches the surface (else every click passes through to what is below).
    virtual void setAcceptsPointer(bool accepts) = 0;
    // The compositor configured the surface and a frame is attached.
    virtual bool isShown() const = 0;
};

}  // namespace vocena
