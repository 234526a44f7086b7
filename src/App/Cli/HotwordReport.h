#pragma once

#include "Infrastructure/Speech/Models/SpeechModel.h"
#include "Vocabulary/VocabularyItem.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace vocena {

// What `vocena doctor` says about hotwords: whether the active model takes the vocabulary as
// hotwords, how many of its words and with which score, and which words it cannot spell.
namespace HotwordReport {

QStringList lines(const std::optional<SpeechModel>& model, const QList<VocabularyItem>& vocabulary, double score);

}  // namespace HotwordReport
}  // namespace vocena
