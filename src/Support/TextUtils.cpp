#include "Support/TextUtils.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>

namespace vocena::TextUtils {

namespace {

icu::BreakIterator* characterIterator() {
    // BreakIterator instances are not thread-safe and costly to create: one per thread.
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) it.reset();
        return it;
    }();
    return iterator.get();
}

template <typename Pred>
QString trimmedBy(const QString& text, Pred isTrimmed) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isTrimmed(text.at(start).unicode())) ++start;
    while (end > start && isTrimmed(text.at(end - 1).unicode())) --end;
    return (start == 0 && end == text.size()) ? text : text.mid(start, end - start);
}

}  // namespace

int graphemeCount(const QString& text) {
    if (text.isEmpty()) return 0;
    icu::BreakIterator* it = characterIterator();
    if (!it) return int(text.size());
    const icu::UnicodeString alias(false, reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
    it->setText(alias);
    int count = 0;
    for (int32_t pos = it->next(); pos != icu::BreakIterator::DONE; pos = it->next()) ++count;
    return count;
}

QList<qsizetype> graphemeBoundaries(const QString& text, int maxCharacters) {
    QList<qsizetype> bounds{0};
    if (text.isEmpty() || maxCharacters == 0) return bounds;
    icu::BreakIterator* it = characterIterator();
    if (!it) {  // no ICU data: one UTF-16 unit per character
        const qsizetype n = maxCharacters < 0 ? text.size() : qMin<qsizetype>(text.size(), maxCharacters);
        for (qsizetype i = 1; i <= n; ++i) bounds << i;
        return bounds;
    }
    const icu::UnicodeString alias(false, reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
    it->setText(alias);
    for (int32_t pos = it->next(); pos != icu::BreakIterator::DONE; pos = it->next()) {
        bounds << pos;
        if (maxCharacters > 0 && bounds.size() > maxCharacters) break;
    }
    return bounds;
}

bool isWhitespaceOrNewline(char16_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    switch (QChar::category(char32_t(c))) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return true;
    default: return false;
    }
}

QString trimmed(const QString& text) { return trimmedBy(text, isWhitespaceOrNewline); }

QString trimmedSpacesAndTabs(const QString& text) {
    return trimmedBy(text, [](char16_t c) { return c == u' ' || c == u'\t'; });
}

}  // namespace vocena::TextUtils
