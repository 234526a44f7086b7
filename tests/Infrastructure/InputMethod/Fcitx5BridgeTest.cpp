// The fcitx5 bridge addon in a real fcitx5 (keyboard engine only) on the private session bus
// and Xvfb display of the test, through the app's own client, with a Qt text field of this
// process talking to fcitx5 through its input-method plugin: the refusals without a focused
// field, the key signals, the preedit and the commit.
// Typing, deleting and undoing with the built `vocena` are in Fcitx5EndToEndTest.
#include "support/AsyncTest.h"
#include "support/CliRunner.h"
#include "support/Fcitx5Daemon.h"
#include "support/FocusedTextField.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace vocena;
using namespace vocena::test;

namespace {

// Qt picks its input-method plugin when the application starts, before any test runs.
const bool imModuleChosen = qputenv("QT_IM_MODULE", "fcitx");

// The preedit a text field is shown (the input-method events it receives).
class PreeditRecorder : public QObject {
public:
    explicit PreeditRecorder(QWidget* field) { field->installEventFilter(this); }
    bool shows(const QString& text) { return waitUntil([&] { return preedit == text; }, 5000); }
    QString preedit;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::InputMethod) preedit = static_cast<QInputMethodEvent*>(event)->preeditString();
        return false;
    }
};

// A focused single-line field whose input context fcitx5 has focused.
std::unique_ptr<FocusedTextField> focusedField() {
    auto field = std::make_unique<FocusedTextField>(FocusedTextField::Kind::singleLine);
    EXPECT_TRUE(waitUntil(test::someFieldHasFocus, 5000));
    return field;
}
Fcitx5Bridge::Reply call(QCoro::Task<Fcitx5Bridge::Reply> task) { return await(std::move(task)).value.value_or(Fcitx5Bridge::Reply{}); }

// One fcitx5 for the three sections, each of which leaves no field behind.
TEST(Fcitx5BridgeTest, RefusesWithoutAFocusedFieldSignalsKeysAnonymouslyAndCommitsOverThePreedit) {
    ASSERT_TRUE(imModuleChosen);
    QTemporaryDir home;
    test::Fcitx5Daemon daemon(home.path());
    ASSERT_TRUE(daemon.ownsName()) << daemon.output().toStdString();
    Fcitx5Bridge bridge{QDBusConnection::sessionBus()};
    Fcitx5Bridge::Availability found;  // fcitx5 answers once all its addons are loaded
    EXPECT_TRUE(waitUntil([&] { return (found = *await(bridge.checkAvailability()).value).available; }, 5000));
    ASSERT_EQ(found.detail, QStringLiteral("fcitx5 正在运行，桥接插件版本 1"));
    {
        SCOPED_TRACE("no field has focus");
        ASSERT_TRUE(waitUntil([] { return test::setEmptyPreedit().errorName() == Fcitx5Bridge::noFocusError; }, 5000));
        EXPECT_TRUE(call(bridge.commitText(QStringLiteral("你好"))).noFocus());
        EXPECT_TRUE(call(bridge.forwardKey(0xff08, 0)).noFocus());
    }
    {
        // Any client of the session bus can read the bridge's signals: a modifier key is told by
        // its keysym, any other key only by its being pressed. (The app's monitor following them
        // is in Fcitx5EndToEndTest.)
        SCOPED_TRACE("key signals");
        QProcess monitor;
        monitor.start(QStringLiteral("dbus-monitor"), {QStringLiteral("--session"), QStringLiteral("path='/com/vocena/Fcitx5Bridge'")});
        QString seen;
        const auto monitorSaw = [&](const char* what) {
            return waitUntil([&] { return seen.append(QString::fromUtf8(monitor.readAllStandardOutput())).contains(QLatin1String(what)); }, 5000);
        };
        ASSERT_TRUE(monitorSaw("NameAcquired"));
        auto field = focusedField();
        test::xdotool(QStringLiteral("keydown Alt_L keyup Alt_L key a"));
        EXPECT_EQ(field->waitForText(QStringLiteral("a")), QStringLiteral("a"));
        ASSERT_TRUE(monitorSaw("member=OtherKey"));
        monitor.kill();
        monitor.waitForFinished(5000);
        for (const char* press : {"true", "false"})  // Alt_L
            EXPECT_TRUE(seen.contains(QRegularExpression(QStringLiteral("member=ModifierKey\\s+uint32 65513\\s+boolean ") + QLatin1String(press)))) << press;
        EXPECT_EQ(seen.count(QStringLiteral("member=OtherKey")), 1) << seen.toStdString();
        EXPECT_FALSE(seen.contains(QStringLiteral("uint32 97"))) << seen.toStdString();
    }
    // The commit is exact, answers with the receiving program and replaces the preedit; a
    // preedit never outlives the focus of its field.
    SCOPED_TRACE("preedit and commit");
    auto field = focusedField();
    QWidget* lineEdit = QApplication::focusWidget();
    PreeditRecorder recorder(lineEdit);

    ASSERT_TRUE(call(bridge.setPreedit(QStringLiteral("正在听"))).ok);
    EXPECT_TRUE(recorder.shows(QStringLiteral("正在听"))) << recorder.preedit.toStdString();
    EXPECT_EQ(field->text(), QString());
    const QString text = QStringLiteral("最终的文字🙂");
    EXPECT_EQ(call(bridge.commitText(text)).value, QCoreApplication::applicationName());
    EXPECT_EQ(field->waitForText(text), text);
    EXPECT_TRUE(recorder.shows(QString()));

    // The field loses focus to another window while a partial transcript is shown: the partial
    // text becomes text nowhere, and the next commit goes to the field that has focus now.
    call(bridge.setPreedit(QStringLiteral("半句")));
    ASSERT_TRUE(recorder.shows(QStringLiteral("半句")));
    auto other = focusedField();
    call(bridge.commitText(QStringLiteral("后来")));
    EXPECT_EQ(other->waitForText(QStringLiteral("后来")), QStringLiteral("后来"));
    EXPECT_EQ(field->text(), text);

    // Back in the first field, its partial text is gone.
    other.reset();
    lineEdit->activateWindow();
    lineEdit->setFocus();
    ASSERT_TRUE(waitUntil([&] { return lineEdit->hasFocus() && lineEdit->isActiveWindow() && test::someFieldHasFocus(); }, 5000));
    EXPECT_TRUE(recorder.shows(QString())) << recorder.preedit.toStdString();
    EXPECT_EQ(field->text(), text);
}

}  // namespace
