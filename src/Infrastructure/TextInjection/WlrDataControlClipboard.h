#pragma once

#include "Infrastructure/TextInjection/ClipboardBackend.h"
#include "Infrastructure/Wayland/WlrSelections.h"

#include <memory>
#include <vector>

namespace vocena {

// The clipboard of a wlroots compositor through data-control: the previous content of the
// clipboard (and of the primary selection, for the terminals that paste it) is read in every
// format before the text replaces it, and put back after the paste. Wayland does not say which
// application has the focus, so any read of the text counts as the paste's fetch. Content put
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
    };

    bool offerOn(PasteSelection selection, const QString& text);

    WlrSelections& m_selections;
    std::vector<Offer> m_offers;
};

}  // namespace vocena
