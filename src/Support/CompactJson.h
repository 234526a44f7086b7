#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace vocena {

// A JSON object written compactly with its keys in the order they are added (QJsonObject
// would sort them). Values come out exactly as QJsonDocument writes them.
class CompactJsonObject {
public:
    CompactJsonObject& add(const char* key, const QString& value) { return addRaw(key, stringText(value)); }
    CompactJsonObject& add(const char* key, qint64 value) { return addRaw(key, QByteArray::number(value)); }
    CompactJsonObject& add(const char* key, double value) { return addRaw(key, numberText(value)); }
    // Adds an already serialised JSON value (an array or object built elsewhere).
    CompactJsonObject& addRaw(const char* key, const QByteArray& json);
    QByteArray text() const { return m_text + '}'; }

    // Single values as QJsonDocument writes them. Strings and numbers without anything to
    // escape or round are formatted directly (a large file has tens of thousands of them);
    // the rest goes through Qt.
    static QByteArray valueText(const QJsonValue& value);
    static QByteArray stringText(const QString& text);
    static QByteArray numberText(double number);

private:
    QByteArray m_text = QByteArrayLiteral("{");
};

// A JSON array of already serialised elements: "[" + encode(e1) + "," + ... + "]".
template <typename List, typename Encode>
QByteArray compactJsonArray(const List& elements, Encode encode) {
    QByteArray out("[");
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i > 0) out += ',';
        out += encode(elements.at(i));
    }
    out += ']';
    return out;
}

}  // namespace vocena
