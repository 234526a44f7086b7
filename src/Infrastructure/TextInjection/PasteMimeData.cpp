#include "Infrastructure/TextInjection/PasteMimeData.h"

namespace vocena {

PasteMimeData::PasteMimeData(const QString& text, std::shared_ptr<bool> fetched) : m_fetched(std::move(fetched)) {
    setText(text);
    // The hint that KDE's clipboard manager and others honour for passwords.
    setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
}

QVariant PasteMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    // Qt asks for "text/plain" whichever text target (UTF8_STRING, text/plain;charset=utf-8)
    // the requesting application chose.
    if (mimeType.startsWith(QLatin1String("text/plain"))) *m_fetched = true;
    return QMimeData::retrieveData(mimeType, type);
}

}  // namespace vocena
