// Where nothing can type: the text is left on the clipboard and reported as not delivered, or,
// with no clipboard to hold it, reported as kept nowhere; backspaces and undo do nothing.
#include "Infrastructure/TextInjection/ClipboardOnlyInjector.h"
#include "support/AsyncTest.h"
#include "support/FakeClipboardBackend.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace vocena;
using vocena::test::await;
using vocena::test::FakeClipboardBackend;

TEST(ClipboardOnlyInjectorTest, TheTextStaysOnTheClipboardOrIsReportedAsKeptNowhere) {
    const QString text = QStringLiteral("今天天气很好");
    const QString onClipboard = TextInjectionError(TextInjectionError::Kind::notDelivered).description();
    const QString nowhere = TextInjectionError(TextInjectionError::Kind::notKept).description();
    struct Case {
        const char* name;
        bool clipboard;
        bool refuse;
        QString error;
        QString log;
    };
    const Case cases[] = {
        {"clipboard", true, false, onClipboard, QStringLiteral("识别的文字已复制到剪贴板")},
        {"clipboard refuses", true, true, nowhere, QStringLiteral("也无法写入剪贴板")},
        {"no clipboard", false, false, nowhere, QStringLiteral("也无法写入剪贴板")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* clipboard = new FakeClipboardBackend;
        clipboard->content = QStringLiteral("before");
        clipboard->refuseWrites = c.refuse;
        std::unique_ptr<ClipboardBackend> owned(clipboard);
        ClipboardOnlyInjector injector(c.clipboard ? std::move(owned) : nullptr);
        test::LogCapture log;
        EXPECT_TRUE(injector.isTrusted());
        EXPECT_EQ(await(injector.injectText(text, TextInjectionMode::automatic)).error, c.error);
        EXPECT_TRUE(log.contains(c.log)) << log.lines().join(u'\n').toStdString();
        const QString expected = c.clipboard && !c.refuse ? text : QStringLiteral("before");
        // (A fake not handed over is gone with `owned`: look only at one that was.)
        if (c.clipboard) {
            EXPECT_EQ(clipboard->content, expected);
            clipboard->restore();  // kept, not set aside: nothing comes back over it
            EXPECT_EQ(clipboard->content, expected);
        }
    }
}

TEST(ClipboardOnlyInjectorTest, DeleteAndUndoSayTheyCannotAct) {
    auto* clipboard = new FakeClipboardBackend;
    ClipboardOnlyInjector injector{std::unique_ptr<ClipboardBackend>(clipboard)};
    test::LogCapture log;
    EXPECT_TRUE(await(injector.deleteLastCharacters(3)).ok());
    EXPECT_TRUE(await(injector.undo()).ok());
    EXPECT_TRUE(log.contains(QStringLiteral("无法删除 3 个字符")));
    EXPECT_TRUE(log.contains(QStringLiteral("无法撤销")));
    EXPECT_FALSE(clipboard->content.has_value());
}
