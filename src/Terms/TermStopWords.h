#pragma once

#include <QString>

namespace vocena::TermStopWords {

// Whether the term is one of the 99 common words (的, 可以, 为什么, 就是说, …) that are never
// counted as candidate terms.
bool contains(const QString& term);

}  // namespace vocena::TermStopWords
