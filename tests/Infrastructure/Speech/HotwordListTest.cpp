// The hotword text built from a vocabulary, and what a model's tokens say about how to spell it.
#include "Infrastructure/Speech/HotwordList.h"
#include "Infrastructure/Speech/HotwordSupport.h"
#include "Infrastructure/Speech/ModelTokens.h"
#include "Infrastructure/Speech/SpeechModelDetector.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vocena;

namespace {

// A Chinese character model with two whole Latin tokens, and a mixed model whose Latin is
// spelled in upper-case word pieces.
const ModelTokens kCharacters({"<blk>", "<unk>", "明", "志", "中", "心", "泥", "好", "Qt", "3D", "+"});
const ModelTokens kMixed({"<blk>", "<unk>", "明", "志", "中", "心", "\u2581VURE", "VIZ", "\u2581CODE"});
const ModelTokens kEnglish({"<blk>", "<unk>", "\u2581HELLO", "\u2581WORLD"});

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
        Case{"Chinese", kCharacters, "cjkchar", {item("明志中心"), item("泥好")}, "明 志 中 心 :1.5\n泥 好 :1.5\n", {}},
        Case{"VariantsAreNeverHotwords", kCharacters, "cjkchar", {item("明志中心", QStringList{"名志中心", "泥好"})},
             "明 志 中 心 :1.5\n", {}},
        Case{"DuplicatesOnce", kCharacters, "cjkchar", {item("泥好"), item(" 泥好\t"), item("泥好")}, "泥 好 :1.5\n", {}},
        Case{"EmptyVocabulary", kCharacters, "cjkchar", {}, "", {}},
        Case{"BlankWordsIgnored", kCharacters, "cjkchar", {item("  "), item("")}, "", {}},
        Case{"MissingCharacterSkipsTheWholeWord", kCharacters, "cjkchar", {item("明天"), item("泥好"), item("明天")},
             "泥 好 :1.5\n", {"明天"}},
        Case{"LatinRunsAreWholeTokensWithoutWordPieces", kCharacters, "cjkchar",
             {item("Qt中心"), item("3D明志"), item("VureVIZ"), item("qt中心")}, "Qt 中 心 :1.5\n3D 明 志 :1.5\n",
             {"VureVIZ", "qt中心"}},
        Case{"PunctuationIsAPieceOfItsOwn", kCharacters, "cjkchar", {item("Qt+中心"), item("Qt-中心")},
             "Qt + 中 心 :1.5\n", {"Qt-中心"}},
        Case{"WordPiecesInTheModelsCase", kMixed, "cjkchar+bpe", {item("VureVIZ中心"), item("VS  Code"), item("don't")},
             "VUREVIZ 中 心 :1.5\nVS CODE :1.5\nDON'T :1.5\n", {}},
        Case{"CharactersStillChecked", kMixed, "cjkchar+bpe", {item("Vure泥")}, "", {"Vure泥"}},
        Case{"LibrarySyntaxNeverInsideAWord", kCharacters, "cjkchar", {item(":2.0"), item("明/志"), item("泥好 :3")}, "",
             {":2.0", "明/志", "泥好 :3"}},
        Case{"EnglishModel", kEnglish, "bpe", {item("hello world"), item("你好")}, "HELLO WORLD :1.5\n", {"你好"}},
        Case{"NoUnitNoHotwords", kCharacters, "", {item("泥好")}, "", {"泥好"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(HotwordListScore, IsWrittenAfterEveryWord) {
    EXPECT_EQ(HotwordList::build({item("泥好"), item("明志")}, kCharacters, "cjkchar", 2).text, "泥 好 :2\n明 志 :2\n");
}

TEST(ModelTokensTest, ChoosesTheModellingUnit) {
    struct Row {
        const ModelTokens& tokens;
        bool bpeVocab;
        QString unit;
    };
    for (const Row& row : {Row{kCharacters, false, "cjkchar"}, Row{kCharacters, true, "cjkchar"}, Row{kMixed, true, "cjkchar+bpe"},
                           Row{kMixed, false, "cjkchar"}, Row{kEnglish, true, "bpe"}, Row{kEnglish, false, ""}})
        EXPECT_EQ(row.tokens.modelingUnit(row.bpeVocab), row.unit) << row.unit.toStdString() << " " << row.bpeVocab;
    EXPECT_EQ(kMixed.latinCase(), ModelTokens::LatinCase::Upper) << "<blk> and <unk> do not count";
    EXPECT_EQ(kCharacters.latinCase(), ModelTokens::LatinCase::Mixed);
}

TEST(ModelTokensTest, ReadsSymbolsAndSkipsMalformedLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tokens.txt");
    ASSERT_TRUE(test::writeFile(path, "<blk> 0\n明 1\n\nbroken\n志 2 extra\n\xe2\x96\x81HI 3\n"));
    QString error;
    const auto tokens = ModelTokens::read(path, &error);
    ASSERT_TRUE(tokens);
    EXPECT_EQ(tokens->size(), 3);
    EXPECT_TRUE(tokens->contains("明"));
    EXPECT_FALSE(tokens->contains("志"));
    EXPECT_EQ(tokens->modelingUnit(true), "cjkchar+bpe");
    EXPECT_FALSE(ModelTokens::read(dir.filePath("missing.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(HotwordSupportTest, OnlyTransducersAndTheirBpeVocabulary) {
    QTemporaryDir dir;
    for (const char* file : {"encoder.onnx", "decoder.onnx", "joiner.onnx"}) ASSERT_TRUE(test::writeFile(dir.filePath(file), "x"));
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), "<blk> 0\n明 1\n\xe2\x96\x81HI 2\n"));
    QString error;
    auto model = SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, &error);
    ASSERT_TRUE(model) << error.toStdString();
    EXPECT_EQ(HotwordSupport::forModel(*model).modelingUnit, "cjkchar") << "no bpe.vocab: Latin words cannot be encoded";

    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "\xe2\x96\x81HI\t-1.0\n"));
    model = SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, &error);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->files.value(SpeechModel::kBpeVocabRole), "bpe.vocab") << "installed with the model";
    const HotwordSupport support = HotwordSupport::forModel(*model);
    EXPECT_EQ(support.modelingUnit, "cjkchar+bpe");
    EXPECT_EQ(support.bpeVocab, dir.filePath("bpe.vocab"));

    model->type = SpeechModelType::Zipformer2Ctc;
    EXPECT_FALSE(HotwordSupport::forModel(*model).isSupported());
    EXPECT_EQ(HotwordSupport::forModel(*model).reason, "zipformer2-ctc 模型不支持热词，只有 transducer 模型支持");
}

}  // namespace
