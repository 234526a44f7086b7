#include "Infrastructure/Speech/Models/ModelTokens.h"

#include <QFile>
#include <QRegularExpression>

namespace vocena {

namespace {
// The marker of a word's first piece in sentencepiece vocabularies ("▁THE").
constexpr char16_t kWordStart = u'\u2581';

bool isCjkIdeograph(const QString& symbol) {
    const QList<uint> scalars = symbol.toUcs4();
    return scalars.size() == 1 && ((scalars[0] >= 0x4E00 && scalars[0] <= 0x9FFF) || (scalars[0] >= 0x3400 && scalars[0] <= 0x4DBF));
}
}  // namespace

std::optional<ModelTokens> ModelTokens::read(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("无法读取 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringList symbols;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(space, Qt::SkipEmptyParts);
        if (fields.size() == 2) symbols << fields.first();
    }
    return ModelTokens(symbols);
}

ModelTokens::ModelTokens(const QStringList& symbols) {
    bool upper = false, lower = false;
    for (const QString& symbol : symbols) {
        m_symbols.insert(symbol);
        if (isCjkIdeograph(symbol)) m_hasCjk = true;
        if (symbol.startsWith(kWordStart)) m_hasWordPieces = true;
        if (symbol.startsWith(u'<') && symbol.endsWith(u'>')) continue;  // <blk>, <unk>, <sos/eos>
        for (const QChar c : symbol) {
            if (c.unicode() >= 'A' && c.unicode() <= 'Z') upper = true;
            if (c.unicode() >= 'a' && c.unicode() <= 'z') lower = true;
        }
    }
    m_latinCase = upper == lower ? LatinCase::Mixed : upper ? LatinCase::Upper : LatinCase::Lower;
}

QString ModelTokens::modelingUnit(bool hasBpeVocab) const {
    if (m_hasCjk) return hasBpeVocab && m_hasWordPieces ? QStringLiteral("cjkchar+bpe") : QStringLiteral("cjkchar");
    return hasBpeVocab ? QStringLiteral("bpe") : QString();
}

}  // namespace vocena
