#pragma once

#include "Infrastructure/TextInjection/ClipboardBackend.h"
#include "Infrastructure/Wayland/WlrSelections.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace vocena {

// The clipboard of a wlroots compositor through data-control: the previous content of the
// clipboard (and of the primary selection, for the terminals that paste it) is read in every
// format before the text replaces it (ahead of the offer, without holding up the main thread,
// when setAside() was called), and put back after the paste. Wayland does not say which
// application has the focus, so any read of the text after the paste key counts as the paste's
// fetch; one before it is a clipboard manager's. Content put
// back stays served by this process after this object is gone (WlrSelections), until another
// client takes the selection or the process hands it to a keeper.
class WlrDataControlClipboard final : public ClipboardBackend {
public:
    // The longest wait for the previous content: a client that does not answer in time makes
    // the paste refuse, rather than lose what it held.
    static constexpr std::chrono::milliseconds readLimit{1000};

    explicit WlrDataControlClipboard(WlrSelections& selections);
    ~WlrDataControlClipboard() override;

    bool offer(const QString& text, PasteSelection selection) override;
    QCoro::Task<bool> setAside(PasteSelection selection) override;
    void pasteKeySent() override;
    bool offeredTextFetched() const override;
    void restore() override;
    void keepOffered() override;

    // The formats the text is offered in, marked so that clipboard managers keep it out of their
    // history.
    static SelectionFormats formatsOf(const QString& text);

private:
    struct Offer {
        PasteSelection selection;
        SelectionFormats previous;
        std::shared_ptr<ServedSelection> offered;
        int readsBeforeKey = 0;
    };
    // What a selection held when it was set aside, and the content's generation then.
    struct SetAside {
        SelectionFormats formats;
        quint64 generation;
    };

    bool offerOn(PasteSelection selection, const QString& text);

    WlrSelections& m_selections;
    std::vector<Offer> m_offers;
    std::array<std::optional<SetAside>, 2> m_setAside;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);  // weakly held across waits
};

}  // namespace vocena
