#include "Vocabulary/HomophoneVariants.h"

#include "Support/TextUtils.h"

#include "Terms/TermExtractor.h"

#include <QStringView>

#include <algorithm>
#include <utility>

namespace vocena::HomophoneVariants {

namespace {

// Pairs of characters that speech recognition confuses; each stands for the other.
constexpr std::pair<char16_t, char16_t> kHomophones[] = {
    {u'长', u'常'}, {u'名', u'明'}, {u'中', u'终'}, {u'新', u'心'}, {u'建', u'见'}, {u'志', u'智'},
};

char16_t homophoneOf(char16_t c) {
    for (const auto& [a, b] : kHomophones) {
        if (c == a) return b;
        if (c == b) return a;
    }
    return 0;
}

}  // namespace

std::optional<QStringList> generateVariants(const QString& term) {
    const QList<uint> scalars = QStringView(term).toUcs4();
    if (std::none_of(scalars.cbegin(), scalars.cend(), [](uint c) { return TermExtractor::isBasicCjkIdeograph(c); }))
        return std::nullopt;

    QStringList variants;
    const QList<qsizetype> bounds = TextUtils::graphemeBoundaries(term);
    for (qsizetype i = 0; i + 1 < bounds.size(); ++i) {
        // Only a character that is exactly one table entry (no combining marks attached).
        if (bounds[i + 1] - bounds[i] != 1) continue;
        const char16_t replacement = homophoneOf(term.at(bounds[i]).unicode());
        if (!replacement) continue;
        QString variant = term;
        variant[bounds[i]] = QChar(replacement);
        variants << variant;
    }
    if (variants.isEmpty()) return std::nullopt;
    return variants;
}

}  // namespace vocena::HomophoneVariants
