// The build without the Wayland client library: no layer-shell surfaces.
#include "Infrastructure/Wayland/WlrLayerSurface.h"

namespace vocena {

std::unique_ptr<WlrLayerSurface> WlrLayerSurface::create(const QString&, ButtonHandler) { return nullptr; }

}  // namespace vocena
