#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vocena::HomophoneVariants {

// Likely mis-recognitions of a Chinese term: for each character, from first to last, that has
// a common homophone (长/常, 名/明, 中/终, 新/心, 建/见, 志/智), the term with only that
// character swapped. Nothing when the term has no CJK ideograph (U+4E00–U+9FFF) or no such
// character. 明志中心 gives 名志中心, 明智中心, 明志终心, 明志中新.
std::optional<QStringList> generateVariants(const QString& term);

}  // namespace vocena::HomophoneVariants
