// `vocena` without arguments as a process: the tray app on a private session bus, X display
// (trayer as the tray host) and PulseAudio, with the generated speech model. A dictation
// started by `vocena toggle` or a double tap of Alt types into a focused field of this process;
// a second start hands over; `vocena quit` and SIGTERM end it cleanly.
#include "support/AppDriver.h"
#include "support/FakeGlobalShortcutsPortal.h"
#include "support/FocusedTextField.h"
#include "support/PrivateDisplay.h"
#include "support/ScopedEnv.h"
#include "support/SpeechTestAssets.h"
#include "support/TrayHost.h"
#include "support/X11Selections.h"

#include <csignal>

using namespace vocena::test;

namespace {

class TrayAppTest : public AppDriver {
protected:
    TrayHost tray;
    const QString speech = SpeechTestAssets::shared().speechWav();
    void installModel() const { install(SpeechTestAssets::shared().model(QStringLiteral("good"))); }
    void command(const char* name) { EXPECT_TRUE(exits(run({QString::fromLatin1(name)}), 0)); }
    const std::function<void()> toggle = [this] { command("toggle"); };
};

}  // namespace

// A model installed while the app runs is loaded at once; a dictation started and stopped from
// the command line (or started by the gesture) types what was said.
TEST_F(TrayAppTest, ToggleFromTheCommandLineOrTheGestureTypesTheSpeech) {
    ASSERT_TRUE(tray.waitUntilReady());
    ASSERT_NO_FATAL_FAILURE(startApp());
    EXPECT_TRUE(logShows(QStringLiteral("没有可用的语音模型")));
    ASSERT_NO_FATAL_FAILURE(installModel());
    EXPECT_TRUE(logShows({"重新加载听写", "语音模型占用"}));
    const auto quit = [this] { command("quit"); };
    // A non-streaming model installed meanwhile is loaded too: what it hears (您好…) is typed,
    // where the streaming model alone types 你好…. The memory allowance is measured with every
    // model loaded, the punctuation model too.
    const auto installFinalPass = [this] {
        const SpeechTestAssets& assets = SpeechTestAssets::shared();
        install(SpeechTestAssets::copyFolder(assets.punctuationModel(QStringLiteral("good")), home.filePath(QStringLiteral("src/punctuation"))));
        install(SpeechTestAssets::copyFolder(assets.offlineModel(QStringLiteral("good")), home.filePath(QStringLiteral("src/final-pass"))));
        ASSERT_TRUE(logShows(QStringLiteral("已加载整句识别模型 final-pass")));
        ASSERT_TRUE(logShows(QStringLiteral("语音模型占用")));
        const qsizetype measured = log.lastIndexOf(QStringLiteral("语音模型占用"));
        EXPECT_GT(log.lastIndexOf(QStringLiteral("已加载标点模型")), log.lastIndexOf(QStringLiteral("已加载整句识别模型")));
        EXPECT_LT(log.lastIndexOf(QStringLiteral("已加载标点模型")), measured) << log.toStdString();
    };
    struct Case {
        const char* name;
        std::function<void()> start;
        std::function<void()> stop;
        std::function<void()> before;
        QChar heard;  // what only the model that typed hears
    };
    const QList<Case> cases{
        {"vocena toggle", toggle, toggle, {}, u'你'},
        {"with the final pass", toggle, toggle, installFinalPass, u'您'},
        {"quit while recognizing: the words are typed before the app ends", doubleTapAlt, quit, {}, u'您'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();  // what the case itself shows, the loading of its model too
        if (c.before) {
            ASSERT_NO_FATAL_FAILURE(c.before());
        }
        FocusedTextField field(FocusedTextField::Kind::singleLine);
        ASSERT_NO_FATAL_FAILURE(dictate(speech, c.start, c.stop, QStringLiteral("状态: 完成 → 延迟隐藏通知栏")));
        EXPECT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }, 5000)) << log.toStdString();
        EXPECT_TRUE(field.text().contains(c.heard)) << field.text().toStdString();
        EXPECT_FALSE(field.text().contains(c.heard == u'你' ? u'您' : u'你')) << field.text().toStdString();
    }
    EXPECT_TRUE(ends());
}

// On a display without XTest, and with no fcitx5, nothing can type: the dictation runs all the
// same, its words go to the clipboard, the user is told so, and the clipboard keeps them after
// the app has quit.
TEST_F(TrayAppTest, WhereNothingCanTypeTheWordsGoToTheClipboard) {
    const PrivateDisplay withoutXTest(QStringLiteral(VOCENA_SOURCE_DIR), QStringLiteral("-extension XTEST"));
    ASSERT_FALSE(withoutXTest.name().isEmpty());
    const ScopedEnv display("DISPLAY", withoutXTest.name().toUtf8());
    ASSERT_NO_FATAL_FAILURE(installModel());
    ASSERT_NO_FATAL_FAILURE(startApp());
    EXPECT_TRUE(logShows({"没有可以输入文字的方式", "识别的文字将复制到剪贴板"}));
    setSelectionInAnotherApplication(QStringLiteral("旧的内容"));
    ASSERT_NO_FATAL_FAILURE(dictate(speech, toggle, toggle, QStringLiteral("识别的文字已复制到剪贴板")));
    EXPECT_TRUE(logShows(QStringLiteral("文字已复制到剪贴板，按 Ctrl+V 粘贴")));
    const QString kept = selectionSeenByOthers();
    EXPECT_FALSE(kept.isEmpty());
    EXPECT_NE(kept, QStringLiteral("旧的内容"));

    command("quit");
    ASSERT_TRUE(ends());
    EXPECT_EQ(selectionSeenByOthers(), kept);
}

// In a Wayland session the app binds its shortcut through the desktop's GlobalShortcuts portal,
// and the shortcut starts and stops a recording.
TEST_F(TrayAppTest, OnWaylandThePortalsShortcutTogglesRecording) {
    const ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    FakeGlobalShortcutsPortal portal(qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    ASSERT_TRUE(portal.start());
    ASSERT_NO_FATAL_FAILURE(installModel());
    ASSERT_NO_FATAL_FAILURE(startApp());
    ASSERT_TRUE(logShows(QStringLiteral("已通过 GlobalShortcuts 门户注册快捷键 toggle-recording")));
    portal.activate(QStringLiteral("toggle-recording"), portal.session);
    EXPECT_TRUE(logShows(QStringLiteral("状态: 正在聆听 → 显示顶部通知栏")));
    log.clear();
    portal.activate(QStringLiteral("toggle-recording"), portal.session);
    EXPECT_TRUE(logShows(QStringLiteral("更新UI状态: 空闲")));
    command("quit");
    EXPECT_TRUE(ends());
}

// A second start, and `vocena settings`, ask the running app to open its settings window (the
// second start ends with 0); `vocena quit` and SIGTERM both end the app the same clean way,
// giving the bus name back; afterwards the commands find no app.
TEST_F(TrayAppTest, SecondStartHandsOverAndQuittingReleasesTheApp) {
    const auto secondStart = [this] { EXPECT_TRUE(exits(run({}), 0, {"已切换到正在运行的澄言"})); };
    const QList<std::tuple<const char*, std::function<void()>, std::function<void()>>> cases{
        {"second start, vocena quit", secondStart, [this] { command("quit"); }},
        {"vocena settings, SIGTERM", [this] { command("settings"); }, [this] { ::kill(pid_t(app.processId()), SIGTERM); }},
    };
    for (const auto& [name, open, quit] : cases) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(startApp());
        open();
        EXPECT_TRUE(logShows(QStringLiteral("设置窗口已打开")));

        quit();
        ASSERT_TRUE(ends());
        EXPECT_TRUE(logHas({"澄言正在退出...", "已释放 D-Bus 名称"}));
        EXPECT_TRUE(exits(run({QStringLiteral("toggle")}), 1, {"澄言未运行"}));
    }
}
