#pragma once

namespace vocena::X11CompositorProbe {

// Whether a compositing manager runs on the X display of this application (it owns the
// _NET_WM_CM_Sn selection of the default screen): only then are translucent windows blended
// with what lies behind them. False off X11.
bool compositorRunning();

}  // namespace vocena::X11CompositorProbe
