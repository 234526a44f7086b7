#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace vocena {

// Turns a CSV file that the user picked into lines and fields. The file's encoding is not
// declared anywhere, so it is guessed: UTF-16 when the file looks like it, then UTF-8,
// ISO Latin-1, Windows-1252; the first that decodes without error wins. Latin-1 accepts
// every byte sequence, so in practice any other file is read as Latin-1.
class VocabularyCsvReader {
public:
    // The file's lines, or nothing when it cannot be read in any of the encodings
    // (a missing or unreadable file included).
    static std::optional<QStringList> readLines(const QString& path);

    // Strict decoding in the order above. UTF-8 drops a leading byte-order mark. UTF-16 is
    // only tried for a file that starts with a byte-order mark (which gives the byte order) or
    // whose NUL bytes, at least one for 16 characters, are mostly at alternate positions: at
    // odd offsets is little-endian, at even offsets big-endian. It is tried first (NUL bytes
    // are valid UTF-8). An odd byte count or an unpaired surrogate fails UTF-16.
    static std::optional<QString> decode(const QByteArray& bytes);

    // Splits at every line-break character (U+000A...U+000D, U+0085, U+2028, U+2029), each
    // on its own: a CR LF pair leaves an empty line between the two.
    static QStringList splitLines(const QString& text);

    // Splits one line at commas outside double quotes. A double quote toggles the quoting and
    // is not kept ("" inside quotes adds nothing); fields are not trimmed; the result always
    // holds at least one field.
    static QStringList parseCSVLine(const QString& line);
};

}  // namespace vocena
