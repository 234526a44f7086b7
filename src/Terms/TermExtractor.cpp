#include "Terms/TermExtractor.h"

#include "Support/TextUtils.h"

#include <QSet>

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace vocena::TermExtractor {

namespace {

char32_t scalarAt(const QString& text, qsizetype pos) {
    const QChar c = text.at(pos);
    if (c.isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(pos + 1));
    return c.unicode();
}

CharRunType typeOf(char32_t c) {
    if (isSegmentationCjkIdeograph(c)) return CharRunType::chinese;
    const uint32_t category = U_GET_GC_MASK(UChar32(c));
    if (category & (U_GC_L_MASK | U_GC_M_MASK)) return CharRunType::english;
    if (category & U_GC_ND_MASK) return CharRunType::mixed;
    return CharRunType::other;
}

// A run as a range of character indexes into the boundaries.
struct RunSpan {
    int first;
    int count;
    CharRunType type;
};

QList<RunSpan> runSpans(const QString& text, const QList<qsizetype>& bounds) {
    QList<RunSpan> runs;
    for (int i = 0; i + 1 < bounds.size(); ++i) {
        const CharRunType type = typeOf(scalarAt(text, bounds[i]));
        if (!runs.isEmpty() && runs.last().type == type)
            ++runs.last().count;
        else
            runs.append(RunSpan{i, 1, type});
    }
    return runs;
}

}  // namespace

QList<CharRun> segmentByCharType(const QString& text) {
    const QList<qsizetype> bounds = TextUtils::graphemeBoundaries(text);
    QList<CharRun> runs;
    for (const RunSpan& span : runSpans(text, bounds)) {
        const qsizetype start = bounds[span.first];
        runs.append(CharRun{text.mid(start, bounds[span.first + span.count] - start), span.type});
    }
    return runs;
}

QList<TermCandidate> extractNGrams(const QString& text) {
    const QList<qsizetype> bounds = TextUtils::graphemeBoundaries(text, kMaxCharacters);
    QList<TermCandidate> candidates;
    QSet<QString> seen;
    const auto addCandidate = [&](int first, int length) {
        const qsizetype start = bounds[first];
        QString term = text.mid(start, bounds[first + length] - start);
        if (seen.contains(term)) return;
        seen.insert(term);
        candidates.append(TermCandidate{std::move(term), length});
    };
    for (const RunSpan& run : runSpans(text, bounds)) {
        switch (run.type) {
        case CharRunType::chinese:
            for (int length = kMinLength; length <= qMin(run.count, kMaxChineseLength); ++length)
                for (int offset = 0; offset + length <= run.count; ++offset) addCandidate(run.first + offset, length);
            break;
        case CharRunType::english:
        case CharRunType::mixed:
            // A letter or digit run holds no white space, so it needs no trimming.
            if (run.count >= kMinLength) addCandidate(run.first, run.count);
            break;
        case CharRunType::other:
            break;
        }
    }
    return candidates;
}

}  // namespace vocena::TermExtractor
