// How a dictation is cut into segments for the final pass, and how the segments' texts become
// the final text without ever losing a word the streaming model heard.
#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/FinalTextAssembly.h"
#include "Infrastructure/Speech/Recognition/SpeechSegmenter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vocena;

namespace {

constexpr int kSlice = AudioSource::kSampleRate / 10;  // 0.1 s, as the decoding thread feeds

// Feeds `seconds` of a tone (or silence) in slices, the text growing by `word` after each
// slice of tone; returns the segments cut.
std::vector<SpeechSegmenter::Segment> feed(SpeechSegmenter& segmenter, QString& text, double seconds, float amplitude,
                                           const QString& word = QStringLiteral("你")) {
    std::vector<SpeechSegmenter::Segment> cut;
    std::vector<float> slice(kSlice);
    for (int n = 0; n < int(std::lround(seconds * 10)); ++n) {
        for (int i = 0; i < kSlice; ++i) slice[size_t(i)] = amplitude * float(std::sin(2 * M_PI * 440.0 * i / AudioSource::kSampleRate));
        if (amplitude > 0) text += word;
        if (auto segment = segmenter.advance(slice.data(), kSlice, text)) cut.push_back(std::move(*segment));
    }
    return cut;
}

double seconds(const SpeechSegmenter::Segment& segment) { return double(segment.samples.size()) / AudioSource::kSampleRate; }

}  // namespace

// A pause after words cuts inside it; words without a pause are cut before the segment gets
// long, at its quietest stretch; silence without words is never a segment and is trimmed.
TEST(FinalPassTest, SegmentsAreCutAtPausesAndNeverGrowLong) {
    SpeechSegmenter segmenter;
    QString text;
    EXPECT_TRUE(feed(segmenter, text, 5.0, 0.0f).empty()) << "silence is no segment";
    EXPECT_TRUE(feed(segmenter, text, 1.0, 0.3f).empty());
    std::vector<SpeechSegmenter::Segment> cut = feed(segmenter, text, 1.0, 0.0f);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].index, 0);
    EXPECT_EQ(cut[0].streamingText, QString(10, u'你'));
    // The trimmed silence before it left its last second; the cut went into the pause.
    EXPECT_GT(seconds(cut[0]), 2.0);
    EXPECT_LT(seconds(cut[0]), 2.0 + PauseCutter::kPauseSeconds);

    // 20 s without a pause, but for a quieter stretch at 12.5 s.
    ASSERT_TRUE(feed(segmenter, text, 12.5, 0.3f, QStringLiteral("好")).empty());
    feed(segmenter, text, 0.1, 0.05f, QStringLiteral("好"));
    cut = feed(segmenter, text, 7.4, 0.3f, QStringLiteral("好"));
    ASSERT_EQ(cut.size(), 1u);
    const double start = 1.0 - 0.5;  // what was left of the pause after the first cut, about
    EXPECT_NEAR(seconds(cut[0]), start + 12.55, 0.5);

    const SpeechSegmenter::Segment last = segmenter.finish(text);
    EXPECT_EQ(last.index, 2);
    EXPECT_EQ(cut[0].streamingText + last.streamingText, QString(200, u'好'));
    EXPECT_TRUE(segmenter.consistent());

    // Where the streaming model rewrote words of a segment already cut, the segments no longer
    // split its text.
    SpeechSegmenter rewritten;
    QString words;
    feed(rewritten, words, 1.0, 0.3f);
    ASSERT_EQ(feed(rewritten, words, 1.0, 0.0f).size(), 1u);
    EXPECT_EQ(rewritten.finish(QStringLiteral("您们好")).streamingText, QStringLiteral("您们好"));
    EXPECT_FALSE(rewritten.consistent());
}

TEST(FinalPassTest, TheFinalTextKeepsTheStreamingWordsWhereverTheFinalPassFails) {
    // The streaming text and the final pass's result (none: still pending).
    using Segment = std::pair<QString, std::optional<std::optional<QString>>>;
    // name, the segments, whether they split the streaming text, the streaming text, the final
    // text, whether it is all the final pass's
    const QList<std::tuple<const char*, std::vector<Segment>, bool, QString, QString, bool>> cases{
        {"every segment from the final pass", {{"你好", QString("您好")}, {"hello", QString("Hello")}, {"world", QString("there")}}, true,
         "你好helloworld", "您好Hello there", true},
        {"one failed", {{"你好", QString("您好")}, {"再见", std::optional<QString>()}}, true, "你好再见", "您好再见", false},
        {"one heard nothing where the streaming model heard words", {{"你好", QString()}, {"", QString()}}, true, "你好", "你好", false},
        {"one still pending when the wait ended", {{"你好", QString("您好")}, {"再见", std::nullopt}}, true, "你好再见", "您好再见", false},
        {"the streaming model rewrote its words", {{"你好", QString("您好")}, {"见", std::optional<QString>()}}, false, "你们好再见",
         "你们好再见", false},
    };
    for (const auto& [name, segments, consistent, streamingText, expected, allFromFinalPass] : cases) {
        SCOPED_TRACE(name);
        FinalTextAssembly assembly;
        for (int i = 0; i < int(segments.size()); ++i) {
            const auto& [streaming, result] = segments[size_t(i)];
            assembly.addSegment(i, streaming);
            if (result) assembly.setResult(i, *result, QStringLiteral("模型出错"));
        }
        assembly.finishStreaming(streamingText, consistent);
        EXPECT_EQ(assembly.text(), expected);
        EXPECT_EQ(assembly.allFromFinalPass(), allFromFinalPass);
    }
}
