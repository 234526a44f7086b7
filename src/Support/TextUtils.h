#pragma once

#include <QList>
#include <QString>

namespace vocena::TextUtils {

// User-perceived characters (extended grapheme clusters): "澄言" is 2, "👍🏽" is 1.
int graphemeCount(const QString& text);
// The UTF-16 offsets at which the characters start, and the end: {0, ..., text.size()} for a
// whole text; with maxCharacters >= 0 only the first maxCharacters characters are bounded.
QList<qsizetype> graphemeBoundaries(const QString& text, int maxCharacters = -1);

// Unicode white space and line breaks: general categories Zs/Zl/Zp, U+0009...U+000D, U+0085.
bool isWhitespaceOrNewline(char16_t c);
// Trims those characters at both ends.
QString trimmed(const QString& text);
// Trims only spaces and tabs at both ends.
QString trimmedSpacesAndTabs(const QString& text);

}  // namespace vocena::TextUtils
