#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace vocena {

// The symbols of a model's tokens.txt ("<symbol> <id>" per line) and what they say about how
// the model spells text: single Chinese characters, word pieces of a BPE vocabulary, or both.
class ModelTokens {
public:
    enum class LatinCase { Mixed, Upper, Lower };

    // Nothing (with `error`) when the file cannot be read.
    static std::optional<ModelTokens> read(const QString& path, QString* error);
    explicit ModelTokens(const QStringList& symbols = {});

    bool contains(const QString& symbol) const { return m_symbols.contains(symbol); }
    int size() const { return int(m_symbols.size()); }
    // Whether some symbol is a single CJK ideograph.
    bool hasCjkCharacters() const { return m_hasCjk; }
    // The case of the Latin letters in the symbols, when they all agree.
    LatinCase latinCase() const { return m_latinCase; }

    // The modelling unit in which sherpa-onnx encodes hotwords for this model: "cjkchar",
    // "cjkchar+bpe" (needs the model's bpe.vocab) or "bpe" (likewise); empty when none fits.
    QString modelingUnit(bool hasBpeVocab) const;

private:
    QSet<QString> m_symbols;
    bool m_hasCjk = false;
    bool m_hasWordPieces = false;
    LatinCase m_latinCase = LatinCase::Mixed;
};

}  // namespace vocena
