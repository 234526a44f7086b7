#pragma once

#include "Infrastructure/TextInjection/PasteMethod.h"

#include <QCoro/QCoroTask>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <array>
#include <chrono>
#include <memory>
#include <optional>

struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;

namespace vocena {

class WaylandConnection;

// The content of one selection: every MIME type with its bytes.
using SelectionFormats = QList<QPair<QString, QByteArray>>;

// One content this process serves on a selection. It stays on the selection until another
// client (or this process again) takes the selection.
class ServedSelection {
public:
    virtual ~ServedSelection() = default;
    // Another content has replaced it.
    virtual bool replaced() const = 0;
    // Some client has read it as text.
    virtual bool readAsText() const { return textReads() > 0; }
    // How many times clients asked for it as text.
    virtual int textReads() const = 0;
};

// The seat's clipboard and primary selection through data-control (zwlr_data_control_v1),
// which needs no keyboard focus: reads what they hold and serves this process's content on
// them. Main thread, on a watched connection.
class WlrSelections final : public QObject {
public:
    explicit WlrSelections(WaylandConnection& connection);
    ~WlrSelections() override;

    // The one on WaylandConnection::shared(), for the process's life.
    static WlrSelections& shared();

    bool isAvailable() const;
    // The compositor lets data-control set the primary selection.
    bool offersPrimary() const;

    // What `selection` holds now, every format, read within `limit`; empty when it holds
    // nothing, none when a format could not be read in time or the connection is gone.
    std::optional<SelectionFormats> read(PasteSelection selection, std::chrono::milliseconds limit);
    // As read(), but the main thread goes on while the owner of the content answers (bounded
    // by `limit`). The content may change meanwhile: compare generation() before using it.
    QCoro::Task<std::optional<SelectionFormats>> readAsync(PasteSelection selection, std::chrono::milliseconds limit);
    // Changes whenever `selection` gets another content (from another client or this process).
    quint64 generation(PasteSelection selection) const { return m_generations[index(selection)]; }
    // Puts `formats` on `selection`, served by this process until it is replaced; null when
    // that cannot be done.
    std::shared_ptr<ServedSelection> serve(PasteSelection selection, SelectionFormats formats);
    // What this process still serves, by selection, after the events that arrived.
    QList<QPair<PasteSelection, SelectionFormats>> served();

private:
    struct Offer;
    struct Source;

    static size_t index(PasteSelection selection) { return selection == PasteSelection::primary ? 1 : 0; }
    // Before the owner of the content is asked: true with `answer` when no owner needs asking
    // (nothing can be read: none; this process's own content; an empty selection).
    bool answerWithoutOwner(PasteSelection selection, std::chrono::milliseconds limit, std::optional<SelectionFormats>& answer);
    void setOffer(PasteSelection selection, zwlr_data_control_offer_v1* offer);
    std::optional<QByteArray> receive(zwlr_data_control_offer_v1* offer, const QString& mimeType,
                                      std::chrono::steady_clock::time_point deadline);
    QCoro::Task<std::optional<QByteArray>> receiveAsync(zwlr_data_control_offer_v1* offer, QString mimeType,
                                                        std::chrono::steady_clock::time_point deadline);

    WaylandConnection& m_connection;
    zwlr_data_control_device_v1* m_device = nullptr;
    std::unique_ptr<Offer> m_newOffer;                 // introduced, not yet a selection
    std::array<std::unique_ptr<Offer>, 2> m_offers;    // what each selection holds
    std::array<std::shared_ptr<Source>, 2> m_sources;  // what this process serves on each
    std::array<quint64, 2> m_generations{};           // of each selection's content
};

}  // namespace vocena
