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

QCoro::Task<bool> WlrDataControlClipboard::setAside(PasteSelection selection) {
    std::weak_ptr<int> alive = m_alive;
    m_setAside = {};
    std::vector<PasteSelection> selections{PasteSelection::clipboard};
    if (selection == PasteSelection::primary && m_selections.offersPrimary()) selections.push_back(PasteSelection::primary);
    for (const PasteSelection each : selections) {
        QCoro::Task<std::optional<SelectionFormats>> reading = m_selections.readAsync(each, readLimit);
        std::optional<SelectionFormats> formats = co_await std::move(reading);
        if (alive.expired()) co_return false;
        // What cannot be set aside is not replaced.
        if (!formats) co_return false;
        m_setAside[each == PasteSelection::primary ? 1 : 0] = SetAside{std::move(*formats), m_selections.generation(each)};
    }
    co_return true;
}

void WlrDataControlClipboard::pasteKeySent() {
    m_selections.served();  // the reads that arrived so far are counted before the key
    for (Offer& offer : m_offers) offer.readsBeforeKey = offer.offered->textReads();
}

bool WlrDataControlClipboard::offerOn(PasteSelection selection, const QString& text) {
    // Set aside ahead of time, unless the selection changed since (then read now, bounded).
    std::optional<SelectionFormats> previous;
    std::optional<SetAside>& early = m_setAside[selection == PasteSelection::primary ? 1 : 0];
    m_selections.served();
    if (early && early->generation == m_selections.generation(selection)) previous = std::move(early->formats);
    else previous = m_selections.read(selection, readLimit);
    early.reset();
    // What cannot be set aside is not replaced.
    if (!previous) return false;
    std::shared_ptr<ServedSelection> offered = m_selections.serve(selection, formatsOf(text));
    if (!offered) return false;
    m_offers.push_back({selection, *previous, std::move(offered)});
    return true;
}

bool WlrDataControlClipboard::offeredTextFetched() const {
    return std::any_of(m_offers.begin(), m_offers.end(),
                       [](const Offer& offer) { return offer.offered->textReads() > offer.readsBeforeKey; });
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
