// What hotwords cost: decoding with the generated transducer greedily, with beam search alone
// and with beam search and 100 hotwords; and building the hotword text of a 1,000-word
// vocabulary against a token table the size of a real Chinese model's, as every recording does.
#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Models/ModelTokens.h"
#include "Infrastructure/Speech/Recognition/SherpaRecognizer.h"
#include "support/BurstAudio.h"
#include "support/GeneratedVocabulary.h"
#include "support/TransducerTestModel.h"

#include <benchmark/benchmark.h>

using namespace vocena;

namespace {

enum Decoding { Greedy, Beam, BeamWithHotwords };

// The hundred words of 你/好/泥 the generated model can spell (three and four characters).
QList<VocabularyItem> spellableWords() {
    const QString characters = QStringLiteral("你好泥");
    QList<VocabularyItem> words;
    for (int i = 0; words.size() < 100; ++i) {
        QString word;
        for (int n = i + 27; n > 0; n /= 3) word += characters[n % 3];
        words << VocabularyItem{QUuid::createUuid(), word, std::nullopt, std::nullopt, 0};
    }
    return words;
}

void BM_TransducerDecode(benchmark::State& state) {
    const auto decoding = Decoding(state.range(0));
    const auto& model = test::TransducerTestModel::shared();
    if (!model.error.isEmpty()) return state.SkipWithError(qPrintable(model.error));
    QString error;
    const auto recognizer = SherpaRecognizer::create(model.model(), {.hotwords = decoding != Greedy}, &error);
    if (!recognizer) return state.SkipWithError(qPrintable(error));
    const std::vector<float> audio = test::burstAudio(20);  // 6.2 s
    const SherpaRecognizer::Hotwords hotwords{decoding == BeamWithHotwords ? spellableWords() : QList<VocabularyItem>{}, 1.5};
    for (auto _ : state) {
        recognizer->beginStream(&error, hotwords);
        recognizer->acceptAudio(audio.data(), int(audio.size()), &error);
        recognizer->finishInput(&error);
        recognizer->decode(&error);
        benchmark::DoNotOptimize(recognizer->text(&error));
    }
    state.SetLabel(decoding == Greedy ? "greedy" : decoding == Beam ? "beam" : "beam+100 hotwords");
}

void BM_HotwordList1000Words(benchmark::State& state) {
    QStringList symbols{QStringLiteral("<blk>")};
    for (char32_t c = 0x4E00; c < 0x4E00 + 6000; ++c) symbols << QString::fromUcs4(&c, 1);
    for (int digit = 0; digit < 10; ++digit) symbols << QString::number(digit);
    const ModelTokens tokens(symbols);
    const QList<VocabularyItem> vocabulary = test::generatedVocabulary(1000);
    for (auto _ : state) benchmark::DoNotOptimize(HotwordList::build(vocabulary, tokens, QStringLiteral("cjkchar"), 1.5));
}

}  // namespace

BENCHMARK(BM_TransducerDecode)->Arg(Greedy)->Arg(Beam)->Arg(BeamWithHotwords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HotwordList1000Words)->Unit(benchmark::kMillisecond);
