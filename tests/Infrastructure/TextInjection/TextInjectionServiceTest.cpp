// The injection logic over recording doubles: which texts are typed and which pasted, the
// clipboard's round trip, errors, and the order of operations; and where nothing can type, the
// text kept on the clipboard. Real X11 is in X11TextInjectionTest, wlroots in WlrootsEndToEndTest.
#include "Infrastructure/TextInjection/ClipboardBackend.h"
#include "Infrastructure/TextInjection/ClipboardOnlyInjector.h"
#include "Infrastructure/TextInjection/KeyEventSink.h"
#include "Infrastructure/TextInjection/PasteSignalGuard.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "support/AsyncTest.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>
#include <csignal>

using namespace vocena;
using vocena::test::await;

namespace {

// Records the key events the service sends: each typed character, "⌫", "^Z", and the paste
// keys "^V", "^⇧V", "⇧Insert".
class FakeKeyEventSink final : public KeyEventSink {
public:
    bool available = true;
    bool holdingModifiers = false, releasedModifiers = false;
    std::function<void()> onPaste;  // the target reacting to the paste shortcut
    QStringList events;

    bool isAvailable() override { return available; }
    bool canType(char32_t) override { return true; }  // (a character without a key: X11TextInjectionTest)
    bool typeCharacter(char32_t character) override {
        events << QString(QChar(character));
        return true;
    }
    void pressBackspace() override { events << QStringLiteral("⌫"); }
    void pressUndo() override { events << QStringLiteral("^Z"); }
    PasteMethod focusedPasteMethod() override { return {}; }
    void pressPaste(PasteKey key) override {
        events << QString::fromUtf8(key == PasteKey::controlV ? "^V" : key == PasteKey::controlShiftV ? "^⇧V" : "⇧Insert");
        if (onPaste) onPaste();
    }
    bool modifiersHeld() override { return holdingModifiers; }
    void releaseModifiers() override {
        releasedModifiers = true;
        holdingModifiers = false;
    }
};

// A clipboard holding one text. The test plays the target application by calling fetch(); which
// reads are the target's is the real clipboards' to tell (X11TextInjectionTest, WlrDataControlClipboardTest).
class FakeClipboardBackend final : public ClipboardBackend {
public:
    std::optional<QString> content;
    bool refuseWrites = false, fetched = false;

    bool offer(const QString& text, PasteSelection) override {
        if (refuseWrites) return false;
        m_previous = std::exchange(content, text);
        m_offered = true;
        fetched = false;
        return true;
    }
    bool offeredTextFetched() const override { return fetched; }
    void restore() override {
        if (m_offered && m_previous) content = m_previous;
        m_offered = false;
    }
    void keepOffered() override { m_offered = false; }
    QString fetch() {
        fetched = true;
        return content.value_or(QString());
    }

private:
    std::optional<QString> m_previous;
    bool m_offered = false;
};

const QString notDelivered = QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴");

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
    test::Outcome<bool> inject(const QString& text) { return await(service.injectText(text, TextInjectionMode::automatic)); }
};

TEST_F(TextInjectionServiceTest, AutomaticModeTypesShortTypeableTextAndPastesTheRest) {
    const QString typed = QStringLiteral("a-b_c!?\t1\n");  // 10 characters, all on keys
    // 11 characters; Chinese; é as e + combining accent.
    for (const QString& text : {typed, QStringLiteral("Hello world"), QStringLiteral("今天天气很好"), QStringLiteral("e\u0301x")}) {
        SCOPED_TRACE(text.toStdString());
        keys->events.clear();
        ASSERT_TRUE(inject(text).ok());
        EXPECT_EQ(keys->events.join(QString()), text == typed ? typed : QStringLiteral("^V"));
        EXPECT_EQ(clipboard->content, QStringLiteral("before"));
    }
}

TEST_F(TextInjectionServiceTest, FailuresLeaveTheClipboardAsItWas) {
    keys->available = false;
    EXPECT_EQ(inject(QStringLiteral("今天")).error, QStringLiteral("没有发送按键的权限"));
    keys->available = true;  // (empty text: TypeCommandTest)

    clipboard->refuseWrites = true;
    EXPECT_EQ(inject(QStringLiteral("今天")).error, QStringLiteral("剪贴板写入失败"));
    EXPECT_TRUE(keys->events.isEmpty());
    EXPECT_EQ(clipboard->content, QStringLiteral("before"));
}

// The old content comes back once the target has fetched the text, and not before the settle
// time. (A target that never fetches, the text then left on the clipboard: X11TextInjectionTest
// and TypeCommandTest; a terminal's key and selection: X11TerminalPasteTest, on real terminals.)
TEST_F(TextInjectionServiceTest, ClipboardComesBackOnlyWhenTheFocusedApplicationFetchedTheText) {
    const QString text = QStringLiteral("今天天气很好");
    const struct {
        const char* name;
        int targetFetchesAfter;  // ms after the paste key
        int atLeast;             // ms before injectText() returns
    } cases[] = {
        {"quick target, still the settle time", 0, 100},
        {"a late target", 300, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clipboard->content = QStringLiteral("before");
        std::optional<QString> targetGot;
        keys->onPaste = [&] { QTimer::singleShot(c.targetFetchesAfter, [&, this] { targetGot = clipboard->fetch(); }); };
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(inject(text).ok());
        EXPECT_GE(timer.elapsed(), c.atLeast);
        EXPECT_EQ(targetGot, text);
        EXPECT_EQ(clipboard->content, QStringLiteral("before"));
    }
}

volatile std::sig_atomic_t g_hangupsSeen = 0;
extern "C" void countHangup(int) { g_hangupsSeen = g_hangupsSeen + 1; }

// A signal ends a waiting paste the target has fetched: the old content comes back at once,
// and the process's own handler runs after it. (A paste nobody fetched keeps its text on the
// clipboard past a signal: TypeCommandTest.)
TEST_F(TextInjectionServiceTest, ASignalEndsAFetchedPasteAndThenReachesTheProcesssOwnHandler) {
    // The process's own SIGHUP handler (as `vocena listen` has for SIGINT): it runs after the
    // paste has ended, and is in place again once the paste is over.
    const auto previous = std::signal(SIGHUP, countHangup);
    const auto restoreHandler = qScopeGuard([previous] { std::signal(SIGHUP, previous); });
    new PasteSignalGuard(service);
    service.finishPaste();  // no paste: nothing to do
    std::optional<QString> rightAfter;  // the clipboard once the end was handled
    QTimer::singleShot(50, [] { ::raise(SIGHUP); });
    QTimer::singleShot(80, [&] { rightAfter = clipboard->content; });
    // (The settle time keeps a fetched paste waiting past the end.)
    EXPECT_TRUE(inject(QStringLiteral("今天")).ok());
    EXPECT_EQ(rightAfter, QStringLiteral("before"));
    EXPECT_EQ(g_hangupsSeen, 1);
    EXPECT_EQ(std::signal(SIGHUP, countHangup), &countHangup);  // (the handler in place, put back)
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

// Where nothing can type, the text is kept on the clipboard: nothing comes back over it. (The
// messages of a text left on the clipboard are TrayAppTest's; a clipboard that refuses it, the
// text then kept nowhere and shown, TypeCommandTest's.)
TEST(ClipboardOnlyInjectorTest, TheTextIsKeptOnTheClipboard) {
    const QString text = QStringLiteral("今天天气很好");
    auto* clipboard = new FakeClipboardBackend;
    clipboard->content = QStringLiteral("before");
    ClipboardOnlyInjector injector{std::unique_ptr<ClipboardBackend>(clipboard)};
    test::LogCapture log;
    EXPECT_EQ(await(injector.injectText(text, TextInjectionMode::automatic)).error, notDelivered);
    clipboard->restore();
    EXPECT_EQ(clipboard->content, text);
}

}  // namespace
