#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace vocena {

// An ICU regular expression, compiled once and shareable between threads. Its semantics are
// ICU's: "\s" is Unicode white space, "." stops at line terminators, "$" matches at the end
// and before a final line terminator (with AnchorsMatchLines at every line end), and
// replacement templates use "$1" for groups and "\" to escape.
class Regex {
public:
    enum Option { None = 0, CaseInsensitive = 1, AnchorsMatchLines = 2, DotMatchesLineSeparators = 4 };

    explicit Regex(const QString& pattern, int options = None);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    bool isValid() const { return m_pattern != nullptr; }
    const QString& pattern() const { return m_source; }

    bool contains(const QString& text) const;
    // The whole match and its groups (group 0 first); a group that did not take part is "".
    std::optional<QStringList> firstMatch(const QString& text) const;
    QString replaceAll(const QString& text, const QString& replacementTemplate) const;

private:
    QString m_source;
    std::unique_ptr<icu::RegexPattern> m_pattern;
};

}  // namespace vocena
