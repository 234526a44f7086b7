// Cutting text into candidate terms, classifying them, and the file codec.
#include "Support/CompactJson.h"
#include "Terms/TermClassifier.h"
#include "Terms/TermExtractor.h"
#include "Terms/TermStorage.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cmath>

using namespace vocena;

namespace {

QSet<QString> candidates(const QString& text) {
    QSet<QString> set;
    for (const TermCandidate& candidate : TermExtractor::extractNGrams(text)) {
        EXPECT_FALSE(set.contains(candidate.text)) << "listed twice: " << candidate.text.toStdString();
        set.insert(candidate.text);
    }
    return set;
}

using Terms = QSet<QString>;

}  // namespace

TEST(TermExtractorTest, CandidatesAreDistinctSubstringsOfTwoToSixCharacters) {
    EXPECT_EQ(candidates(QStringLiteral("的时候很好")),
              (Terms{"的时", "时候", "候很", "很好", "的时候", "时候很", "候很好", "的时候很", "时候很好", "的时候很好"}));
    EXPECT_EQ(candidates(QStringLiteral("一二三四五六七")).size(), 6 + 5 + 4 + 3 + 2);  // nothing longer than 6
    EXPECT_EQ(candidates(QStringLiteral("澄言澄言，澄言")), (Terms{"澄言", "言澄", "澄言澄", "言澄言", "澄言澄言"}));

    // Letters and digits are never joined, and single characters are never candidates.
    EXPECT_EQ(candidates(QStringLiteral("GPT4")), Terms{"GPT"});
    EXPECT_EQ(candidates(QStringLiteral("2024年度")), (Terms{"2024", "年度"}));
    EXPECT_TRUE(candidates(QStringLiteral("a 中 1 ！？…… ")).isEmpty());
    EXPECT_TRUE(candidates(QString()).isEmpty());
}

TEST(TermClassifierTest, CategoriesFollowTheCharacterMix) {
    const QList<std::pair<QString, QString>> cases{
        {"iPhone", "英文术语"}, {"15", "-"}, {"澄言", "疑似人名"}, {"张小明", "疑似人名"}, {"语音识别", "专业术语"},
        {"A1", "疑似项目名/型号"}, {"鸿蒙4", "疑似项目名/型号"}, {"Qt框架", "-"}, {"㐀㐁", "-"}, {"……", "-"}};
    for (const auto& [term, expected] : cases)
        EXPECT_EQ(TermClassifier::classifyTerm(term).value_or(QStringLiteral("-")), expected) << term.toStdString();
}

TEST(TermStorageTest, FilesAreCompactJsonWrittenAsQtWritesIt) {
    const FrequencyStorage storage{{TermEntry{QStringLiteral("Vure\"VIZ"), 3, 0, 1.5, 2, QStringLiteral("英文术语")},
                                    TermEntry{QStringLiteral("15"), 1, 1, 700000000.25, 700000000.25, std::nullopt}},
                                   800000000.5};
    const QByteArray frequencyJson =
        R"({"entries":[{"term":"Vure\"VIZ","totalCount":3,"sessionCount":0,"firstSeen":1.5,"lastSeen":2,"autoCategory":"英文术语"},)"
        R"({"term":"15","totalCount":1,"sessionCount":1,"firstSeen":700000000.25,"lastSeen":700000000.25}],"lastPrunedAt":800000000.5})";
    EXPECT_EQ(storage.encode(), frequencyJson);
    EXPECT_EQ(FrequencyStorage::decode(frequencyJson).value_or(FrequencyStorage{}).entries, storage.entries);

    const SuppressedStorage suppressed{{SuppressedEntry{QStringLiteral("求索"), 9.75}}};
    EXPECT_EQ(suppressed.encode(), QByteArray(R"({"entries":[{"term":"求索","suppressedAt":9.75}]})"));
    EXPECT_EQ(SuppressedStorage::decode(suppressed.encode())->entries, suppressed.entries);

    // The compact writer writes values exactly as Qt writes them.
    for (const QString& text : {QString(), QStringLiteral("澄言 VureVIZ 😀"), QStringLiteral("a\"b\\c\n\t\x01"),
                                QString(QChar(0xD800)) + QStringLiteral("x"), QStringLiteral("\u007f\u00e9")})
        EXPECT_EQ(CompactJsonObject::stringText(text), CompactJsonObject::valueText(text)) << text.toStdString();
    for (double number : {0.0, -0.0, 1.0, -1.5, 0.1, 1e-7, 760000000.5, 818297661.736, 1e21, 123456789012.0, 9007199254740993.0,
                          -818297661.25, std::nan(""), 1.0 / 3})
        EXPECT_EQ(CompactJsonObject::numberText(number), CompactJsonObject::valueText(number)) << number;
}
