#include "Infrastructure/TextInjection/PasteMimeData.h"

#include "Infrastructure/TextInjection/PasteFetchLog.h"

namespace vocena {

PasteMimeData::PasteMimeData(const QString& text, std::shared_ptr<PasteFetchLog> fetches) : m_fetches(std::move(fetches)) {
    setText(text);
    // The hint that KDE's clipboard manager and others honour for passwords.
    setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
}

QVariant PasteMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    // Qt asks for "text/plain" whichever text target (UTF8_STRING, text/plain;charset=utf-8)
    // the requesting application chose.
    m_fetches->noteRead(mimeType.startsWith(QLatin1String("text/plain")));
    return QMimeData::retrieveData(mimeType, type);
}

}  // namespace vocena
