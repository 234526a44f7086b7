#pragma once

#include "Vocabulary/VocabularyItem.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vocena {

class ModelTokens;

// The user's vocabulary as the hotwords of a transducer model: one line per word, the word cut
// into the pieces the recogniser splits it into (Chinese characters one by one, runs of Latin
// letters and digits whole), each piece a symbol of the model, then the boost (":1.5"). Beam
// search adds the boost for every piece of a word it follows, so a word the user wants counts
// for more than an ordinary sequence of characters that sounds the same.
//
// Only the correct forms go in: the variants of an item are ways the word gets misheard, and
// boosting them would make those mistakes likelier. A word the model cannot spell (a character
// missing from its tokens, Latin letters without a word-piece vocabulary) is left out and
// listed in `skipped`, never passed on half-spelled. Duplicates appear once.
class HotwordList {
public:
    // `modelingUnit` as ModelTokens::modelingUnit gives it; nothing is encoded without one.
    static HotwordList build(const QList<VocabularyItem>& items, const ModelTokens& tokens, const QString& modelingUnit,
                             double score);

    QString text;         // the hotwords, one per line; empty when there are none
    QStringList words;    // the words in `text`, in vocabulary order
    QStringList skipped;  // the words the model cannot spell
};

}  // namespace vocena
