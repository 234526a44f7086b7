// The text steps between the model and the keyboard: cleaning a model reply and recognising
// spoken commands.
#include "Core/OutputCleaner.h"
#include "VoiceCommands/VoiceCommandDetector.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

// About 10 KB of UTF-8: a chatty reply with a preamble, lists, fillers and sequence words.
QString modelReply() {
    const QString paragraph = QStringLiteral(
        "首先，我们需要确认会议的时间和地点，嗯，大概是下周三下午三点。其次，参会人员包括产品、研发和测试三个团队……"
        "另外，预算方面需要财务部门确认——具体数字稍后补充。所以请大家提前准备好材料，对吧？\n");
    QString text = QStringLiteral("好的，以下是整理后的内容：\n");
    while (text.toUtf8().size() < 10 * 1024) text += QStringLiteral("- ") + paragraph;
    return text + QStringLiteral("以上就是全部内容。");
}

void BM_RemoveMarkdownFormatting10KB(benchmark::State& state) {
    const QString reply = modelReply();
    for (auto _ : state) benchmark::DoNotOptimize(vocena::removeMarkdownFormatting(reply));
    state.SetBytesProcessed(state.iterations() * reply.toUtf8().size());
}
BENCHMARK(BM_RemoveMarkdownFormatting10KB)->Unit(benchmark::kMillisecond);

void BM_DetectCommand(benchmark::State& state) {
    const QStringList transcripts{QStringLiteral("今天下午三点在三楼会议室开会，请大家准时参加。"), QStringLiteral("请改成正式一点吧"),
                                  QStringLiteral("删除最后十二个字"), QStringLiteral("嗯撤销"), QStringLiteral("精简一下内容")};
    const vocena::VoiceCommandDetector detector;
    qsizetype i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(detector.detect(transcripts[i++ % transcripts.size()]));
}
BENCHMARK(BM_DetectCommand)->Unit(benchmark::kMicrosecond);

}  // namespace
