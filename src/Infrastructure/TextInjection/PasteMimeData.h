#pragma once

#include <QMimeData>
#include <memory>

namespace vocena {

// Clipboard content for one paste: the text, marked so that clipboard managers keep it out
// of their history, and a flag that is raised when an application fetches the text (the
// moment after which the previous clipboard content may be put back).
class PasteMimeData final : public QMimeData {
    Q_OBJECT

public:
    PasteMimeData(const QString& text, std::shared_ptr<bool> fetched);

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    std::shared_ptr<bool> m_fetched;
};

}  // namespace vocena
