#pragma once

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <memory>

class QWidget;

namespace vocena {

class BannerPanel;
class WlrLayerSurface;

// Where Qt runs on the Wayland platform a window of the app is an ordinary toplevel that a
// tiling compositor tiles and focuses, taking the keyboard from the field the user dictates
// into. There the banner panel stays a widget that is never shown on screen (it still shows,
// hides, animates and resizes as on X11) and its pixels go to a layer-shell surface on the
// overlay layer, which never takes the focus: redrawn while shown, at most 30 times a second
// and only when they changed. A panel that accepts clicks gets the left button's presses and
// releases on its widgets; a click-through one lets them reach the window below.
class LayerShellBannerSurface final : public QObject {
    Q_OBJECT
public:
    static constexpr int kFrameInterval = 33;  // ms

    // Takes over showing `panel` on Qt's wayland platform, before the panel is first shown;
    // elsewhere does nothing. Without a layer shell on the compositor the panel is not shown at
    // all (said once in the log): a notice goes to the desktop's notifications, and the tray
    // icon tells the dictation's state.
    static void attach(BannerPanel& panel);
    // The surface showing `panel`; null when the panel has its own window.
    static LayerShellBannerSurface* of(const BannerPanel& panel);

    LayerShellBannerSurface(BannerPanel& panel, std::unique_ptr<WlrLayerSurface> surface);
    ~LayerShellBannerSurface() override;

    // The panel's pixels are on the compositor's screen.
    bool isShown() const;
    // A press (true) or release of the left button at `position` of the panel, as the
    // compositor reports it: the widget under a press gets it, and that widget its release.
    void pointerButton(QPointF position, bool pressed);
    // The panel as it looks now, at the screen's device pixel ratio.
    QImage render() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();

    BannerPanel& m_panel;
    std::unique_ptr<WlrLayerSurface> m_surface;
    QTimer m_frames;
    QImage m_shown;
    QPointer<QWidget> m_pressed;
};

}  // namespace vocena
