#include "Support/CompactJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace vocena {

QByteArray CompactJsonObject::valueText(const QJsonValue& value) {
    // QJsonDocument only writes arrays and objects: wrap the value and drop the brackets.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray CompactJsonObject::stringText(const QString& text) {
    // Qt writes valid UTF-16 as UTF-8 and escapes only quotes, backslashes and control
    // characters (and lone surrogates).
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c == u'"' || c == u'\\' || c.isSurrogate();
    });
    if (!plain) return valueText(text);
    return '"' + text.toUtf8() + '"';
}

QByteArray CompactJsonObject::numberText(double number) {
    // Qt stores integral doubles as integers; a fractional finite double is written shortest.
    constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
    if (!std::isfinite(number) || std::signbit(number) || std::abs(number) >= kExactIntegers) return valueText(number);
    if (std::trunc(number) == number) return QByteArray::number(qint64(number));
    return QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
}

CompactJsonObject& CompactJsonObject::addRaw(const char* key, const QByteArray& json) {
    if (m_text.size() > 1) m_text += ',';
    m_text += '"';
    m_text += key;
    m_text += "\":";
    m_text += json;
    return *this;
}

}  // namespace vocena
