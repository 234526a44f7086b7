// The hotword text built from a vocabulary, and what a model's files say about how to spell it.
#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Recognition/HotwordSupport.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace vocena;

namespace {

// A Chinese character model with a few whole Latin tokens; a mixed model whose Latin is spelled
// in upper-case word pieces; an English word-piece model.
const ModelTokens kCharacters({"<blk>", "<unk>", "明", "志", "中", "心", "泥", "好", "Qt", "3D", "+"});
const ModelTokens kMixed({"<blk>", "<unk>", "明", "志", "中", "心", "\u2581VURE", "VIZ"});
const ModelTokens kEnglish({"<blk>", "\u2581HELLO", "\u2581WORLD"});

VocabularyItem item(const QString& word, std::optional<QStringList> variants = std::nullopt) {
    return {QUuid::createUuid(), word, std::move(variants), std::nullopt, 0};
}

struct Case {
    const char* name;
    const ModelTokens& tokens;
    const char* unit;
    QList<VocabularyItem> vocabulary;
    QString text;
    QStringList skipped;
};

class HotwordListTest : public ::testing::TestWithParam<Case> {};

TEST_P(HotwordListTest, Builds) {
    const Case& c = GetParam();
    const HotwordList list = HotwordList::build(c.vocabulary, c.tokens, QString::fromLatin1(c.unit), 1.5);
    EXPECT_EQ(list.text, c.text);
    EXPECT_EQ(list.skipped, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Vocabularies, HotwordListTest,
    ::testing::Values(
        Case{"ChineseWordsOnceWithoutTheirVariants", kCharacters, "cjkchar",
             {item("明志中心", QStringList{"名志中心"}), item("泥好"), item(" 泥好\t"), item("  ")}, "明 志 中 心 :1.5\n泥 好 :1.5\n", {}},
        Case{"EmptyVocabulary", kCharacters, "cjkchar", {}, "", {}},
        // Half a word would boost the wrong characters; ":" and "/" are the library's syntax.
        Case{"UnspellableWordsSkippedWhole", kCharacters, "cjkchar",
             {item("明天"), item(":2.0"), item("明/志"), item("泥好 :3"), item("Qt-中心"), item("泥好"), item("明天")},
             "泥 好 :1.5\n", {"明天", ":2.0", "明/志", "泥好 :3", "Qt-中心"}},
        Case{"LatinRunsAreWholeTokensWithoutWordPieces", kCharacters, "cjkchar",
             {item("Qt中心"), item("3D明志"), item("Qt+中心"), item("VureVIZ"), item("qt中心")},
             "Qt 中 心 :1.5\n3D 明 志 :1.5\nQt + 中 心 :1.5\n", {"VureVIZ", "qt中心"}},
        Case{"LatinAsWordPiecesInTheModelsCase", kMixed, "cjkchar+bpe",
             {item("VureVIZ中心"), item("VS  Code"), item("don't"), item("Vure泥")},
             "VUREVIZ 中 心 :1.5\nVS CODE :1.5\nDON'T :1.5\n", {"Vure泥"}},
        Case{"EnglishModel", kEnglish, "bpe", {item("hello world"), item("你好")}, "HELLO WORLD :1.5\n", {"你好"}},
        Case{"NoUnitNoHotwords", kCharacters, "", {item("泥好")}, "", {"泥好"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ModelTokensTest, ChoosesTheModellingUnit) {
    EXPECT_EQ(kCharacters.modelingUnit(true), "cjkchar") << "no word pieces to encode with";
    EXPECT_EQ(kMixed.modelingUnit(true), "cjkchar+bpe");
    EXPECT_EQ(kMixed.modelingUnit(false), "cjkchar");
    EXPECT_EQ(kEnglish.modelingUnit(true), "bpe");
    EXPECT_EQ(kEnglish.modelingUnit(false), "");
}

TEST(HotwordSupportTest, OnlyTransducersTakeHotwordsWithTheirBpeVocabulary) {
    QTemporaryDir dir;
    for (const char* file : {"encoder.onnx", "decoder.onnx", "joiner.onnx"}) ASSERT_TRUE(test::writeFile(dir.filePath(file), "x"));
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), "<blk> 0\n明 1\nbroken line\n\xe2\x96\x81HI 2\n"));
    auto detect = [&dir] { return SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, nullptr).value(); };
    EXPECT_EQ(HotwordSupport::forModel(detect()).modelingUnit, "cjkchar");

    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "\xe2\x96\x81HI\t-1.0\n"));
    SpeechModel model = detect();
    EXPECT_EQ(model.files.value(SpeechModel::kBpeVocabRole), "bpe.vocab") << "installed with the model";
    EXPECT_EQ(HotwordSupport::forModel(model).modelingUnit, "cjkchar+bpe");

    model.type = SpeechModelType::Zipformer2Ctc;
    EXPECT_EQ(HotwordSupport::forModel(model).reason, "zipformer2-ctc 模型不支持热词，只有 transducer 模型支持");
}

}  // namespace
