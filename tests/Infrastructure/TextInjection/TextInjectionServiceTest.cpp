// The injection logic over recording doubles: which texts are typed and which pasted, the
// clipboard's round trip, errors, and the order of operations. Real X11 is in X11TextInjectionTest.
#include "Infrastructure/TextInjection/PasteSignalGuard.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "support/AsyncTest.h"
#include "support/FakeClipboardBackend.h"
#include "support/FakeKeyEventSink.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>
#include <csignal>
#include <functional>

using namespace vocena;
using vocena::test::await;
using vocena::test::FakeClipboardBackend;
using vocena::test::FakeKeyEventSink;

namespace {

class TextInjectionServiceTest : public ::testing::Test {
protected:
    FakeKeyEventSink* keys = new FakeKeyEventSink;
    FakeClipboardBackend* clipboard = new FakeClipboardBackend;
    TextInjectionService service{std::unique_ptr<KeyEventSink>(keys), std::unique_ptr<ClipboardBackend>(clipboard)};
    test::LogCapture log;

    void SetUp() override {
        clipboard->content = QStringLiteral("before");
        keys->onPaste = [this] { clipboard->fetch(); };
    }

    test::Outcome<bool> inject(const QString& text, TextInjectionMode mode = TextInjectionMode::automatic) {
        return await(service.injectText(text, mode));
    }
};

TEST_F(TextInjectionServiceTest, AutomaticModeTypesShortTypeableTextAndPastesTheRest) {
    ASSERT_TRUE(inject(QStringLiteral("a-b_c!?\t1\n")).ok());  // 10 characters, all on keys
    EXPECT_EQ(keys->events.size(), 10);

    keys->untypeable = QStringLiteral("^");
    const QString pasted[] = {
        QStringLiteral("Hello world"),  // 11 characters
        QStringLiteral("今天天气很好"),
        QStringLiteral("e\u0301x"),  // é as e + combining accent
        QStringLiteral("a^b"),       // no key for ^ in this layout
    };
    for (const QString& text : pasted) {
        SCOPED_TRACE(text.toStdString());
        keys->events.clear();
        ASSERT_TRUE(inject(text).ok());
        EXPECT_EQ(keys->events, QStringList{QStringLiteral("^V")});
        EXPECT_EQ(clipboard->content, QStringLiteral("before"));
    }
}

TEST_F(TextInjectionServiceTest, FailuresLeaveTheClipboardAsItWas) {
    keys->available = false;
    EXPECT_EQ(inject(QStringLiteral("今天")).error, QStringLiteral("没有发送按键的权限"));
    keys->available = true;
    EXPECT_EQ(inject(QString()).error, QStringLiteral("文本为空"));

    clipboard->refuseWrites = true;
    EXPECT_EQ(inject(QStringLiteral("今天")).error, QStringLiteral("剪贴板写入失败"));
    EXPECT_TRUE(keys->events.isEmpty());
    EXPECT_EQ(clipboard->content, QStringLiteral("before"));
}

TEST_F(TextInjectionServiceTest, ClipboardComesBackOnlyWhenTheFocusedApplicationFetchedTheText) {
    const QString text = QStringLiteral("今天天气很好");
    constexpr int never = -1;
    struct Case {
        const char* name;
        int targetFetchesAfter;   // ms after the paste key; never: the key went nowhere
        int managerFetchesAfter;  // another reader (a clipboard manager), which does not count
        PasteMethod method;
        QString key;
        bool delivered;
        int atLeast;  // ms before injectText() returns
    };
    const Case cases[] = {
        {"quick target, still the settle time", 0, never, {}, QStringLiteral("^V"), true, 100},
        {"manager first, then the target", 300, 0, {}, QStringLiteral("^V"), true, 300},
        {"terminal pasting the selection", 0, never, {PasteKey::shiftInsert, PasteSelection::primary}, QStringLiteral("⇧Insert"), true, 100},
        {"only a manager reads", never, 0, {}, QStringLiteral("^V"), false, 1000},
        {"nobody reads", never, never, {}, QStringLiteral("^V"), false, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clipboard->content = QStringLiteral("before");
        keys->events.clear();
        keys->focusedMethod = c.method;
        std::optional<QString> targetGot;
        keys->onPaste = [&] {
            if (c.managerFetchesAfter != never) QTimer::singleShot(c.managerFetchesAfter, [this] { clipboard->fetch(false); });
            if (c.targetFetchesAfter != never)
                QTimer::singleShot(c.targetFetchesAfter, [&, this] { targetGot = clipboard->fetch(); });
        };
        log.clear();
        QElapsedTimer timer;
        timer.start();
        const auto outcome = inject(text);
        EXPECT_GE(timer.elapsed(), c.atLeast);
        EXPECT_EQ(keys->events, QStringList{c.key});
        EXPECT_EQ(clipboard->offeredOn, c.method.selection);
        if (c.delivered) {
            EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
            EXPECT_EQ(targetGot, text);
            EXPECT_EQ(clipboard->content, QStringLiteral("before"));
        } else {
            // The dictated text is not lost: it stays on the clipboard, and the caller is told.
            EXPECT_EQ(outcome.error, QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"));
            EXPECT_EQ(clipboard->content, text);
            EXPECT_TRUE(log.contains(QStringLiteral("[TextInjectionService] 粘贴的文本在 1000 ms 内未被读取，文字留在剪贴板上")));
        }
    }
}

volatile std::sig_atomic_t g_hangupsSeen = 0;
extern "C" void countHangup(int) { g_hangupsSeen = g_hangupsSeen + 1; }

// Ending a waiting paste (the process is quitting) never lets a late fetch paste the old
// clipboard, nor loses the text: the old content comes back only once the target has the text.
TEST_F(TextInjectionServiceTest, EndingAWaitingPasteKeepsTheTextUntilTheTargetHasIt) {
    // The process's own SIGHUP handler (as `vocena listen` has for SIGINT): it runs after the
    // paste has ended, and is in place again once the paste is over.
    struct sigaction own {}, previous {};
    own.sa_handler = countHangup;
    sigemptyset(&own.sa_mask);
    sigaction(SIGHUP, &own, &previous);
    const auto restoreHandler = qScopeGuard([&previous] { sigaction(SIGHUP, &previous, nullptr); });
    new PasteSignalGuard(service);

    const QString text = QStringLiteral("今天");
    const QString notDelivered = QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴");
    struct Case {
        const char* name;
        std::function<void()> end;
        bool targetFetched;  // at once; a clipboard manager reads in every case
        int hangups;
        QString error;      // empty: the paste succeeded
        QString clipboard;  // right after the end, and once the paste is over
    };
    const Case cases[] = {
        {"finishPaste(), nothing fetched", [this] { service.finishPaste(); }, false, 0, notDelivered, text},
        {"SIGHUP, nothing fetched", [] { ::raise(SIGHUP); }, false, 1, notDelivered, text},
        {"SIGHUP after the target fetched", [] { ::raise(SIGHUP); }, true, 1, QString(), QStringLiteral("before")},
    };
    service.finishPaste();  // no paste: nothing to do
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clipboard->content = QStringLiteral("before");
        g_hangupsSeen = 0;
        keys->onPaste = [&] {
            clipboard->fetch(false);
            if (c.targetFetched) clipboard->fetch();
        };
        std::optional<QString> rightAfter;  // the clipboard once the end was handled
        QTimer::singleShot(50, [&] { c.end(); });
        QTimer::singleShot(80, [&] { rightAfter = clipboard->content; });
        // (The settle time keeps a fetched paste waiting past the end.)
        EXPECT_EQ(inject(text).error, c.error);
        EXPECT_EQ(rightAfter, c.clipboard);
        EXPECT_EQ(clipboard->content, c.clipboard);
        EXPECT_EQ(g_hangupsSeen, c.hangups);
        struct sigaction current {};
        sigaction(SIGHUP, nullptr, &current);
        EXPECT_EQ(current.sa_handler, &countHangup);
    }
}

TEST_F(TextInjectionServiceTest, OperationsRunOneAtATimeAfterTheModifiersAreReleased) {
    keys->holdingModifiers = true;
    QTimer::singleShot(100, [this] {
        EXPECT_TRUE(keys->events.isEmpty());  // nothing sent while Alt is still down
        keys->holdingModifiers = false;
    });
    QCoro::Task<void> first = service.injectText(QStringLiteral("abc"), TextInjectionMode::keystroke);
    QCoro::Task<void> second = service.deleteLastCharacters(2);
    QCoro::Task<void> third = service.injectText(QStringLiteral("今天"), TextInjectionMode::automatic);
    QCoro::Task<void> fourth = service.undo();
    ASSERT_TRUE(await(std::move(fourth)).ok());
    EXPECT_EQ(keys->events.join(' '), QStringLiteral("a b c ⌫ ⌫ ^V ^Z"));
    EXPECT_FALSE(keys->releasedModifiers);
}

}  // namespace
