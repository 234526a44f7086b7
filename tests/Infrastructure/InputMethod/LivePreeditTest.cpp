// The live partial transcript as preedit through the fcitx5 bridge: the dictation controller
// with a scripted recognizer, typing through the bridge's client, against a fake fcitx5 on a
// private bus that records commits and preedit calls in the order they arrive.
#include "support/BridgedDictation.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/LogCapture.h"
#include "support/PrivateBus.h"

#include <QRegularExpression>

using namespace vocena;
using namespace vocena::test;

namespace {

class LivePreeditTest : public ::testing::Test {
protected:
    LivePreeditTest() { EXPECT_TRUE(fake.start()); }
    ~LivePreeditTest() override {
        preedit.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    void start() { ASSERT_TRUE(await(service.startVoiceInput()).ok()); }
    // Waits until the bus has carried every call made so far (Version is answered after them).
    void settle() { ASSERT_TRUE(await(bridge->checkAvailability()).ok()); }

    PrivateBus bus;
    FakeFcitx5Bridge fake{bus.address()};
    std::unique_ptr<Fcitx5Bridge> bridge = std::make_unique<Fcitx5Bridge>(
        QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("client")));
    BridgedDictation dictation{*bridge};
    VoiceInputService& service = dictation.service;
    ScriptedRecognizer& recognizer = dictation.recognizer;
    Preferences& prefs = dictation.prefs;
    std::unique_ptr<LivePreedit>& preedit = dictation.preedit;
    LogCapture log;
};

}  // namespace

// Partials show while the recording runs, a burst of them is coalesced to the latest, and the
// preedit is cleared when the recording ends, before the final text is committed.
TEST_F(LivePreeditTest, PartialsAreShownCoalescedAndClearedBeforeTheCommit) {
    dictation.follow();
    start();
    // One call in flight at a time: what arrives meanwhile is replaced by the latest text.
    for (const QString& text : {QStringLiteral("今"), QStringLiteral("今天"), QStringLiteral("今天天"), QStringLiteral("今天天气很")})
        recognizer.partial(text);
    ASSERT_TRUE(waitUntil([&] { return fake.events.size() == 2; }));
    service.stopVoiceInput();
    recognizer.final(QStringLiteral("今天天气很好"));
    ASSERT_TRUE(waitUntil([&] { return !fake.committed.isEmpty(); }));
    settle();
    EXPECT_EQ(fake.events, QStringList({QStringLiteral("preedit 今"), QStringLiteral("preedit 今天天气很"), QStringLiteral("clear"),
                                        QStringLiteral("commit 今天天气很好")}));
    // The transcript is shown in the field only, never written to the log.
    for (const QString& line : log.lines()) EXPECT_FALSE(line.contains(QStringLiteral("今天"))) << line.toStdString();
}

// How a recording ends, or what keeps the preedit away, and the calls fcitx5 then sees. (With
// another typing backend there is no bridge to call: every dictation test without fcitx5 runs that.)
TEST_F(LivePreeditTest, EveryEndClearsThePreeditAndNothingIsSentWhenItIsNotWanted) {
    struct Case {
        const char* name;
        bool preference, focused;
        std::function<void()> end;
        QStringList events;
    };
    const auto stop = [this] { service.stopVoiceInput(); };
    const QStringList shownThenCleared{QStringLiteral("preedit 你好"), QStringLiteral("clear")};
    const QList<Case> cases{
        {"a recognition error", true, true, [this] { recognizer.fail(); }, shownThenCleared},
        {"a quit: the dictation stack goes away mid-recording", true, true, [this] { preedit.reset(); }, shownThenCleared},
        {"the preference is off", false, true, stop, {}},
        {"no field has the focus", true, false, stop, {QStringLiteral("clear")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.events.clear();
        fake.focused = c.focused;
        ASSERT_TRUE(prefs.setValue(LivePreedit::preferenceKey, c.preference).isEmpty());
        dictation.follow();
        start();
        recognizer.partial(QStringLiteral("你好"));
        settle();
        c.end();
        if (service.isRecording()) service.stopVoiceInput();
        if (recognizer.isRecognizing()) recognizer.final(QString());
        ASSERT_TRUE(waitUntil([&] { return !service.isProcessing() && service.pendingInjections() == 0; }));
        settle();
        // (The words said before an error are still typed: after the clear.)
        const QStringList preeditCalls = fake.events.filter(QRegularExpression(QStringLiteral("^(preedit|clear)")));
        EXPECT_EQ(preeditCalls, c.events);
        const qsizetype firstCommit = fake.events.indexOf(QRegularExpression(QStringLiteral("^commit")));
        if (firstCommit >= 0) {
            EXPECT_LT(fake.events.lastIndexOf(QRegularExpression(QStringLiteral("^(preedit|clear)"))), firstCommit);
        }
        // A partial after the end shows nothing.
        const qsizetype before = fake.events.size();
        recognizer.partial(QStringLiteral("再见"));
        settle();
        EXPECT_EQ(fake.events.size(), before);
    }
}
