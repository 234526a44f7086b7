// The vocabulary card as a user drives it on a real X display: searching, the add sheet,
// deleting through a row's trash button, importing a CSV file through the file dialog, and a
// vocabulary of 10,000 items; the store underneath writes a real file in a temporary folder.
#include "Infrastructure/Platform/Clock.h"
#include "UI/Settings/AddVocabularySheet.h"
#include "UI/Settings/VocabularyListModel.h"
#include "UI/Settings/VocabularyRow.h"
#include "UI/Settings/VocabularySettingsCard.h"
#include "Vocabulary/VocabularyStorage.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/GeneratedVocabulary.h"
#include "support/TestFiles.h"
#include "support/WidgetTest.h"

#include <QInputMethodEvent>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace vocena;
using namespace vocena::test;

namespace {

// Types like a user: ASCII through key presses, other characters committed by an input method.
void type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) { QTest::keyClicks(field, QString(c)); continue; }
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(field, &commit);
    }
}

QString words(const QList<VocabularyItem>& items) {
    QStringList list;
    for (const VocabularyItem& item : items) list << item.word;
    return list.join(u'|');
}

class VocabularySettingsCardTest : public WidgetTest {
protected:
    void SetUp() override { store = std::make_unique<VocabularyStore>(file(), Clock::system()); }
    ~VocabularySettingsCardTest() override { delete host; }

    QString file() const { return path(QStringLiteral("vocabulary.json")); }

    void addSample() {
        store->add(QStringLiteral("VureVIZ"), QStringList{QStringLiteral("zOVO"), QStringLiteral("vure viz")},
                   QStringLiteral("公司名"));
        store->add(QStringLiteral("张三"), std::nullopt, QStringLiteral("人名"));
        store->add(QStringLiteral("澄言"));
    }

    // The card in a window of its own, shown and active, as in the settings window.
    VocabularySettingsCard& openCard() {
        host = new QWidget;
        host->resize(VocabularySettingsCard::kWidth + 40, VocabularySettingsCard::kHeight + 40);
        card = new VocabularySettingsCard(*store, host);
        card->move(20, 20);
        EXPECT_TRUE(showActive(host));
        return *card;
    }

    // Opens the add sheet with "+" (as `sheet`) and types its fields.
    void openSheet(const QString& word = {}, const QString& variants = {}, const QString& category = {}) {
        QTest::mouseClick(card->addButton(), Qt::LeftButton);
        const auto opened = [this] { return (sheet = card->addSheet()) && QApplication::activeModalWidget() == sheet; };
        ASSERT_TRUE(waitUntil(opened));
        type(sheet->wordField(), word);
        type(sheet->variantsField(), variants);
        type(sheet->categoryField(), category);
    }
    bool sheetClosed() { return waitUntil([this] { return !card->addSheet(); }); }
    // Types the fields of a freshly opened sheet and presses Return.
    void addThroughSheet(const QString& word, const QString& variants = {}, const QString& category = {}) {
        ASSERT_NO_FATAL_FAILURE(openSheet(word, variants, category));
        QTest::keyClick(sheet->wordField(), Qt::Key_Return);
        ASSERT_TRUE(sheetClosed());
    }
    QString count() const { return card->countLabel()->text(); }
    // The count of the whole vocabulary, then the words of the rows shown: "3 个词汇: VureVIZ|张三|澄言".
    QString shows() const { return count() + QStringLiteral(": ") + shownWords(); }

    void search(const QString& text) {
        card->searchField()->clear();
        type(card->searchField(), text);
    }

    QString shownWords() const {
        QStringList shown;
        for (int row = 0; row < card->model().rowCount(); ++row) shown << card->model().itemAt(row).word;
        return shown.join(u'|');
    }

    QRect deleteButtonOf(int row) const {
        const QRect itemRect = card->listView()->visualRect(card->model().index(row));
        return VocabularyRow(itemRect).deleteButton();
    }

    std::unique_ptr<VocabularyStore> store;
    QWidget* host = nullptr;
    VocabularySettingsCard* card = nullptr;
    AddVocabularySheet* sheet = nullptr;
};

// The search matches a word or a category, whatever the case, never a variant; the trash button
// deletes its row's item.
TEST_F(VocabularySettingsCardTest, SearchMatchesWordOrCategoryAndTheTrashButtonDeletesTheRowsItem) {
    addSample();
    openCard();
    EXPECT_EQ(card->searchField()->placeholderText(), QStringLiteral("搜索词汇..."));
    // shown: the words in store order; a word's variants are not searched
    const struct { const char* text; const char* shown; } cases[] = {
        {"", "VureVIZ|张三|澄言"}, {"reV", "VureVIZ"}, {"REVIZ", "VureVIZ"}, {"viz", "VureVIZ"}, {"zOVO", ""},
        {"vure viz", ""},       {"人名", "张三"},    {"名", "VureVIZ|张三"}, {"言", "澄言"},
    };
    for (const auto& c : cases) {
        search(QString::fromUtf8(c.text));
        EXPECT_EQ(shows(), QStringLiteral("3 个词汇: ") + QString::fromUtf8(c.shown)) << c.text;
    }

    // A click on the row beside its button deletes nothing; one on the button deletes that row's item.
    search(QStringLiteral("名"));  // rows: VureVIZ, 张三
    QWidget* viewport = card->listView()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, card->listView()->visualRect(card->model().index(1)).center() - QPoint(60, 0));
    EXPECT_EQ(store->items().size(), 3);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, deleteButtonOf(1).center());
    ASSERT_TRUE(waitUntil([this] { return store->items().size() == 2; }));
    EXPECT_EQ(words(store->items()), QStringLiteral("VureVIZ|澄言"));
    EXPECT_EQ(shows(), QStringLiteral("2 个词汇: VureVIZ")) << "the search stays";
    EXPECT_EQ(words(VocabularyStore(file(), Clock::system()).items()), QStringLiteral("VureVIZ|澄言")) << "saved";

    // Words added by another process (the command line, or the dictation accepting a suggested
    // term) show when the card is shown again.
    search({});
    ASSERT_TRUE(VocabularyStore(file(), Clock::system()).add(QStringLiteral("Kernel")));
    ASSERT_TRUE(waitUntil([this] { return store->items().size() == 3; }));  // the store follows its file
    host->hide();
    host->show();
    EXPECT_EQ(shows(), QStringLiteral("3 个词汇: VureVIZ|澄言|Kernel"));
}

// The sheet needs a word and starts empty each time. Then it adds words, its variants and
// category parsed.
TEST_F(VocabularySettingsCardTest, TheSheetNeedsAWordAndParsesVariantsAndCategory) {
    openCard();
    ASSERT_NO_FATAL_FAILURE(openSheet());
    EXPECT_EQ((QStringList{sheet->wordField()->placeholderText(), sheet->variantsField()->placeholderText(),
                           sheet->categoryField()->placeholderText()}),
              (QStringList{"例如：VureVIZ", "例如：zOVO, vure viz", "例如：人名, 公司名, 专业术语"}));
    EXPECT_FALSE(sheet->addButton()->isEnabled());
    QTest::keyClick(sheet->wordField(), Qt::Key_Return);  // nothing to add: the sheet stays
    EXPECT_EQ(card->addSheet(), sheet);
    type(sheet->variantsField(), QStringLiteral("x"));
    QTest::keyClick(sheet->wordField(), Qt::Key_Escape);
    ASSERT_TRUE(sheetClosed());

    ASSERT_NO_FATAL_FAILURE(openSheet());
    EXPECT_EQ(sheet->wordField()->text() + sheet->variantsField()->text(), QString());
    type(sheet->wordField(), QStringLiteral("VureVIZ"));
    EXPECT_TRUE(sheet->addButton()->isEnabled());
    saveScreenshot(card, QStringLiteral("vocabulary-add-sheet"), 16, true);
    QTest::mouseClick(sheet->closeButton(), Qt::LeftButton);
    ASSERT_TRUE(sheetClosed());

    EXPECT_TRUE(store->items().isEmpty() && !QFile::exists(file())) << "cancelled: nothing written";

    const struct { const char* word; const char* variants; const char* category; const char* storedWord;
                   std::optional<QStringList> storedVariants; std::optional<QString> storedCategory; } cases[] = {
        {"VureVIZ", "zOVO, vure viz", "公司名", "VureVIZ", QStringList{"zOVO", "vure viz"}, "公司名"},
        {"澄言", "成言，程言", "", "澄言", QStringList{"成言，程言"}, std::nullopt},  // the full-width comma is no separator
        {"  张三 ", "\t章三 ,,张 三\t", " 人名\t", "张三", QStringList{"章三", "张 三"}, "人名"},
        // Blank pieces and blank categories would only store empty texts: nothing is kept for them.
        {"Qt", " , ,", "  ", "Qt", std::nullopt, std::nullopt},
    };
    int added = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        addThroughSheet(QString::fromUtf8(c.word), QString::fromUtf8(c.variants), QString::fromUtf8(c.category));
        const QList<VocabularyItem> items = store->items();
        ASSERT_EQ(items.size(), ++added);
        EXPECT_EQ(std::tuple(items.last().word, items.last().variants, items.last().category),
                  std::tuple(QString::fromUtf8(c.storedWord), c.storedVariants, c.storedCategory));
        EXPECT_EQ(shows(), QStringLiteral("%1 个词汇: ").arg(added) + words(items));
    }
}

// A save that fails is said on the card, and the sheet keeps what was typed for another try;
// a file that could not be read is said too (it is kept, not overwritten).
TEST_F(VocabularySettingsCardTest, AFailedSaveAndAnUnreadableFileAreShown) {
    // A file where the folder should be: nothing can be written below it (root or not).
    test::writeFile(path(QStringLiteral("blocked")), "not a folder");
    store = std::make_unique<VocabularyStore>(path(QStringLiteral("blocked/vocabulary.json")), Clock::system());
    openCard();
    EXPECT_FALSE(card->problemLabel()->isVisible());
    ASSERT_NO_FATAL_FAILURE(openSheet(QStringLiteral("明志中心"), {}, QStringLiteral("地名")));
    QTest::keyClick(sheet->wordField(), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([this] { return card->problemLabel()->isVisible(); }));
    ASSERT_EQ(card->addSheet(), sheet) << "the sheet closed on a failed save";
    EXPECT_EQ(sheet->wordField()->text() + u'|' + sheet->categoryField()->text(), QStringLiteral("明志中心|地名"));
    EXPECT_TRUE(card->problemLabel()->text().startsWith(QStringLiteral("未能保存词汇库")));
    delete host;  // and the sheet with it
    host = nullptr;

    test::writeFile(file(), "{ not json");
    store = std::make_unique<VocabularyStore>(file(), Clock::system());
    openCard();
    EXPECT_TRUE(shown(card->problemLabel()) && card->problemLabel()->text().startsWith(QStringLiteral("词汇库文件无法读取")));
    EXPECT_EQ(test::readFile(file()), QByteArray("{ not json"));
}

// An import through the file dialog adds the new words of the CSV file (its columns read as
// VocabularyCsvTest checks them); a cancelled one, or a file without new words, changes nothing.
TEST_F(VocabularySettingsCardTest, ImportsACsvFileChosenInTheDialog) {
    addSample();
    const QString csv = path(QStringLiteral("术语.csv"));
    ASSERT_TRUE(test::writeFile(csv, QStringLiteral("词汇,说明,类别,备注,误识别\n"
                                                    "VureVIZ,,公司名,,zOVO\n"  // already there
                                                    "李四,,人名,,李斯、里四\n"
                                                    "Kernel,,,,\n")
                                         .toUtf8()));
    openCard();
    const QByteArray before = test::readFile(file());
    EXPECT_EQ(chooseInFileDialog(card->importButton(), QString(), {}), QStringLiteral("选择CSV词汇文件"));
    EXPECT_EQ(std::pair(test::readFile(file()), count()), std::pair(before, QStringLiteral("3 个词汇")));

    chooseInFileDialog(card->importButton(), csv, QStringLiteral("导入"));
    ASSERT_TRUE(waitUntil([this] { return shows() == QStringLiteral("5 个词汇: VureVIZ|张三|澄言|李四|Kernel"); }));

    chooseInFileDialog(card->importButton(), csv, QStringLiteral("导入"));
    EXPECT_EQ(count(), QStringLiteral("5 个词汇"));
}

TEST_F(VocabularySettingsCardTest, TenThousandItemsArePaintedNotBuiltAsWidgets) {
    ASSERT_TRUE(test::writeFile(file(), VocabularyStorage{test::generatedVocabulary(10000)}.encode()));
    store = std::make_unique<VocabularyStore>(file(), Clock::system());
    openCard();
    EXPECT_EQ(count(), QStringLiteral("10000 个词汇"));
    EXPECT_LT(card->findChildren<QWidget*>().size(), 40);
    EXPECT_LE(card->listView()->height(), VocabularySettingsCard::kMaximumListHeight);

    // Scrolled to the end, the last row is the one under the bottom of the list.
    QScrollBar* scrollBar = card->listView()->verticalScrollBar();
    scrollBar->setValue(scrollBar->maximum());
    const QPoint bottom(20, card->listView()->viewport()->height() - VocabularyRow::kSpacing - 5);
    EXPECT_EQ(card->listView()->indexAt(bottom).row(), 9999);

    // The trash button of a row far down the list deletes that row's item.
    scrollBar->setValue(scrollBar->maximum() / 2);
    const QModelIndex target = card->listView()->indexAt(QPoint(20, 30));
    const QString deleted = card->model().itemAt(target.row()).word;
    QTest::mouseClick(card->listView()->viewport(), Qt::LeftButton, {}, deleteButtonOf(target.row()).center());
    ASSERT_TRUE(waitUntil([this] { return card->model().rowCount() == 9999; }));
    EXPECT_EQ(count(), QStringLiteral("9999 个词汇"));
    EXPECT_FALSE(store->getAllVocabularies().contains(deleted));
}

}  // namespace

