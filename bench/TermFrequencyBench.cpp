// Counting the terms of one 500-character Chinese text against 10,000 known terms, measured on
// the calling thread (the save after each feed runs on the tracker's own background thread).
#include "Infrastructure/Platform/Clock.h"
#include "Support/ReferenceDate.h"
#include "Terms/TermFrequencyTracker.h"
#include "Terms/TermStorage.h"
#include "Vocabulary/VocabularyStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace vocena;

namespace {

// Text drawn from 800 common ideographs, so that the known terms and the texts overlap.
QString randomChinese(QRandomGenerator& random, int length) {
    QString text;
    for (int i = 0; i < length; ++i) text += QChar(char16_t(0x4E00 + random.bounded(800)));
    return text;
}

void BM_TermFeed500Chinese10kEntries(benchmark::State& state) {
    QTemporaryDir dir;
    QRandomGenerator random(7);
    QList<QString> texts;
    for (int i = 0; i < 64; ++i) texts << randomChinese(random, 500);

    // 10,000 recent entries: the 2-grams of the texts first, then random 2- to 4-character terms.
    const double now = ReferenceDate::toSeconds(Clock::system().now());
    FrequencyStorage storage;
    QSet<QString> terms;
    for (const QString& text : texts)
        for (int i = 0; i + 2 <= text.size() && terms.size() < 5000; i += 3) terms.insert(text.mid(i, 2));
    while (terms.size() < 10000) terms.insert(randomChinese(random, 2 + random.bounded(3)));
    for (const QString& term : terms) storage.entries << TermEntry{term, 2, 0, now, now, QStringLiteral("疑似人名")};
    storage.lastPrunedAt = now;
    const QByteArray pristine = storage.encode();
    const QString frequencyPath = dir.filePath(QStringLiteral("term_frequency.json"));

    VocabularyStore vocabulary(dir.filePath(QStringLiteral("vocabulary.json")), Clock::system());
    std::unique_ptr<TermFrequencyTracker> tracker;
    int iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh tracker on the same 10,000 entries each time: counts never run out.
        tracker.reset();
        QCoreApplication::processEvents();  // the suggestions of the previous round
        {
            QFile file(frequencyPath);
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(pristine);
        }
        tracker = std::make_unique<TermFrequencyTracker>(frequencyPath, dir.filePath(QStringLiteral("suppressed.json")),
                                                         vocabulary, Clock::system());
        if (tracker->entries().size() != 10000) state.SkipWithError("the 10,000 entries did not load");
        const QString& text = texts.at(iteration++ % texts.size());
        state.ResumeTiming();
        tracker->feed(text);
    }
    tracker.reset();
}

}  // namespace

// Each round reloads 10,000 entries (untimed, ~50 ms): a fixed number of rounds keeps the run short.
BENCHMARK(BM_TermFeed500Chinese10kEntries)->Unit(benchmark::kMillisecond)->Iterations(100);
