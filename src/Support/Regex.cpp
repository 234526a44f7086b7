#include "Support/Regex.h"

#include <unicode/regex.h>

namespace vocena {

namespace {

icu::UnicodeString alias(const QString& text) {
    return icu::UnicodeString(false, reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
}

QString toQString(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

}  // namespace

Regex::Regex(const QString& pattern, int options) : m_source(pattern) {
    uint32_t flags = 0;
    if (options & CaseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
    if (options & AnchorsMatchLines) flags |= UREGEX_MULTILINE;
    if (options & DotMatchesLineSeparators) flags |= UREGEX_DOTALL;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    m_pattern.reset(icu::RegexPattern::compile(alias(m_source), flags, parseError, status));
    if (U_FAILURE(status)) m_pattern.reset();
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::contains(const QString& text) const {
    if (!m_pattern) return false;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = alias(text);
    std::unique_ptr<icu::RegexMatcher> matcher(m_pattern->matcher(input, status));
    return U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status);
}

std::optional<QStringList> Regex::firstMatch(const QString& text) const {
    if (!m_pattern) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = alias(text);
    std::unique_ptr<icu::RegexMatcher> matcher(m_pattern->matcher(input, status));
    if (U_FAILURE(status) || !matcher->find(status) || U_FAILURE(status)) return std::nullopt;
    QStringList groups;
    for (int32_t g = 0; g <= matcher->groupCount(); ++g) {
        const int32_t start = matcher->start(g, status);
        groups << (start < 0 ? QString() : toQString(matcher->group(g, status)));
    }
    return groups;
}

QString Regex::replaceAll(const QString& text, const QString& replacementTemplate) const {
    if (!m_pattern) return text;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = alias(text);
    std::unique_ptr<icu::RegexMatcher> matcher(m_pattern->matcher(input, status));
    if (U_FAILURE(status)) return text;
    const icu::UnicodeString result = matcher->replaceAll(alias(replacementTemplate), status);
    return U_FAILURE(status) ? text : toQString(result);
}

}  // namespace vocena
