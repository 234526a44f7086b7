// The app over the real fcitx5 bridge: fcitx5 with the bridge addon of the build tree on the
// test's session bus (dbus-run-session) and Xvfb display, a Qt field of this process talking to
// fcitx5 through Qt's fcitx input-method plugin, the built `vocena` as a process of its own for
// the commands, and the gesture monitor of this process fed by the bridge's key signals.
// Without an X display the commands run in a Wayland session of a headless sway of the test's
// own, whose virtual keyboard and clipboard the bridge comes before.
#include "Infrastructure/Hotkey/HotkeyPlatform.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "support/AppDriver.h"
#include "support/Fcitx5Daemon.h"
#include "support/FocusedTextField.h"
#include "support/HeadlessSway.h"
#include "support/RecordingModifierKeyDelegate.h"
#include "support/ScopedEnv.h"
#include "support/X11Selections.h"

#include <QCoro/QCoroTask>

using namespace vocena;
using test::FocusedTextField;
using test::ProcessResult;
using test::setEmptyPreedit;
using test::someFieldHasFocus;
using test::waitUntil;

namespace {

// Qt picks its input-method plugin when the application starts, before any test runs.
const bool imModuleChosen = qputenv("QT_IM_MODULE", "fcitx");

bool noFieldHasFocus() { return setEmptyPreedit().errorName() == Fcitx5Bridge::noFocusError; }

class Fcitx5EndToEndTest : public test::AppDriver {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(imModuleChosen);
        keepActivatedServicesInTheTestHome();
        home = std::make_unique<QTemporaryDir>();
        startFcitx5();
    }
    // fcitx5 with the bridge of the build tree; a running one ends first.
    static void startFcitx5() {
        daemon.reset();
        daemon = std::make_unique<test::Fcitx5Daemon>(home->path());
        ASSERT_TRUE(daemon->ownsName()) << daemon->output().toStdString();
    }
    static void TearDownTestSuite() {
        daemon.reset();
        home.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(daemon && daemon->ownsName());
        bus = sessionBus();
    }

    // What the bus starts on demand (the Secret Service `vocena doctor` asks) runs with the
    // test's home and folders, not the user's.
    static void keepActivatedServicesInTheTestHome() {
        const ProcessResult updated = test::runProcess(QStringLiteral("dbus-update-activation-environment"),
                                                       {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"});
        ASSERT_EQ(updated.exitCode, 0) << updated.err.toStdString();
    }

    // A focused single-line field (it has undo) whose input context fcitx5 has focused.
    static std::unique_ptr<FocusedTextField> focusedField() {
        auto field = std::make_unique<FocusedTextField>(FocusedTextField::Kind::singleLine);
        EXPECT_TRUE(waitUntil(someFieldHasFocus, 5000));
        return field;
    }

    // A window of this process with the keyboard focus and no text input: fcitx5 has no focused
    // input context, and the keys typed there never reach it.
    static std::unique_ptr<QWidget> windowWithoutTextInput() {
        auto window = std::make_unique<QWidget>();
        window->setFocusPolicy(Qt::StrongFocus);
        window->resize(200, 100);
        window->show();
        window->activateWindow();
        window->setFocus();
        EXPECT_TRUE(waitUntil([&] { return window->isActiveWindow() && noFieldHasFocus(); }, 5000));
        return window;
    }

    // The process's monitor as the app sets it up in a Wayland session with fcitx5, reporting to
    // `delegate`.
    void startGestureMonitor() {
        ASSERT_EQ(QCoro::waitFor(InputBackendPlatform::choose(Preferences::standard())).backend, InjectionBackend::fcitx5);
        ASSERT_TRUE(HotkeyPlatform::install());
        ModifierKeyMonitor::shared().delegate = &delegate;
        ModifierKeyMonitor::shared().startMonitoring();
    }
    void TearDown() override {
        AppDriver::TearDown();
        ModifierKeyMonitor::shared().stopMonitoring();
        ModifierKeyMonitor::shared().delegate = nullptr;
    }

    // The gestures of `keys` typed into a focused field, or into a window without text input.
    // Then, with a field focused, Alt+Control held follows as a marker, far enough not to cancel
    // a double tap still waiting: the gestures are complete when the marker's has come, and a
    // tap the monitor saw before it would be there.
    QStringList gesturesOf(const QString& keys, bool intoField) {
        delegate.gestures.clear();
        std::unique_ptr<FocusedTextField> field;
        std::unique_ptr<QWidget> elsewhere;
        if (intoField) field = focusedField();
        else elsewhere = windowWithoutTextInput();
        test::xdotool(keys + QStringLiteral(" sleep 0.6"));
        if (!field) field = focusedField();
        test::xdotool(QStringLiteral("keydown Control_L keydown Alt_L sleep 0.4 keyup Alt_L keyup Control_L"));
        const bool marked =
            waitUntil([&] { return !delegate.gestures.isEmpty() && delegate.gestures.last().startsWith(QLatin1String("combo")); }, 5000);
        EXPECT_TRUE(marked) << delegate.gestures.join(QLatin1Char(' ')).toStdString();
        QStringList names;
        for (const QString& gesture : delegate.gestures) names << gesture.section(QLatin1Char('@'), 0, 0);
        if (marked) {
            EXPECT_EQ(names.takeLast(), QStringLiteral("combo(option,control)"));
        }
        return names;
    }

    const test::ScopedEnv wayland{"XDG_SESSION_TYPE", "wayland"};
    test::RecordingModifierKeyDelegate delegate{Clock::system(), Clock::system().now()};
    const QString doubleTap = QStringLiteral("doubleTap");

    static inline std::unique_ptr<QTemporaryDir> home;
    static inline std::unique_ptr<test::Fcitx5Daemon> daemon;
};

TEST_F(Fcitx5EndToEndTest, CommandsTypeDeleteAndUndoThroughTheBridgeWithoutTheClipboard) {
    const QString copied = QStringLiteral("剪贴板里原来的内容");
    test::setSelectionInAnotherApplication(copied);
    const test::HeadlessSway sway;
    ASSERT_TRUE(sway.cannotSwitchUser() || !sway.socket().isEmpty()) << sway.problem().toStdString();
    auto field = focusedField();

    const QString sentence = QStringLiteral("你好，世界！🙂");
    const QStringList type{QStringLiteral("type")}, inject{QStringLiteral("process"), QStringLiteral("--inject")};
    const struct {
        QStringList command;
        QString input;
        bool x11;
        QString expected;
        QStringList shortcuts;  // the Control shortcuts the field received
    } steps[] = {
        {type, sentence, true, sentence, {}},  // committed: no paste
        // Where only the bridge reaches the field: the compositor's typing would miss it.
        {inject, QStringLiteral("删除最后三个字"), false, QStringLiteral("你好，世"), {}},  // the emoji is one
        {inject, QStringLiteral("撤销"), false, sentence, {QStringLiteral("Ctrl+Z")}},
        {type, QStringLiteral("又一句"), false, sentence + QStringLiteral("又一句"), {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE((step.command.join(QLatin1Char(' ')) + QLatin1Char(' ') + step.input + (step.x11 ? "" : " (no X11)")).toStdString());
        field->shortcuts.clear();
        env = step.x11 ? QStringList() : QStringList{QStringLiteral("DISPLAY"), "WAYLAND_DISPLAY=" + sway.socket()};
        EXPECT_TRUE(test::exits(run(step.command, step.input.toUtf8()), 0));
        EXPECT_EQ(field->waitForText(step.expected), step.expected);
        EXPECT_EQ(field->shortcuts, step.shortcuts);
    }
    // Nothing was copied: the other application still serves what it copied.
    EXPECT_EQ(test::selectionSeenByOthers(), copied);
}

// In a Wayland session the monitor of this process takes its keys from the bridge: what is
// typed into the focused field (by xdotool, the keys Qt's fcitx plugin hands to fcitx5) is a
// gesture, once; what is typed where no input context has the focus is not seen at all (the
// XInput2 source, which sees every key of the display, is not the one running).
TEST_F(Fcitx5EndToEndTest, BridgeKeysAreTheGestureSourceInAWaylandSession) {
    startGestureMonitor();
    const struct {
        const char* keys;
        bool intoField;  // else into a window without text input
        QStringList gestures;
    } cases[] = {
        {"keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L", true, {doubleTap}},
        {"keydown Alt_R keyup Alt_R keydown Alt_R keyup Alt_R", true, {doubleTap}},
        {"keydown Alt_L key Tab keyup Alt_L keydown Alt_L key Tab keyup Alt_L", true, {}},
        {"keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L", false, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(gesturesOf(QString::fromLatin1(c.keys), c.intoField), c.gestures) << c.keys;
}

// fcitx5 restarted under the running app (as after installing the bridge): typing and the
// gesture go on through the new fcitx5.
TEST_F(Fcitx5EndToEndTest, KeepsWorkingWhenFcitx5Restarts) {
    startGestureMonitor();
    startFcitx5();

    auto field = focusedField();
    const QString text = QStringLiteral("重启以后");
    QCoro::waitFor(InputBackendPlatform::injector()->injectText(text, TextInjectionMode::automatic));
    EXPECT_EQ(field->waitForText(text), text);
    EXPECT_EQ(field->shortcuts, QStringList());  // committed, not pasted
    field.reset();
    EXPECT_EQ(gesturesOf(QStringLiteral("keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L"), true), QStringList{doubleTap});
}

}  // namespace
