// The fcitx5 bridge addon in a real fcitx5 (keyboard engine only) on the private session bus
// and Xvfb display of the test, with a Qt text field of this process talking to fcitx5
// through its input-method plugin: text, keys and preedit over D-Bus, the key signals, and a
// dictation's live preedit through the app's client.
#include "support/AsyncTest.h"
#include "support/BridgedDictation.h"
#include "support/CliRunner.h"
#include "support/Fcitx5Daemon.h"
#include "support/FocusedTextField.h"
#include "support/X11Selections.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

using namespace vocena;
using test::FocusedTextField;
using test::waitUntil;

namespace {

// Qt picks its input-method plugin when the application starts, before any test runs.
const bool imModuleChosen = qputenv("QT_IM_MODULE", "fcitx");

constexpr uint altL = 0xffe9, backSpace = 0xff08, keyA = 0x61, controlState = 1u << 2;
const QString noFocus = QStringLiteral("com.vocena.Fcitx5Bridge1.Error.NoFocus");

QDBusMessage callBridge(const QString& method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(test::Fcitx5Daemon::service),
                                                      QStringLiteral("/com/vocena/Fcitx5Bridge"),
                                                      QStringLiteral("com.vocena.Fcitx5Bridge1"), method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

// An empty preedit changes nothing where a field has focus and is refused where none has.
bool someFieldHasFocus() { return callBridge(QStringLiteral("SetPreedit"), {QString()}).type() == QDBusMessage::ReplyMessage; }
bool noFieldHasFocus() { return callBridge(QStringLiteral("SetPreedit"), {QString()}).errorName() == noFocus; }

// The bridge's key signals as a client of the session bus receives them.
class BridgeSignals : public QObject {
    Q_OBJECT
public:
    BridgeSignals() {
        auto bus = QDBusConnection::sessionBus();
        const QString path = QStringLiteral("/com/vocena/Fcitx5Bridge"), iface = QStringLiteral("com.vocena.Fcitx5Bridge1");
        bus.connect(QString(), path, iface, QStringLiteral("ModifierKey"), this, SLOT(onModifierKey(uint, bool)));
        bus.connect(QString(), path, iface, QStringLiteral("OtherKey"), this, SLOT(onOtherKey()));
    }
    std::vector<std::pair<uint, bool>> modifiers;
    int otherKeys = 0;

private Q_SLOTS:
    void onModifierKey(uint keysym, bool pressed) { modifiers.emplace_back(keysym, pressed); }
    void onOtherKey() { ++otherKeys; }
};

// The preedit a text field is shown (the input-method events it receives).
class PreeditRecorder : public QObject {
public:
    explicit PreeditRecorder(QWidget* field) { field->installEventFilter(this); }
    QString preedit;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::InputMethod) preedit = static_cast<QInputMethodEvent*>(event)->preeditString();
        return false;
    }
};

class Fcitx5BridgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(imModuleChosen);
        home = std::make_unique<QTemporaryDir>();
        daemon = std::make_unique<test::Fcitx5Daemon>(home->path());
        ASSERT_TRUE(daemon->ownsName()) << daemon->output().toStdString();
        std::cout << "fcitx5 owned its bus name after " << daemon->startMs() << " ms\n";
    }
    static void TearDownTestSuite() {
        daemon.reset();
        home.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(daemon && daemon->ownsName());
        // fcitx5 answers once all its addons are loaded.
        QDBusMessage version;
        EXPECT_TRUE(waitUntil([&] { return (version = callBridge(QStringLiteral("Version"))).type() == QDBusMessage::ReplyMessage; }, 5000));
        ASSERT_EQ(version.arguments().value(0).toUInt(), 1u) << version.errorMessage().toStdString();
    }

    // A focused single-line field whose input context fcitx5 has focused.
    static std::unique_ptr<FocusedTextField> focusedField() {
        auto field = std::make_unique<FocusedTextField>(FocusedTextField::Kind::singleLine);
        EXPECT_TRUE(waitUntil(someFieldHasFocus, 5000));
        return field;
    }

    static inline std::unique_ptr<QTemporaryDir> home;
    static inline std::unique_ptr<test::Fcitx5Daemon> daemon;
};

TEST_F(Fcitx5BridgeTest, RefusesWhenNoFieldHasFocus) {
    ASSERT_TRUE(waitUntil(noFieldHasFocus, 5000));
    const struct {
        const char* method;
        QVariantList args;
        QString error;
    } cases[] = {
        {"CommitText", {QStringLiteral("你好")}, noFocus},
        {"ForwardKey", {backSpace, 0u}, noFocus},
        {"SetPreedit", {QStringLiteral("你")}, noFocus},
        {"CommitText", {QString()}, QStringLiteral("com.vocena.Fcitx5Bridge1.Error.Empty")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(callBridge(QString::fromLatin1(c.method), c.args).errorName(), c.error) << c.method;
    EXPECT_EQ(callBridge(QStringLiteral("ClearPreedit")).type(), QDBusMessage::ReplyMessage);
}

TEST_F(Fcitx5BridgeTest, CommitsTextExactlyWithoutTheClipboardAndForwardsKeys) {
    const QString clipboard = QStringLiteral("剪贴板里原来的内容");
    test::setSelectionInAnotherApplication(clipboard);
    auto field = focusedField();

    const QString text = QStringLiteral("你好，世界！🙂");
    const QDBusMessage reply = callBridge(QStringLiteral("CommitText"), {text});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().value(0).toString(), QCoreApplication::applicationName());
    EXPECT_EQ(field->waitForText(text), text);
    EXPECT_EQ(test::selectionSeenByOthers(), clipboard);

    // One backspace takes one character (the emoji is two UTF-16 units), then Control+A and a
    // backspace empty the field: the modifier states reach the application.
    callBridge(QStringLiteral("ForwardKey"), {backSpace, 0u});
    EXPECT_EQ(field->waitForText(QStringLiteral("你好，世界！")), QStringLiteral("你好，世界！"));
    callBridge(QStringLiteral("ForwardKey"), {keyA, controlState});
    callBridge(QStringLiteral("ForwardKey"), {backSpace, 0u});
    EXPECT_EQ(field->waitForText(QString()), QString());
}

TEST_F(Fcitx5BridgeTest, SignalsModifiersAndOtherKeysWithoutTheirIdentity) {
    // Everything the bridge sends on the bus, as any other client of the session could read it.
    QProcess monitor;
    monitor.start(QStringLiteral("dbus-monitor"), {QStringLiteral("--session"), QStringLiteral("path='/com/vocena/Fcitx5Bridge'")});
    QByteArray seen;
    const auto monitorSaw = [&](const char* what) {
        return waitUntil([&] { return seen.append(monitor.readAllStandardOutput()).contains(what); }, 5000);
    };
    ASSERT_TRUE(monitorSaw("NameAcquired"));
    BridgeSignals signals_;
    auto field = focusedField();

    test::xdotool(QStringLiteral("keydown Alt_L keyup Alt_L"));
    ASSERT_TRUE(waitUntil([&] { return signals_.modifiers.size() >= 2; }, 5000));
    EXPECT_EQ(signals_.modifiers[0], std::make_pair(altL, true));
    EXPECT_EQ(signals_.modifiers[1], std::make_pair(altL, false));
    EXPECT_EQ(signals_.otherKeys, 0);

    test::xdotool(QStringLiteral("key a"));
    EXPECT_TRUE(waitUntil([&] { return signals_.otherKeys == 1; }, 5000));
    EXPECT_EQ(field->waitForText(QStringLiteral("a")), QStringLiteral("a"));
    ASSERT_TRUE(monitorSaw("member=OtherKey"));
    EXPECT_FALSE(seen.contains("uint32 97")) << seen.toStdString();
    monitor.terminate();
    monitor.waitForFinished(5000);
}

TEST_F(Fcitx5BridgeTest, PreeditIsReplacedByTheCommitAndNeverOutlivesTheFocus) {
    auto field = focusedField();
    QWidget* lineEdit = QApplication::focusWidget();
    PreeditRecorder recorder(lineEdit);

    ASSERT_EQ(callBridge(QStringLiteral("SetPreedit"), {QStringLiteral("正在听")}).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitUntil([&] { return recorder.preedit == QStringLiteral("正在听"); }, 5000)) << recorder.preedit.toStdString();
    EXPECT_EQ(field->text(), QString());
    callBridge(QStringLiteral("CommitText"), {QStringLiteral("最终的文字")});
    EXPECT_EQ(field->waitForText(QStringLiteral("最终的文字")), QStringLiteral("最终的文字"));
    EXPECT_TRUE(waitUntil([&] { return recorder.preedit.isEmpty(); }, 5000));

    // The field loses focus to another window while a partial transcript is shown: the partial
    // text becomes text nowhere, and the next commit goes to the field that has focus now.
    callBridge(QStringLiteral("SetPreedit"), {QStringLiteral("半句")});
    ASSERT_TRUE(waitUntil([&] { return recorder.preedit == QStringLiteral("半句"); }, 5000));
    auto other = focusedField();
    callBridge(QStringLiteral("CommitText"), {QStringLiteral("后来")});
    EXPECT_EQ(other->waitForText(QStringLiteral("后来")), QStringLiteral("后来"));
    EXPECT_EQ(field->text(), QStringLiteral("最终的文字"));

    // Back in the first field, its partial text is gone.
    other.reset();
    lineEdit->activateWindow();
    lineEdit->setFocus();
    ASSERT_TRUE(waitUntil([&] { return lineEdit->hasFocus() && lineEdit->isActiveWindow() && someFieldHasFocus(); }, 5000));
    EXPECT_TRUE(waitUntil([&] { return recorder.preedit.isEmpty(); }, 5000)) << recorder.preedit.toStdString();
    EXPECT_EQ(field->text(), QStringLiteral("最终的文字"));
}

// A dictation through the app's client: the partial transcript shows as preedit in the focused
// field while the recording runs, and the final text takes its place, with no preedit left.
TEST_F(Fcitx5BridgeTest, DictationShowsItsPartialTranscriptAsPreeditUntilTheFinalTextIsCommitted) {
    auto field = focusedField();
    PreeditRecorder recorder(QApplication::focusWidget());
    Fcitx5Bridge bridge(QDBusConnection::sessionBus());
    test::BridgedDictation dictation(bridge);
    dictation.follow(&bridge);

    ASSERT_TRUE(test::await(dictation.service.startVoiceInput()).ok());
    dictation.recognizer.partial(QStringLiteral("今天天气"));
    EXPECT_TRUE(waitUntil([&] { return recorder.preedit == QStringLiteral("今天天气"); }, 5000)) << recorder.preedit.toStdString();
    EXPECT_EQ(field->text(), QString());

    dictation.service.stopVoiceInput();
    dictation.recognizer.final(QStringLiteral("今天天气很好。"));
    EXPECT_EQ(field->waitForText(QStringLiteral("今天天气很好。")), QStringLiteral("今天天气很好。"));
    EXPECT_TRUE(waitUntil([&] { return recorder.preedit.isEmpty() && !dictation.service.isProcessing(); }, 5000));
    EXPECT_TRUE(dictation.x11.typed.isEmpty()) << dictation.x11.typed.join(u'|').toStdString();
}

}  // namespace

#include "Fcitx5BridgeTest.moc"
