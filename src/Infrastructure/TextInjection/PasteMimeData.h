#pragma once

#include <QMimeData>
#include <memory>

namespace vocena {

class PasteFetchLog;

// Clipboard content for one paste: the text, marked so that clipboard managers keep it out
// of their history, and the log of who read it (after the target application has read it, the
// previous clipboard content may be put back).
class PasteMimeData final : public QMimeData {
    Q_OBJECT

public:
    PasteMimeData(const QString& text, std::shared_ptr<PasteFetchLog> fetches);

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    std::shared_ptr<PasteFetchLog> m_fetches;
};

}  // namespace vocena
