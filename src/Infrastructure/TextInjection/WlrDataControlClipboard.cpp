#include "Infrastructure/TextInjection/WlrDataControlClipboard.h"

#include "Infrastructure/Platform/Logging.h"

#include <algorithm>

namespace vocena {

namespace {

const Logger logger("TextInjectionService");

}  // namespace

WlrDataControlClipboard::WlrDataControlClipboard(WlrSelections& selections) : m_selections(selections) {}

WlrDataControlClipboard::~WlrDataControlClipboard() { restore(); }

SelectionFormats WlrDataControlClipboard::formatsOf(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    SelectionFormats formats;
    for (const char* type : {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "TEXT", "STRING"})
        formats.append({QString::fromLatin1(type), utf8});
    // The hint that KDE's clipboard manager and others honour for passwords.
    formats.append({QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret")});
    return formats;
}

bool WlrDataControlClipboard::offer(const QString& text, PasteSelection selection) {
    restore();
    bool offered = offerOn(PasteSelection::clipboard, text);
    if (offered && selection == PasteSelection::primary) {
        if (m_selections.offersPrimary()) offered = offerOn(PasteSelection::primary, text);
        else logger.info(QStringLiteral("Wayland 混成器不能设置主选区，只使用剪贴板"));
    }
    if (!offered) {
        // A refused write must not paste what the clipboard held (it may be a password).
        logger.error(QStringLiteral("无法写入剪贴板"));
        restore();
    }
    return offered;
}

bool WlrDataControlClipboard::offerOn(PasteSelection selection, const QString& text) {
    // What cannot be set aside is not replaced.
    const std::optional<SelectionFormats> previous = m_selections.read(selection, readLimit);
    if (!previous) return false;
    std::shared_ptr<ServedSelection> offered = m_selections.serve(selection, formatsOf(text));
    if (!offered) return false;
    m_offers.push_back({selection, *previous, std::move(offered)});
    return true;
}

bool WlrDataControlClipboard::offeredTextFetched() const {
    return std::any_of(m_offers.begin(), m_offers.end(), [](const Offer& offer) { return offer.offered->readAsText(); });
}

void WlrDataControlClipboard::restore() {
    if (m_offers.empty()) return;
    // Catch up with the compositor: a copy made meanwhile has replaced the offered text.
    m_selections.served();
    for (const Offer& offer : m_offers) {
        // Someone who copied something meanwhile owns the selection now: leave theirs alone.
        if (!offer.offered->replaced() && !offer.previous.isEmpty()) m_selections.serve(offer.selection, offer.previous);
    }
    m_offers.clear();
}

void WlrDataControlClipboard::keepOffered() { m_offers.clear(); }

}  // namespace vocena
