#include "Infrastructure/Platform/Clock.h"
#include "Utils/VocabularyCsvReader.h"
#include "Utils/VocabularyStore.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class VocabularyCsvTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    VocabularyStore store{dir.filePath(QStringLiteral("vocabulary.json")), Clock::system()};

    QString writeCsv(const QByteArray& data, const QString& name = QStringLiteral("words.csv")) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
        return path;
    }
    QString writeCsv(const QString& text, const QString& name = QStringLiteral("words.csv")) { return writeCsv(text.toUtf8(), name); }
};

QStringList parse(const char* line) { return VocabularyCsvReader::parseCSVLine(QString::fromUtf8(line)); }

// "word|category|variant;variant", with "-" for an absent category or variant list.
QStringList described(const QList<VocabularyItem>& items) {
    QStringList lines;
    for (const VocabularyItem& item : items)
        lines << item.word + u'|' + item.category.value_or(QStringLiteral("-")) + u'|' +
                     (item.variants ? item.variants->join(u';') : QStringLiteral("-"));
    return lines;
}

}  // namespace

TEST(VocabularyCsvReaderTest, SplitsLinesAndFields) {
    EXPECT_EQ(VocabularyCsvReader::splitLines(QStringLiteral("a\r\nb\u000b3\u00854\u20285\u20296\n")),
              (QStringList{"a", "", "b", "3", "4", "5", "6", ""}));
    EXPECT_EQ(parse(""), QStringList{QString()});
    EXPECT_EQ(parse("a, b ,"), (QStringList{"a", " b ", ""}));
    EXPECT_EQ(parse(R"("a""b,c",d)"), (QStringList{"ab,c", "d"}));  // "" adds nothing and keeps quoting
    EXPECT_EQ(parse(R"("open,to the end)"), QStringList{"open,to the end"});
}

TEST(VocabularyCsvReaderTest, EncodingIsRecognisedFromTheBytes) {
    const QString text = QStringLiteral("词汇,类别\n澄言,,产品\n");
    const auto utf16 = [](const QString& t, QStringConverter::Encoding encoding, bool mark) {
        QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return QByteArray(encoder.encode(t));
    };
    const QString latin1Gbk = QString::fromLatin1("\xD5\xC5\xC8\xFD,\xC8\xCB");
    const struct {
        const char* name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"UTF-8, the mark dropped", "\xEF\xBB\xBF" + text.toUtf8(), text},
        {"UTF-16BE with a mark", utf16(text, QStringConverter::Utf16BE, true), text},
        {"UTF-16LE with a mark", utf16(text, QStringConverter::Utf16LE, true), text},
        {"UTF-16LE without a mark: NULs at odd offsets", utf16(text, QStringConverter::Utf16LE, false), text},
        {"UTF-16BE without a mark: NULs at even offsets", utf16(text, QStringConverter::Utf16BE, false), text},
        {"ASCII UTF-16LE, which would also be valid UTF-8", utf16(QStringLiteral("a,b\n"), QStringConverter::Utf16LE, false),
         QStringLiteral("a,b\n")},
        // Without a mark or NULs, bytes that are not UTF-8 are Latin-1, whatever their length.
        {"GBK of an even length", "\xD5\xC5\xC8\xFD,\xC8\xCB", latin1Gbk},
        {"Latin-1", "caf\xE9!", QStringLiteral("café!")},
        {"a mark and an unpaired surrogate", QByteArray("\xFE\xFF\xD8\x00\x00!", 6), QString::fromLatin1("\xFE\xFF\xD8\x00\x00!", 6)},
        {"a surrogate in UTF-8", "\xED\xA0\x80", QString::fromLatin1("\xED\xA0\x80")},
    };
    for (const auto& c : cases) EXPECT_EQ(VocabularyCsvReader::decode(c.bytes), c.expected) << c.name;
}

TEST_F(VocabularyCsvTest, ImportsWordCategoryAndVariantsColumns) {
    test::LogCapture log;
    const int added = store.importFromCSV(writeCsv(QStringLiteral(
        "词汇,备注,类别,备注,误识别\n"
        "VureVIZ,,公司名,,zOVO、vure viz\n"
        "\"Hello, World\",x\n"
        "  张三\t,,  人名 ,, \n"
        "只有两列,说明\n"
        "分隔,,,,、、\n"
        "空片段,,,, a 、 、b、\n"
        "\n"
        "   \t\n"
        ",没有词,类别\n")));
    EXPECT_EQ(added, 6);

    EXPECT_EQ(described(store.items()), (QStringList{"VureVIZ|公司名|zOVO;vure viz", "Hello, World|-|-", "张三|人名|-",
                                                     "只有两列|-|-", "分隔|-|", "空片段|-|a;;b"}));

    EXPECT_TRUE(log.contains(QStringLiteral("[VocabularyStore] 从CSV导入 6 个词汇")));
    EXPECT_EQ(log.lines().filter(QStringLiteral("词汇库已保存")), QStringList{QStringLiteral("[VocabularyStore] 词汇库已保存: 6 条")});
    EXPECT_EQ(VocabularyStore(store.filePath(), Clock::system()).items(), store.items());
}

TEST_F(VocabularyCsvTest, WordsAlreadyPresentAreSkippedAndCountedOnce) {
    store.add(QStringLiteral("澄言"));
    const int added = store.importFromCSV(writeCsv(QStringLiteral("header\nQt,,框架\n澄言,,产品\nQt,,另一个\nqt\n")));
    EXPECT_EQ(added, 2);
    EXPECT_EQ(described(store.items()), (QStringList{"澄言|-|-", "Qt|框架|-", "qt|-|-"}));  // 澄言 unchanged
}

TEST_F(VocabularyCsvTest, CrLfImportsLikeLfAndTheFirstLineIsAlwaysDropped) {
    const QString lf = QStringLiteral("VureVIZ,,公司名,,zOVO\n张三,,人名\n李四\n");
    QString crlf = lf;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    VocabularyStore other(dir.filePath(QStringLiteral("other.json")), Clock::system());

    EXPECT_EQ(store.importFromCSV(writeCsv(lf, QStringLiteral("lf.csv"))), 2);
    EXPECT_EQ(other.importFromCSV(writeCsv(crlf, QStringLiteral("crlf.csv"))), 2);
    EXPECT_EQ(described(store.items()), (QStringList{"张三|人名|-", "李四|-|-"}));  // VureVIZ was the header
    EXPECT_EQ(described(other.items()), described(store.items()));
}

TEST_F(VocabularyCsvTest, Utf16AndLegacyEncodedFilesImport) {
    const QString text = QStringLiteral("词汇\n澄言,,产品\n");
    QStringEncoder littleEndian(QStringConverter::Utf16LE);  // no byte-order mark, as some tools save it
    EXPECT_EQ(store.importFromCSV(writeCsv(QByteArray(littleEndian.encode(text)), QStringLiteral("le.csv"))), 1);

    // "words\n张三,,人名\n" saved as GBK (an even length) reads as Latin-1, not as UTF-16.
    const QByteArray gbk("words\n\xD5\xC5\xC8\xFD,,\xC8\xCB\xC3\xFB\n\n");
    EXPECT_EQ(store.importFromCSV(writeCsv(gbk, QStringLiteral("gbk.csv"))), 1);
    EXPECT_EQ(described(store.items()), (QStringList{"澄言|产品|-", QString::fromLatin1("\xD5\xC5\xC8\xFD|\xC8\xCB\xC3\xFB|-")}));
}

TEST_F(VocabularyCsvTest, HeaderOnlyEmptyAndMissingFilesAddNothing) {
    test::LogCapture log;
    EXPECT_EQ(store.importFromCSV(writeCsv(QStringLiteral("词汇,类别"))), 0);
    EXPECT_EQ(store.importFromCSV(writeCsv(QByteArray(), QStringLiteral("empty.csv"))), 0);
    EXPECT_EQ(log.lines().filter(QStringLiteral("从CSV导入 0 个词汇")).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(store.filePath()));  // nothing added, nothing saved

    log.clear();
    EXPECT_EQ(store.importFromCSV(dir.filePath(QStringLiteral("missing.csv"))), 0);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[VocabularyStore] 无法读取文件，所有编码都失败")});
    EXPECT_TRUE(store.items().isEmpty());
}
