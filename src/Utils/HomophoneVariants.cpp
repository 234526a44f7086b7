#include "Utils/HomophoneVariants.h"

#include "Utils/TextUtils.h"

#include "Utils/TermExtractor.h"

#include <QStringView>

#include <algorithm>

namespace vocena::HomophoneVariants {

namespace {

char16_t homophoneOf(char16_t c) {
    switch (c) {
    case u'长': return u'常';
    case u'常': return u'长';
    case u'名': return u'明';
    case u'明': return u'名';
    case u'中': return u'终';
    case u'终': return u'中';
    case u'新': return u'心';
    case u'心': return u'新';
    case u'建': return u'见';
    case u'见': return u'建';
    case u'志': return u'智';
    case u'智': return u'志';
    default: return 0;
    }
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
