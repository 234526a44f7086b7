#include "Support/ReferenceDate.h"
#include "Vocabulary/VocabularyStorage.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/ChildProcess.h"
#include "support/GeneratedVocabulary.h"
#include "support/LogCapture.h"
#include "support/ManualClock.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLockFile>
#include <QSet>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

using namespace vocena;
using test::readFile;
using test::writeFile;

namespace {

QString upperId(const VocabularyItem& item) { return item.id.toString(QUuid::WithoutBraces).toUpper(); }

// args: file, prefix, count. Adds prefix0 … prefix<count-1>, one save each.
VOCENA_CHILD_ROLE(addWords) {
    VocabularyStore store(args.value(0), Clock::system());
    for (int i = 0; i < args.value(2).toInt(); ++i)
        if (!store.add(args.value(1) + QString::number(i))) return 1;
    return 0;
}

class VocabularyStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    test::ManualClock clock{ReferenceDate::fromSeconds(760000000.5)};
    QString path() const { return dir.filePath(QStringLiteral("vocabulary.json")); }
    QStringList entries(const QString& pattern) const {
        return QDir(dir.path()).entryList({pattern}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

}  // namespace

TEST_F(VocabularyStoreTest, TheFileIsCompactJsonWithOptionalKeysLeftOutAndSurvivesLoadAndSave) {
    VocabularyStore store(path(), clock);
    ASSERT_TRUE(store.add(QStringLiteral("VureVIZ"), QStringList{QStringLiteral("zOVO"), QStringLiteral("vure viz")}, QStringLiteral("公司名")));
    ASSERT_TRUE(store.add(QStringLiteral("澄言")));
    const QList<VocabularyItem> items = store.items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(readFile(path()), QStringLiteral(R"({"items":[{"id":"%1","word":"VureVIZ","variants":["zOVO","vure viz"],"category":"公司名","createdAt":760000000.5},)"
                                               R"({"id":"%2","word":"澄言","createdAt":760000000.5}]})")
                                    .arg(upperId(items[0]), upperId(items[1]))
                                    .toUtf8());
    EXPECT_EQ(VocabularyStore(path(), clock).items(), items);

    const QByteArray original =
        R"({"items":[{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","word":"澄言","variants":[],"createdAt":123456789.123456},)"
        R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","word":"a\"b/c","category":"人名","createdAt":700000000}]})";
    // Saved again as read: an empty list stays a list, the time keeps its digits.
    ASSERT_TRUE(writeFile(path(), original));
    VocabularyStore written(path(), clock);
    ASSERT_TRUE(written.add(QStringLiteral("temporary")));
    written.remove(written.items().last().id);
    EXPECT_EQ(readFile(path()), original);

    // Lower-case ids and null optional values are read too.
    writeFile(path(), R"({"items":[{"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","word":"x","category":null,"variants":null,"createdAt":1}],"extra":true})");
    EXPECT_EQ(test::described(VocabularyStore(path(), clock).items()), QStringList{"x|-|-"});
}

TEST_F(VocabularyStoreTest, AnyMissingKeyOrWrongTypeFailsTheWholeFileWhichIsKeptAside) {
    const QByteArray good = R"("id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","word":"w","createdAt":1)";
    const QList<QByteArray> bad = {
        "{ not json",
        R"({"items":[{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","word":3,"createdAt":1}]})",
        "{\"items\":[{" + good + R"(},{)" + good + R"(,"variants":["a",2]}]})",
    };
    for (const QByteArray& data : bad) {
        QString error;
        EXPECT_FALSE(VocabularyStorage::decode(data, &error).has_value()) << data.constData();
        EXPECT_FALSE(error.isEmpty()) << data.constData();
    }
    EXPECT_TRUE(VocabularyStorage::decode("{\"items\":[{" + good + "}]}", nullptr).has_value());

    // A file the store cannot load (which the vocabulary card says) is kept aside, and the new
    // file holds only new items.
    const QByteArray damaged = R"({"items":[{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","word":"旧词"}]})";
    ASSERT_TRUE(writeFile(path(), damaged));
    VocabularyStore store(path(), clock);
    EXPECT_EQ(readFile(path()), damaged);  // loading never rewrites

    ASSERT_TRUE(store.add(QStringLiteral("新词")));
    ASSERT_TRUE(store.add(QStringLiteral("再一个")));  // kept aside once, not at every save
    const QStringList kept = entries(QStringLiteral("vocabulary.json.corrupt-*"));
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(readFile(dir.filePath(kept.first())), damaged);
    EXPECT_EQ(VocabularyStore(path(), clock).getAllVocabularies(), (QStringList{QStringLiteral("新词"), QStringLiteral("再一个")}));
}

TEST_F(VocabularyStoreTest, AddTrimsAndIgnoresBlankAndDuplicateWordsRemoveTakesOneAndThePromptListsThemAll) {
    VocabularyStore store(path(), clock);
    EXPECT_TRUE(store.add(QStringLiteral("  VureVIZ\n"), QStringList{QStringLiteral(" zOVO "), QString()}));
    EXPECT_FALSE(store.add(QStringLiteral("VureVIZ"), std::nullopt, QStringLiteral("公司名")));
    EXPECT_TRUE(store.add(QStringLiteral("vureviz")));
    EXPECT_FALSE(store.add(QStringLiteral(" \t\n\u3000")));
    EXPECT_TRUE(store.add(QStringLiteral("空列表"), QStringList()));

    // The variants are kept as given; the duplicate did not set the category.
    const QList<VocabularyItem> items = store.items();
    EXPECT_EQ(test::described(items), (QStringList{"VureVIZ|-| zOVO ;", "vureviz|-|-", "空列表|-|"}));
    EXPECT_NE(items[0].id, items[1].id);

    store.remove(items[1].id);
    EXPECT_EQ(VocabularyStore(path(), clock).getAllVocabularies(), (QStringList{QStringLiteral("VureVIZ"), QStringLiteral("空列表")}));

    // The prompt lists every item in order.
    store.add(QStringLiteral("张三"), QStringList{QStringLiteral("张山")}, QStringLiteral("人名"));
    EXPECT_EQ(store.generatePrompt(), QStringLiteral("\n\n【重要】以下是需要正确识别的词汇，请特别注意：\n"
                                                     "- VureVIZ，可能误识别为： zOVO 、\n"
                                                     "- 空列表\n"
                                                     "- 张三 (人名)，可能误识别为：张山\n"));
}

TEST_F(VocabularyStoreTest, ReadersOnAnotherThreadSeeWholeLists) {
    test::LogCapture quiet;  // one save line per add
    VocabularyStore store(path(), clock);
    std::atomic<bool> done{false}, torn{false};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        qsizetype lastSize = 0;
        while (!done.load()) {
            const QStringList words = store.getAllVocabularies();
            const QList<VocabularyItem> items = store.items();
            if (words.size() < lastSize || items.size() < words.size()) torn = true;
            for (qsizetype i = 0; i < items.size(); ++i)
                if (items[i].word != QString::number(i)) torn = true;
            lastSize = words.size();
            ++reads;
        }
    });
    for (int i = 0; i < 100; ++i) store.add(QString::number(i));
    done = true;
    reader.join();
    EXPECT_FALSE(torn.load());
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(store.items().size(), 100);
}

TEST_F(VocabularyStoreTest, TwoProcessesAddingAtOnceKeepEveryWordAndARunningStoreSeesThem) {
    test::LogCapture quiet;  // one save line per add
    VocabularyStore running(path(), clock);
    ASSERT_TRUE(running.add(QStringLiteral("before")));

    auto first = test::startChild(QStringLiteral("addWords"), {path(), QStringLiteral("a"), QStringLiteral("200")});
    auto second = test::startChild(QStringLiteral("addWords"), {path(), QStringLiteral("b"), QStringLiteral("200")});
    ASSERT_TRUE(test::finishedCleanly(*first));
    ASSERT_TRUE(test::finishedCleanly(*second));

    const QStringList onDisk = VocabularyStore(path(), clock).getAllVocabularies();
    EXPECT_EQ(onDisk.size(), 401);
    EXPECT_EQ(QSet<QString>(onDisk.cbegin(), onDisk.cend()).size(), 401);

    // The store of this process reloads on its own, and its next change keeps the others' words.
    EXPECT_TRUE(test::waitUntil([&] { return running.items().size() == 401; }, 1000));
    ASSERT_TRUE(running.add(QStringLiteral("after")));
    EXPECT_FALSE(running.add(QStringLiteral("a199")));  // a duplicate of a word the others added
    EXPECT_EQ(VocabularyStore(path(), clock).items().size(), 402);
}

TEST_F(VocabularyStoreTest, AChangeThatCouldNotBeSavedIsAppliedAgainToTheNewerFile) {
    VocabularyStore app(path(), clock);
    ASSERT_TRUE(app.add(QStringLiteral("kept")));
    const QUuid kept = app.items().first().id;

    // The lock is held elsewhere: the change stays in memory and pending.
    test::LogCapture log;
    {
        QLockFile held(path() + QStringLiteral(".lock"));
        ASSERT_TRUE(held.tryLock(0));
        VocabularyStore blocked(path(), clock, DataFile::Options{{}, 50});
        EXPECT_TRUE(blocked.add(QStringLiteral("pending")));
        EXPECT_TRUE(log.contains(QStringLiteral("[VocabularyStore] 保存词汇库失败: 文件锁 ")));
        blocked.remove(kept);
        EXPECT_EQ(blocked.getAllVocabularies(), QStringList{QStringLiteral("pending")});
        held.unlock();

        // Meanwhile another process added a word; the next save replays both changes on it.
        ASSERT_TRUE(app.add(QStringLiteral("other")));
        ASSERT_TRUE(blocked.add(QStringLiteral("later")));
    }
    EXPECT_EQ(VocabularyStore(path(), clock).getAllVocabularies(),
              (QStringList{QStringLiteral("other"), QStringLiteral("pending"), QStringLiteral("later")}));
}
