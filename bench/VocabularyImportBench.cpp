// Importing a large vocabulary CSV into an empty store (decode, split, de-duplicate, save).
#include "Infrastructure/Platform/Clock.h"
#include "Vocabulary/VocabularyStore.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

using namespace vocena;

namespace {

// 10,000 data lines of Chinese and English terms, some with a category and variants.
QByteArray generatedCsv(int lines) {
    static const char* const chinese[] = {"澄言", "语音", "识别", "词汇", "模型", "张三", "李四", "北京", "深度", "求索", "云端", "输入"};
    static const char* const english[] = {"Vure", "Qt", "Linux", "Kernel", "Token", "Graph", "Cloud", "Stream"};
    static const char* const categories[] = {"", "人名", "公司名", "技术术语", "", "产品"};
    QString csv = QStringLiteral("词汇,说明,类别,备注,误识别\n");
    for (int i = 0; i < lines; ++i) {
        const QString zh = QString::fromUtf8(chinese[i % 12]) + QString::fromUtf8(chinese[(i / 12) % 12]);
        const QString en = QString::fromUtf8(english[i % 8]);
        const QString word = (i % 3 == 0) ? en + QString::number(i) : zh + QString::number(i);
        csv += word + QStringLiteral(",,") + QString::fromUtf8(categories[i % 6]);
        if (i % 4 == 0) csv += QStringLiteral(",,") + en.toLower() + QString::number(i) + QStringLiteral("、") + zh;
        csv += QLatin1Char('\n');
    }
    return csv.toUtf8();
}

void BM_VocabularyImport10k(benchmark::State& state) {
    QTemporaryDir dir;
    const QString csvPath = dir.filePath(QStringLiteral("words.csv"));
    {
        QFile file(csvPath);
        file.open(QIODevice::WriteOnly);
        file.write(generatedCsv(10000));
    }
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<VocabularyStore>(dir.filePath(QStringLiteral("vocabulary-%1.json").arg(run++)), Clock::system());
        state.ResumeTiming();
        const int added = store->importFromCSV(csvPath);
        benchmark::DoNotOptimize(added);
        if (added != 10000) state.SkipWithError("not every line was imported");
    }
}

}  // namespace

BENCHMARK(BM_VocabularyImport10k)->Unit(benchmark::kMillisecond);
