#include "Terms/TermClassifier.h"

#include "Terms/TermExtractor.h"
#include "Support/TextUtils.h"

#include <QStringView>

#include <unicode/uchar.h>

namespace vocena::TermClassifier {

std::optional<QString> classifyTerm(const QString& term) {
    return classifyTerm(term, TextUtils::graphemeCount(term));
}

std::optional<QString> classifyTerm(const QString& term, int characterCount) {
    bool hasCjk = false;
    bool hasLetter = false;
    bool hasDigit = false;
    for (const uint c : QStringView(term).toUcs4()) {
        const uint32_t category = U_GET_GC_MASK(UChar32(c));
        if (TermExtractor::isBasicCjkIdeograph(c)) hasCjk = true;
        if ((category & (U_GC_L_MASK | U_GC_M_MASK)) && !TermExtractor::isSegmentationCjkIdeograph(c)) hasLetter = true;
        if (category & U_GC_ND_MASK) hasDigit = true;
    }
    if (hasDigit) {
        if (hasCjk || hasLetter) return QStringLiteral("疑似项目名/型号");
        return std::nullopt;
    }
    if (hasLetter) {
        if (!hasCjk) return QStringLiteral("英文术语");
        return std::nullopt;
    }
    if (hasCjk) return characterCount < 4 ? QStringLiteral("疑似人名") : QStringLiteral("专业术语");
    return std::nullopt;
}

}  // namespace vocena::TermClassifier
