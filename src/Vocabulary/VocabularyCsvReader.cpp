#include "Vocabulary/VocabularyCsvReader.h"

#include <QFile>

#include <unicode/ucnv.h>

#include <limits>
#include <memory>

namespace vocena {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// The whole input through ICU, stopping at the first byte sequence the encoding does not allow.
std::optional<QString> decodeStrictly(const QByteArray& bytes, const char* encoding) {
    if (bytes.size() >= std::numeric_limits<int32_t>::max()) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(encoding, &status));
    if (U_FAILURE(status)) return std::nullopt;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;
    // None of the four encodings yields more UTF-16 units than it has bytes.
    QString text(bytes.size() + 1, Qt::Uninitialized);
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), int32_t(text.size()),
                                         bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    text.truncate(length);
    return text;
}

// UTF-16 is recognised by its byte-order mark, or else by its NUL bytes, the high bytes of
// the ASCII characters (commas, line breaks): mostly at odd offsets in little-endian, at even
// offsets in big-endian. Without either, almost any even-length legacy file (GBK, Big5) would
// "decode" as UTF-16 into unrelated characters instead of reaching Latin-1. Every line of a
// CSV file has ASCII characters, so the NULs of one parity make up a fair share of the
// characters and far outnumber the others; a stray NUL or NUL padding in a UTF-8 file does not.
const char* utf16Encoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) return "UTF-16";  // ICU drops the mark
    qsizetype atEven = 0;
    qsizetype atOdd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++(i % 2 ? atOdd : atEven);
    const qsizetype characters = bytes.size() / 2;
    const auto dominant = [characters](qsizetype these, qsizetype others) {
        return these > 2 * others && these * 16 >= characters;
    };
    if (dominant(atOdd, atEven)) return "UTF-16LE";
    if (dominant(atEven, atOdd)) return "UTF-16BE";
    return nullptr;
}

bool isLineBreak(char16_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::optional<QStringList> VocabularyCsvReader::readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const auto text = decode(file.readAll());
    if (!text) return std::nullopt;
    return splitLines(*text);
}

std::optional<QString> VocabularyCsvReader::decode(const QByteArray& bytes) {
    // A recognised UTF-16 file goes first: its NUL bytes would be valid UTF-8, and its
    // byte-order mark never is.
    if (const char* utf16 = utf16Encoding(bytes))
        if (auto text = decodeStrictly(bytes, utf16)) return text;
    if (auto text = decodeStrictly(bytes, "UTF-8")) {
        if (text->startsWith(QChar(0xFEFF))) text->remove(0, 1);
        return text;
    }
    for (const char* encoding : {"ISO-8859-1", "windows-1252"})
        if (auto text = decodeStrictly(bytes, encoding)) return text;
    return std::nullopt;
}

QStringList VocabularyCsvReader::splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text.at(i).unicode())) continue;
        lines << text.mid(start, i - start);
        start = i + 1;
    }
    lines << text.mid(start);
    return lines;
}

QStringList VocabularyCsvReader::parseCSVLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

}  // namespace vocena
