#include "Infrastructure/Wayland/WlrLayerSurface.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Wayland/WaylandConnection.h"

#include <QImage>
#include <climits>
#include <cmath>
#include <cstring>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

// The generated C declares an argument named "namespace".
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace vocena {

namespace {

const Logger logger("WlrLayerSurface");

// Frames the compositor may hold before the next one waits: the shown one and one in flight.
constexpr int kMaximumBuffersInUse = 2;

class LayerSurface;

// The compositor's objects every layer surface uses, bound once on the shared connection.
struct LayerShellGlobals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wl_pointer* pointer = nullptr;
    // Where the pointer is, and over which of the app's layer surfaces.
    LayerSurface* pointerFocus = nullptr;
    QPointF pointerPosition;

    bool complete() const { return compositor && shm && layerShell; }
    // Asks for the seat's pointer once the seat has one (asking before is a protocol error).
    void findPointer();
    static LayerShellGlobals& shared();
};

// A wl_buffer's bookkeeping: its surface may be gone before the compositor releases it.
struct BufferOwner {
    std::weak_ptr<int> buffersInUse;
};

class LayerSurface final : public WlrLayerSurface {
public:
    LayerSurface(QString role, ButtonHandler onButton) : m_role(std::move(role)), m_onButton(std::move(onButton)) {}
    ~LayerSurface() override {
        hide();
        LayerShellGlobals& globals = LayerShellGlobals::shared();
        if (globals.pointerFocus == this) globals.pointerFocus = nullptr;
    }

    bool show(const QImage& image) override;
    void hide() override;
    void setAcceptsPointer(bool accepts) override;
    bool isShown() const override { return m_layer && m_configured && m_attached; }

    void pointerButton(QPointF position, bool pressed) {
        if (m_onButton) m_onButton(position, pressed);
    }
    bool owns(wl_surface* surface) const { return surface && surface == m_surface; }

private:
    void map(QSize size);
    bool attach(const QImage& image);
    void applyInputRegion();
    void configured(uint32_t serial);

    QString m_role;
    ButtonHandler m_onButton;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    bool m_configured = false;
    bool m_attached = false;
    bool m_acceptsPointer = false;
    QSize m_size;  // in surface coordinates, as last told to the compositor
    QImage m_waiting;  // a frame offered before the first configure
    std::shared_ptr<int> m_buffersInUse = std::make_shared<int>(0);
};

LayerShellGlobals& LayerShellGlobals::shared() {
    static LayerShellGlobals* globals = [] {
        auto* created = new LayerShellGlobals;
        WaylandConnection& connection = WaylandConnection::shared();
        if (!connection.isConnected()) return created;
        // Version 3 lets the buffer carry the output's scale.
        created->compositor = static_cast<wl_compositor*>(connection.bind(&wl_compositor_interface, 3));
        created->shm = static_cast<wl_shm*>(connection.bind(&wl_shm_interface, 1));
        created->layerShell = static_cast<zwlr_layer_shell_v1*>(connection.bind(&zwlr_layer_shell_v1_interface, 1));
        created->findPointer();
        return created;
    }();
    return *globals;
}

void LayerShellGlobals::findPointer() {
    WaylandConnection& connection = WaylandConnection::shared();
    if (pointer || !complete() || !connection.seat() || !(connection.seatCapabilities() & WL_SEAT_CAPABILITY_POINTER)) return;
    // The seat is bound at version 1: the pointer sends no more than these five events.
    static const wl_pointer_listener pointerListener = [] {
        wl_pointer_listener listener{};
        listener.enter = [](void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
            auto* self = static_cast<LayerShellGlobals*>(data);
            auto* target = surface ? static_cast<LayerSurface*>(wl_surface_get_user_data(surface)) : nullptr;
            self->pointerFocus = target && target->owns(surface) ? target : nullptr;
            self->pointerPosition = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
        };
        listener.leave = [](void* data, wl_pointer*, uint32_t, wl_surface*) {
            static_cast<LayerShellGlobals*>(data)->pointerFocus = nullptr;
        };
        listener.motion = [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
            static_cast<LayerShellGlobals*>(data)->pointerPosition = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
        };
        listener.button = [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
            auto* self = static_cast<LayerShellGlobals*>(data);
            if (button != BTN_LEFT || !self->pointerFocus) return;
            self->pointerFocus->pointerButton(self->pointerPosition, state == WL_POINTER_BUTTON_STATE_PRESSED);
        };
        listener.axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {};
        return listener;
    }();
    pointer = wl_seat_get_pointer(connection.seat());
    wl_pointer_add_listener(pointer, &pointerListener, this);
}

void LayerSurface::map(QSize size) {
    LayerShellGlobals& globals = LayerShellGlobals::shared();
    globals.findPointer();
    static const zwlr_layer_surface_v1_listener listener = {
        [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t, uint32_t) {
            static_cast<LayerSurface*>(data)->configured(serial);
        },
        // The output went away: the surface will not be shown again; the next frame maps a new one.
        [](void* data, zwlr_layer_surface_v1*) { static_cast<LayerSurface*>(data)->hide(); },
    };
    m_surface = wl_compositor_create_surface(globals.compositor);
    wl_surface_set_user_data(m_surface, this);
    m_layer = zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, m_surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                    m_role.toUtf8().constData());
    zwlr_layer_surface_v1_add_listener(m_layer, &listener, this);
    zwlr_layer_surface_v1_set_anchor(m_layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP);
    // Zero: moved below the panels that reserve the top edge, reserving nothing itself.
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer, 0);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    zwlr_layer_surface_v1_set_size(m_layer, uint32_t(size.width()), uint32_t(size.height()));
    m_size = size;
    applyInputRegion();
    // The first commit has no buffer; the compositor answers with a configure.
    wl_surface_commit(m_surface);
    WaylandConnection::shared().flush();
}

void LayerSurface::configured(uint32_t serial) {
    zwlr_layer_surface_v1_ack_configure(m_layer, serial);
    const bool first = !m_configured;
    m_configured = true;
    if (first && !m_waiting.isNull()) {
        const QImage image = std::exchange(m_waiting, QImage());
        attach(image);
    }
}

void LayerSurface::applyInputRegion() {
    if (!m_surface) return;
    if (m_acceptsPointer) {
        wl_surface_set_input_region(m_surface, nullptr);  // the whole surface
        return;
    }
    wl_region* empty = wl_compositor_create_region(LayerShellGlobals::shared().compositor);
    wl_surface_set_input_region(m_surface, empty);
    wl_region_destroy(empty);
}

void LayerSurface::setAcceptsPointer(bool accepts) {
    if (accepts == m_acceptsPointer) return;
    m_acceptsPointer = accepts;
    applyInputRegion();
}

bool LayerSurface::show(const QImage& image) {
    if (image.isNull() || !WaylandConnection::shared().isConnected()) return false;
    const int scale = std::max(1, int(std::lround(image.devicePixelRatio())));
    const QSize size = image.size() / scale;
    if (!m_layer) map(size);
    if (!m_configured) {
        m_waiting = image;
        return true;
    }
    return attach(image);
}

bool LayerSurface::attach(const QImage& source) {
    if (*m_buffersInUse >= kMaximumBuffersInUse) return false;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int scale = std::max(1, int(std::lround(image.devicePixelRatio())));
    const int stride = image.width() * 4;
    const size_t bytes = size_t(stride) * size_t(image.height());
    // Memory the compositor maps itself: the app's own mapping ends once the pixels are in.
    const int fd = memfd_create("vocena-layer-surface", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0) {
        if (fd >= 0) close(fd);
        logger.error(QStringLiteral("无法为横幅分配共享内存：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return false;
    }
    for (int row = 0; row < image.height(); ++row)
        std::memcpy(static_cast<uchar*>(memory) + size_t(row) * size_t(stride), image.constScanLine(row), size_t(stride));
    munmap(memory, bytes);
    wl_shm_pool* pool = wl_shm_create_pool(LayerShellGlobals::shared().shm, fd, int32_t(bytes));
    // ARGB32_Premultiplied in memory is the compositor's ARGB8888 on a little-endian machine.
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, image.width(), image.height(), stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);

    static const wl_buffer_listener bufferListener = {[](void* data, wl_buffer* released) {
        auto* owner = static_cast<BufferOwner*>(data);
        if (const std::shared_ptr<int> inUse = owner->buffersInUse.lock()) --*inUse;
        delete owner;
        wl_buffer_destroy(released);
    }};
    wl_buffer_add_listener(buffer, &bufferListener, new BufferOwner{m_buffersInUse});
    ++*m_buffersInUse;

    const QSize size = image.size() / scale;
    if (size != m_size) {
        zwlr_layer_surface_v1_set_size(m_layer, uint32_t(size.width()), uint32_t(size.height()));
        m_size = size;
    }
    wl_surface_set_buffer_scale(m_surface, scale);
    wl_surface_attach(m_surface, buffer, 0, 0);
    wl_surface_damage(m_surface, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(m_surface);
    m_attached = true;
    return WaylandConnection::shared().flush();
}

void LayerSurface::hide() {
    if (m_layer) zwlr_layer_surface_v1_destroy(m_layer);
    if (m_surface) wl_surface_destroy(m_surface);
    if (m_layer || m_surface) WaylandConnection::shared().flush();
    LayerShellGlobals& globals = LayerShellGlobals::shared();
    if (globals.pointerFocus == this) globals.pointerFocus = nullptr;
    m_layer = nullptr;
    m_surface = nullptr;
    m_configured = false;
    m_attached = false;
    m_waiting = QImage();
    m_size = QSize();
}

}  // namespace

std::unique_ptr<WlrLayerSurface> WlrLayerSurface::create(const QString& role, ButtonHandler onButton) {
    if (!LayerShellGlobals::shared().complete()) return nullptr;
    return std::make_unique<LayerSurface>(role, std::move(onButton));
}

}  // namespace vocena
