// Filtering the vocabulary card's list of 10,000 items as the user types in its search field.
#include "UI/Settings/VocabularyListModel.h"
#include "support/GeneratedVocabulary.h"

#include <benchmark/benchmark.h>

using namespace vocena;

namespace {

void BM_VocabularyFilter10k(benchmark::State& state) {
    VocabularyListModel model;
    model.setItems(test::generatedVocabulary(10000));
    // Typing "term99" letter by letter, then clearing the field; a category search at the end.
    const QStringList searches = {QStringLiteral("t"), QStringLiteral("te"), QStringLiteral("ter"), QStringLiteral("term"),
                                  QStringLiteral("term9"), QStringLiteral("term99"), QString(), QStringLiteral("公司名")};
    qsizetype search = 0;
    for (auto _ : state) {
        model.setSearchText(searches.at(search++ % searches.size()));
        benchmark::DoNotOptimize(model.rowCount());
    }
}

}  // namespace

BENCHMARK(BM_VocabularyFilter10k)->Unit(benchmark::kMillisecond);
