// The fcitx5 bridge in a Wayland session: a headless sway of the test's own, fcitx5 with the
// bridge of the build tree on the test's session bus (dbus-run-session), and a Qt Wayland field
// of this process talking to fcitx5 through Qt's fcitx input-method plugin. The built `vocena`,
// without an X display, commits Chinese into the field (the clipboard untouched) and deletes
// through ForwardKey.
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "support/AppDriver.h"
#include "support/Fcitx5Daemon.h"
#include "support/FocusedTextField.h"
#include "support/HeadlessSway.h"

using namespace vocena;
using test::FocusedTextField;
using test::someFieldHasFocus;
using test::waitUntil;

namespace {

// Qt picks its input-method plugin when the application starts, before any test runs.
const bool imModuleChosen = qputenv("QT_IM_MODULE", "fcitx");

using Fcitx5WaylandEndToEndTest = test::AppDriver;

TEST_F(Fcitx5WaylandEndToEndTest, CommitsAndDeletesThroughTheBridgeWithoutTheClipboard) {
    VOCENA_REQUIRE_HEADLESS_SWAY();
    ASSERT_TRUE(imModuleChosen);
    // The seat has a keyboard, as on every desktop (the headless backend has no devices).
    WaylandKeyEventSink seatKeyboard(WaylandConnection::shared());
    bus = sessionBus();
    test::Fcitx5Daemon fcitx5(home.path());
    ASSERT_TRUE(fcitx5.ownsName()) << fcitx5.output().toStdString();
    const QString copied = QStringLiteral("剪贴板里原来的内容");
    test::copyInAnotherApplication(copied);
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    ASSERT_TRUE(waitUntil(someFieldHasFocus, 5000));

    const QString sentence = QStringLiteral("你好，世界！🙂");
    const struct {
        QStringList command;
        QString input;
        QString expected;
    } steps[] = {
        {{QStringLiteral("type")}, sentence, sentence},
        {{QStringLiteral("process"), QStringLiteral("--inject")}, QStringLiteral("删除最后三个字"), QStringLiteral("你好，世")},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.input.toStdString());
        EXPECT_TRUE(test::exits(run(step.command, step.input.toUtf8()), 0));
        EXPECT_EQ(field.waitForText(step.expected), step.expected);
        EXPECT_EQ(field.shortcuts, QStringList());  // committed, not pasted
    }
    EXPECT_EQ(test::clipboardSeenByOthers(), copied);
}

}  // namespace
