#pragma once

#include <QString>
#include <optional>

namespace vocena::TermClassifier {

// The category a new term is given:
// - digits with CJK ideographs or letters: "疑似项目名/型号"; digits alone: none;
// - letters without CJK ideographs: "英文术语"; letters with them: none;
// - CJK ideographs only: "疑似人名" below 4 characters, else "专业术语";
// - anything else: none.
// CJK here means U+4E00–U+9FFF; a letter is a letter or mark outside all CJK ideograph blocks.
std::optional<QString> classifyTerm(const QString& term);
// The same, when the caller already knows the term's length in user-perceived characters.
std::optional<QString> classifyTerm(const QString& term, int characterCount);

}  // namespace vocena::TermClassifier
