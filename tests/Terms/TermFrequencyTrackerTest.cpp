// The term tracker over real files in a temporary folder, with a manual clock, beside feeding
// threads and other processes.
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Support/ReferenceDate.h"
#include "Terms/TermFrequencyTracker.h"
#include "Terms/TermStorage.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/ChildProcess.h"
#include "support/ManualClock.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <thread>

using namespace vocena;
using test::readFile;
using test::waitUntil;

namespace {

constexpr double kDay = 86400;

// Letter-only words, so that every word is exactly one candidate: "axab" for ('a', 1).
QString word(char group, int i) { return QString(QLatin1Char(group)) + QLatin1Char('x') + QLatin1Char('a' + i / 26 % 26) + QLatin1Char('a' + i % 26); }

// The count of every word of each group: {{'a', 2}} for "axaa" … counted twice each.
QMap<QString, qint64> countsOf(int words, std::initializer_list<std::pair<char, qint64>> groups) {
    QMap<QString, qint64> counts;
    for (int i = 0; i < words; ++i)
        for (const auto& [group, count] : groups) counts.insert(word(group, i), count);
    return counts;
}

// A tracker of another process on the files given first (frequency, suppressed).
struct OtherProcessTracker {
    explicit OtherProcessTracker(const QStringList& args)
        : vocabulary(QFileInfo(args.value(0)).dir().filePath(QStringLiteral("vocabulary.json")), Clock::system()),
          tracker(args.value(0), args.value(1), vocabulary, Clock::system()) {}
    VocabularyStore vocabulary;
    TermFrequencyTracker tracker;
};

// args: files, then texts, each fed on its own.
VOCENA_CHILD_ROLE(feedTexts) {
    OtherProcessTracker other(args);
    for (const QString& text : args.mid(2)) other.tracker.feed(text);
    other.tracker.waitForIdle();
    return 0;
}

// args: files, then the term to dismiss.
VOCENA_CHILD_ROLE(dismissTerm) { return OtherProcessTracker(args).tracker.suppressTerm(args.value(2)) ? 0 : 1; }

// Collects the suggestion notifications (term, category) while it lives; they come on the main thread.
class SuggestionObserver {
public:
    SuggestionObserver() {
        NotificationCenter::defaultCenter().addObserver(Notifications::termSuggestionReady, &m_context, [this](const Notification& n) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            received.insert(n.userInfo.value(QStringLiteral("term")).toString(), n.userInfo.value(QStringLiteral("category")));
        });
    }
    QMultiMap<QString, QVariant> received;

private:
    QObject m_context;
};

class TermFrequencyTrackerTest : public ::testing::Test {
protected:
    // Suggestions a test's background feeds queued for the main thread are delivered before the
    // next test observes any.
    ~TermFrequencyTrackerTest() override { QCoreApplication::sendPostedEvents(); }

    QTemporaryDir dir;
    test::ManualClock clock;
    VocabularyStore vocabulary{dir.filePath(QStringLiteral("vocabulary.json")), clock};
    const QString frequencyPath = dir.filePath(QStringLiteral("term_frequency.json"));
    const QString suppressedPath = dir.filePath(QStringLiteral("term_suppressed.json"));

    std::unique_ptr<TermFrequencyTracker> makeTracker(Clock* on = nullptr) {
        return std::make_unique<TermFrequencyTracker>(frequencyPath, suppressedPath, vocabulary, on ? *on : clock);
    }
    static QMap<QString, qint64> totals(const QList<TermEntry>& entries) {
        QMap<QString, qint64> map;
        for (const TermEntry& entry : entries) map.insert(entry.term, entry.totalCount);
        return map;
    }
    QMap<QString, qint64> totalsOnDisk() const {
        const auto storage = FrequencyStorage::decode(readFile(frequencyPath));
        return storage ? totals(storage->entries) : QMap<QString, qint64>{{QStringLiteral("<unreadable>"), -1}};
    }
};

}  // namespace

// The counts are on disk once the tracker has gone, those of a text still queued included.
TEST_F(TermFrequencyTrackerTest, ATermIsSuggestedOnceOnItsThirdTextOnTheMainThreadAndTheCountsAreSavedAtTheEnd) {
    auto tracker = makeTracker();
    {
        SuggestionObserver observer;
        tracker->feed(QStringLiteral("澄言，澄言，澄言。2024"));  // repeated within one text: counted once
        EXPECT_EQ(tracker->entry(QStringLiteral("澄言"))->totalCount, 1);
        tracker->feedInBackground(QStringLiteral("澄言 2024"));
        tracker->feedInBackground(QStringLiteral("还是澄言 2024"));
        tracker->waitForIdle();
        ASSERT_TRUE(waitUntil([&] { return observer.received.size() == 2; }));
        // 2024 has no category.
        EXPECT_EQ(observer.received,
                  (QMultiMap<QString, QVariant>{{QStringLiteral("澄言"), QStringLiteral("疑似人名")}, {QStringLiteral("2024"), {}}}));
        // Suggested terms are no longer counted or suggested in this run.
        tracker->feed(QStringLiteral("澄言"));
        QCoreApplication::processEvents();
        EXPECT_EQ(tracker->entry(QStringLiteral("澄言"))->totalCount, 3);
        EXPECT_EQ(observer.received.size(), 2);
    }
    tracker->feedInBackground(QStringLiteral("Qt"));  // still queued when the tracker goes
    tracker.reset();
    EXPECT_EQ(totalsOnDisk().value(QStringLiteral("Qt")), 1);
    EXPECT_EQ(totalsOnDisk().value(QStringLiteral("澄言")), 3);
}

TEST_F(TermFrequencyTrackerTest, OldCountsArePrunedAtStart) {
    const double now = ReferenceDate::toSeconds(clock.now());
    const auto entry = [&](const char* term, qint64 total, double firstDaysAgo, double lastDaysAgo) {
        return TermEntry{QString::fromUtf8(term), total, 1, now - firstDaysAgo * kDay, now - lastDaysAgo * kDay, std::nullopt};
    };
    ASSERT_TRUE(test::writeFile(frequencyPath, FrequencyStorage{{entry("stale", 9, 40, 31), entry("once", 1, 8, 8), entry("twice", 2, 8, 8),
                                                                 entry("recent", 1, 6.9, 6.9), entry("boundary", 5, 30, 30)},
                                                                0}
                                                   .encode()));
    makeTracker();
    EXPECT_EQ(totalsOnDisk().keys(), QStringList({QStringLiteral("recent"), QStringLiteral("twice")}));
}

TEST_F(TermFrequencyTrackerTest, UnreadableFilesAreKeptAsideBeforeTheyAreRewritten) {
    const QByteArray noSessionCount = R"({"entries":[{"term":"澄言","totalCount":2,"firstSeen":1,"lastSeen":1}],"lastPrunedAt":1})";
    ASSERT_TRUE(test::writeFile(frequencyPath, noSessionCount));
    ASSERT_TRUE(test::writeFile(suppressedPath, "not json"));
    auto tracker = makeTracker();
    EXPECT_EQ(tracker->unusableFiles(), QStringList({frequencyPath, suppressedPath}));
    const auto corruptCopies = [&] { return QDir(dir.path()).entryList({QStringLiteral("*.corrupt-*")}); };
    EXPECT_TRUE(corruptCopies().isEmpty());  // loading moves nothing

    ASSERT_TRUE(tracker->suppressTerm(QStringLiteral("求索")));
    tracker->feed(QStringLiteral("澄言"));
    tracker->waitForIdle();
    const QStringList kept = corruptCopies();
    ASSERT_EQ(kept.size(), 2);
    for (const QString& name : kept)
        EXPECT_EQ(readFile(dir.filePath(name)), name.startsWith(QStringLiteral("term_frequency")) ? noSessionCount : "not json") << name.toStdString();
    EXPECT_EQ(totalsOnDisk(), (QMap<QString, qint64>{{QStringLiteral("澄言"), 1}}));
    ASSERT_TRUE(SuppressedStorage::decode(readFile(suppressedPath)));
}

TEST_F(TermFrequencyTrackerTest, ConcurrentFeedsWhileTheMainThreadAcceptsAndDismisses) {
    constexpr int kWords = 80;
    auto tracker = makeTracker();
    // Threads 0 and 1 feed every word of group a once, threads 2 and 3 those of group b; all
    // four feed the words of groups c and d, which the main thread accepts and dismisses.
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kWords; ++i)
                tracker->feed(word(t < 2 ? 'a' : 'b', i) + QLatin1Char(' ') + word('c', i) + QStringLiteral("，") + word('d', i));
            ++finished;
        });
    }
    for (int i = 0; i < kWords; ++i) {
        tracker->addToVocabulary(word('c', i), std::nullopt);
        tracker->suppressTerm(word('d', i));
        QCoreApplication::processEvents();
    }
    if (!waitUntil([&] { return finished == 4; }, 60000)) qFatal("feeding threads did not finish: deadlock");
    for (std::thread& thread : threads) thread.join();
    tracker->waitForIdle();

    const QMap<QString, qint64> counted = totals(tracker->entries());
    EXPECT_EQ(counted, countsOf(kWords, {{'a', 2}, {'b', 2}}));
    EXPECT_EQ(tracker->suppressedEntries().size(), kWords);
    EXPECT_EQ(vocabulary.items().size(), kWords);
    EXPECT_EQ(totalsOnDisk(), counted);  // the last save holds the last state
}

// This process and two others each count every word of group c once; the others also count
// words of their own (a, b). Then a term counted here twice is dismissed by another process.
TEST_F(TermFrequencyTrackerTest, OtherProcessesCountAndDismissAlongsideThisOne) {
    constexpr int kWords = 60;
    const QStringList files{frequencyPath, suppressedPath};
    QStringList textsA = files, textsB = files;
    for (int i = 0; i < kWords; ++i) {
        textsA << word('c', i) + QLatin1Char(' ') + word('a', i);
        textsB << word('c', i) + QLatin1Char(' ') + word('b', i);
    }
    // On the clock of the other processes, or they would prune the counts of this one.
    auto tracker = makeTracker(&Clock::system());
    auto first = test::startChild(QStringLiteral("feedTexts"), textsA);
    auto second = test::startChild(QStringLiteral("feedTexts"), textsB);
    for (int i = 0; i < kWords; ++i) tracker->feedInBackground(word('c', i));
    tracker->waitForIdle();
    ASSERT_TRUE(test::finishedCleanly(*first));
    ASSERT_TRUE(test::finishedCleanly(*second));
    const QMap<QString, qint64> expected = countsOf(kWords, {{'a', 1}, {'b', 1}, {'c', 3}});
    EXPECT_EQ(totalsOnDisk(), expected);
    EXPECT_EQ(totals(tracker->entries()), expected);  // reloaded when asked

    SuggestionObserver observer;
    tracker->feed(QStringLiteral("VureVIZ"));
    tracker->feed(QStringLiteral("VureVIZ"));
    tracker->waitForIdle();
    ASSERT_TRUE(test::finishedCleanly(*test::startChild(QStringLiteral("dismissTerm"), files + QStringList{QStringLiteral("VureVIZ")})));
    tracker->feed(QStringLiteral("VureVIZ"));  // would be its third sighting
    tracker->waitForIdle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(observer.received.contains(QStringLiteral("VureVIZ")));
    EXPECT_FALSE(tracker->entry(QStringLiteral("VureVIZ")));
    // A dismissal here keeps the other process's.
    ASSERT_TRUE(tracker->suppressTerm(QStringLiteral("求索")));
    EXPECT_EQ(SuppressedStorage::decode(readFile(suppressedPath)).value_or(SuppressedStorage{}).entries.size(), 2);
}
