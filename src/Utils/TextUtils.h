#pragma once

#include <QString>

namespace vocena::TextUtils {

// User-perceived characters (extended grapheme clusters): "澄言" is 2, "👍🏽" is 1.
int graphemeCount(const QString& text);

// Unicode white space and line breaks: general categories Zs/Zl/Zp, U+0009...U+000D, U+0085.
bool isWhitespaceOrNewline(char16_t c);
// Trims those characters at both ends.
QString trimmed(const QString& text);
// Trims only spaces and tabs at both ends.
QString trimmedSpacesAndTabs(const QString& text);

}  // namespace vocena::TextUtils
