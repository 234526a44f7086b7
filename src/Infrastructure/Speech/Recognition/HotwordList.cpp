#include "Infrastructure/Speech/Recognition/HotwordList.h"

#include "Infrastructure/Speech/Models/ModelTokens.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>

namespace vocena {

namespace {

// Accented Latin letters that the recogniser keeps inside a run of Latin letters.
const QString kJoiningLetters = QStringLiteral("äöüÄÖÜßáéíóúñÁÉÍÓÚÑàèùçâêîôûëïÀÈÙÇÂÊÎÔÛËÏ");

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAsciiPunctuation(uint c) { return c < 0x80 && c != u'\'' && std::ispunct(int(c)); }

// The pieces the recogniser cuts a word without spaces into: runs of ASCII letters, digits
// and apostrophes (and a few accented letters) stay whole; every other character, ASCII
// punctuation included, is a piece of its own.
QStringList pieces(const QString& part) {
    QStringList result;
    QString run;
    for (const uint scalar : part.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&scalar), 1);
        const bool joins = scalar < 0x80 ? !isAsciiPunctuation(scalar) : kJoiningLetters.contains(character);
        if (joins) {
            run += character;
            continue;
        }
        if (!run.isEmpty()) result << std::exchange(run, QString());
        result << character;
    }
    if (!run.isEmpty()) result << run;
    return result;
}

QString withCase(const QString& piece, ModelTokens::LatinCase latinCase) {
    switch (latinCase) {
    case ModelTokens::LatinCase::Upper: return piece.toUpper();
    case ModelTokens::LatinCase::Lower: return piece.toLower();
    case ModelTokens::LatinCase::Mixed: break;
    }
    return piece;
}

// The word as the pieces of one hotword line, or nothing when the model cannot spell it.
// Pieces of Latin letters go to the word-piece vocabulary when the unit has one (the library
// encodes them; tokens.txt cannot tell whether they fit); every other piece must be a symbol.
// ":" starts a boost and "/" separates hotwords in the library's syntax: never inside a word.
std::optional<QStringList> encode(const QString& word, const ModelTokens& tokens, const QString& unit) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    if (unit.isEmpty() || word.contains(u':') || word.contains(u'/')) return std::nullopt;
    const bool wordPieces = unit.endsWith(QStringLiteral("bpe"));
    const bool charactersToo = unit.startsWith(QStringLiteral("cjkchar"));
    QStringList encoded;
    for (const QString& part : word.split(space, Qt::SkipEmptyParts)) {
        for (const QString& piece : charactersToo ? pieces(part) : QStringList{part}) {
            const bool latin = isAsciiLetter(piece.front());
            const QString spelled = latin ? withCase(piece, tokens.latinCase()) : piece;
            const bool fits = latin && wordPieces ? std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.unicode() < 0x80; })
                                                  : tokens.contains(spelled);
            if (!fits) return std::nullopt;
            encoded << spelled;
        }
    }
    return encoded;
}

QString formatScore(double score) {
    // The library reads the boost with the C library's strtof, which follows the process's
    // numeric locale; printf follows the same one.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", score);
    return QString::fromLatin1(buffer);
}

}  // namespace

HotwordList HotwordList::build(const QList<VocabularyItem>& items, const ModelTokens& tokens, const QString& modelingUnit,
                               double score) {
    HotwordList list;
    QSet<QString> seen;
    QStringList lines;
    const QString boost = QStringLiteral(" :") + formatScore(score);
    for (const VocabularyItem& item : items) {
        const QString word = item.word.trimmed();
        if (word.isEmpty()) continue;
        const std::optional<QStringList> encoded = encode(word, tokens, modelingUnit);
        if (!encoded || encoded->isEmpty()) {
            if (!list.skipped.contains(word)) list.skipped << word;
            continue;
        }
        const QString line = encoded->join(u' ');
        if (seen.contains(line)) continue;
        seen.insert(line);
        lines << line + boost;
        list.words << word;
    }
    if (!lines.isEmpty()) list.text = lines.join(u'\n') + u'\n';
    return list;
}

}  // namespace vocena
