#include "Infrastructure/Platform/Clock.h"
#include "Vocabulary/VocabularyCsvReader.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/GeneratedVocabulary.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QStringEncoder>
#include <QTemporaryDir>

using namespace vocena;
using test::described;

namespace {

QStringList parse(const char* line) { return VocabularyCsvReader::parseCSVLine(QString::fromUtf8(line)); }

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding, bool mark = false) {
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

class VocabularyCsvTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    VocabularyStore store{dir.filePath(QStringLiteral("vocabulary.json")), Clock::system()};

    QString csv(const QByteArray& data) {
        const QString path = dir.filePath(QStringLiteral("words.csv"));
        EXPECT_TRUE(test::writeFile(path, data));
        return path;
    }
};

}  // namespace

TEST(VocabularyCsvReaderTest, SplitsLinesAndFieldsAndRecognisesTheEncodingFromTheBytes) {
    EXPECT_EQ(VocabularyCsvReader::splitLines(QStringLiteral("a\r\nb\u000b3\u00854\u20285\u20296\n")),
              (QStringList{"a", "", "b", "3", "4", "5", "6", ""}));
    EXPECT_EQ(parse("a, b ,"), (QStringList{"a", " b ", ""}));
    EXPECT_EQ(parse(R"("a""b,c",d)"), (QStringList{"ab,c", "d"}));  // "" adds nothing and keeps quoting
    EXPECT_EQ(parse(R"("open,to the end)"), QStringList{"open,to the end"});

    // The encoding is recognised from the bytes.
    const QString text = QStringLiteral("词汇,类别\n澄言,,产品\n");
    const QList<std::tuple<const char*, QByteArray, QString>> cases{
        {"UTF-8, the mark dropped", "\xEF\xBB\xBF" + text.toUtf8(), text},
        {"UTF-16LE with a mark", utf16(text, QStringConverter::Utf16LE, true), text},
        {"UTF-16LE without a mark: NULs at odd offsets", utf16(text, QStringConverter::Utf16LE), text},
        {"UTF-16BE without a mark: NULs at even offsets", utf16(text, QStringConverter::Utf16BE), text},
        {"ASCII UTF-16LE, which would also be valid UTF-8", utf16(QStringLiteral("a,b\n"), QStringConverter::Utf16LE),
         QStringLiteral("a,b\n")},
        // A stray NUL in UTF-8 does not make it UTF-16.
        {"UTF-8 with one NUL", text.repeated(3).toUtf8() + QByteArray(1, '\0'), text.repeated(3) + QChar(0)},
        // Without a mark or NULs, bytes that are not UTF-8 are Latin-1, whatever their length.
        {"GBK of an even length", "\xD5\xC5\xC8\xFD,\xC8\xCB", QString::fromLatin1("\xD5\xC5\xC8\xFD,\xC8\xCB")},
    };
    for (const auto& [name, bytes, expected] : cases) EXPECT_EQ(VocabularyCsvReader::decode(bytes), expected) << name;
}

// Words already present, in the vocabulary or earlier in the file, are skipped (case matters); a
// quoted word with a comma is CliTest's (`vocena vocab import`).
TEST_F(VocabularyCsvTest, ImportsWordCategoryAndVariantsColumnsInOneSave) {
    store.add(QStringLiteral("澄言"));
    test::LogCapture log;
    const int added = store.importFromCSV(csv("词汇,备注,类别,备注,误识别\n"
                                              "  张三\t,,  人名 ,, \n"
                                              "只有两列,说明\n"
                                              "分隔,,,,、、\n"
                                              "空片段,,,, a 、 、b、\n"
                                              "\n"
                                              "   \t\n"
                                              ",没有词,类别\n"
                                              "澄言,,产品\nQt,,框架\nQt,,另一个\nqt\n"));
    EXPECT_EQ(added, 6);
    EXPECT_EQ(described(store.items()), (QStringList{"澄言|-|-", "张三|人名|-", "只有两列|-|-", "分隔|-|", "空片段|-|a;;b", "Qt|框架|-", "qt|-|-"}));
    EXPECT_EQ(log.lines().filter(QStringLiteral("词汇库已保存")), QStringList{QStringLiteral("[VocabularyStore] 词汇库已保存: 7 条")});
    EXPECT_EQ(VocabularyStore(store.filePath(), Clock::system()).items(), store.items());
}
