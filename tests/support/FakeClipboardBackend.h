#pragma once

#include "Infrastructure/TextInjection/ClipboardBackend.h"

#include <optional>

namespace vocena::test {

// A clipboard holding one text. The test plays the target application by calling fetch(), and
// another reader (a clipboard manager) by calling fetch(false).
class FakeClipboardBackend final : public ClipboardBackend {
public:
    std::optional<QString> content;
    std::optional<PasteSelection> offeredOn;  // the selection of the last offer
    bool refuseWrites = false;
    bool fetched = false;

    bool offer(const QString& text, PasteSelection selection) override {
        if (refuseWrites) return false;
        m_previous = content;
        m_offered = true;
        offeredOn = selection;
        fetched = false;
        content = text;
        return true;
    }
    bool offeredTextFetched() const override { return fetched; }
    void restore() override {
        if (m_offered && m_previous) content = m_previous;
        m_offered = false;
    }
    void keepOffered() override { m_offered = false; }
    QString fetch(bool byTarget = true) {
        fetched = fetched || byTarget;
        return content.value_or(QString());
    }

private:
    std::optional<QString> m_previous;
    bool m_offered = false;
};

}  // namespace vocena::test
