// The data-control clipboard on a real headless sway, against another application's clipboard
// (wl-clipboard): what it held comes back after a paste in every format, a copy made meanwhile
// is left alone, and only a read of the offered text counts as its fetch.
#include "Infrastructure/TextInjection/WlrDataControlClipboard.h"
#include "Infrastructure/Wayland/WlrSelections.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "support/HeadlessSway.h"
#include "support/LoopTicker.h"

#include <gtest/gtest.h>

#include <QCoro/QCoroTask>

using namespace vocena;
using namespace vocena::test;

namespace {

class WlrDataControlClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        VOCENA_REQUIRE_HEADLESS_SWAY();
        ASSERT_TRUE(WlrSelections::shared().isAvailable());
    }
    // What another application reads from the clipboard with wl-paste's `options`.
    static QString pasted(const QStringList& options) {
        return runProcess("wl-paste", QStringList{"--no-newline"} + options).out;
    }
    // Another application copies with wl-copy's `arguments`.
    static void copy(const QStringList& arguments) {
        const ProcessResult copied = runProcess("wl-copy", arguments);
        ASSERT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    }
};

// A clipboard manager reads every new content at once, before the paste key: only a read of
// the text after the key is the target's fetch. What the clipboard held comes back in every format.
TEST_F(WlrDataControlClipboardTest, OnlyAReadOfTheTextAfterThePasteKeyIsTheFetchAndEveryFormatComesBack) {
    copy({"--type", "text/html", "<b>原来的</b>"});
    WlrDataControlClipboard clipboard(WlrSelections::shared());
    ASSERT_TRUE(QCoro::waitFor(clipboard.setAside(PasteSelection::clipboard)));
    ASSERT_TRUE(clipboard.offer(QStringLiteral("新的文字"), PasteSelection::clipboard));
    EXPECT_EQ(clipboardSeenByOthers(), QStringLiteral("新的文字"));  // the manager's read
    clipboard.pasteKeySent();
    EXPECT_EQ(pasted({"--type", "x-kde-passwordManagerHint"}), QStringLiteral("secret"));
    EXPECT_FALSE(clipboard.offeredTextFetched());  // the hint is not the text
    EXPECT_EQ(clipboardSeenByOthers(), QStringLiteral("新的文字"));  // the target's
    EXPECT_TRUE(waitUntil([&] { return clipboard.offeredTextFetched(); }));

    clipboard.restore();
    EXPECT_EQ(pasted({"--type", "text/html"}), QStringLiteral("<b>原来的</b>"));
    // Offered and put back again: the content this process serves now is read from itself.
    ASSERT_TRUE(clipboard.offer(QStringLiteral("再一次"), PasteSelection::clipboard));
    clipboard.restore();
    EXPECT_EQ(pasted({"--type", "text/html"}), QStringLiteral("<b>原来的</b>"));
}

// (An unfetched text kept on the clipboard past the command: WlrootsEndToEndTest.)
TEST_F(WlrDataControlClipboardTest, LeavesACopyMadeDuringThePaste) {
    copyInAnotherApplication(QStringLiteral("之前"));
    WlrDataControlClipboard clipboard(WlrSelections::shared());
    ASSERT_TRUE(clipboard.offer(QStringLiteral("粘贴的"), PasteSelection::clipboard));
    copyInAnotherApplication(QStringLiteral("用户刚复制的"));
    clipboard.restore();
    EXPECT_EQ(clipboardSeenByOthers(), QStringLiteral("用户刚复制的"));
}

// The owner of the clipboard does not answer (a client that hangs): setting its content aside
// gives up after the read limit while the main thread goes on, and nothing replaces it.
TEST_F(WlrDataControlClipboardTest, AnOwnerThatDoesNotAnswerNeverHoldsUpTheMainThread) {
    // A client of its own whose events nobody dispatches: it never writes what it offers.
    WaylandConnection silentClient;
    ASSERT_TRUE(silentClient.offersWlrootsTyping());
    WlrSelections silent(silentClient);
    ASSERT_TRUE(silent.serve(PasteSelection::clipboard, WlrDataControlClipboard::formatsOf(QStringLiteral("不回答的"))));
    WlrDataControlClipboard clipboard(WlrSelections::shared());
    ASSERT_TRUE(waitUntil([] { return WlrSelections::shared().served().isEmpty(); }));

    const LoopTicker loop;
    EXPECT_FALSE(QCoro::waitFor(clipboard.setAside(PasteSelection::clipboard)));
    EXPECT_GE(loop.elapsedMs(), WlrDataControlClipboard::readLimit.count() - 50);
    EXPECT_GE(loop.ticks(), 20) << "the main thread stood still while the owner was asked";
}

// Terminals that paste the primary selection get the text there too, and it comes back.
TEST_F(WlrDataControlClipboardTest, OffersOnThePrimarySelectionToo) {
    ASSERT_TRUE(WlrSelections::shared().offersPrimary());
    copy({"--primary", "选中的"});
    WlrDataControlClipboard clipboard(WlrSelections::shared());
    ASSERT_TRUE(clipboard.offer(QStringLiteral("两处都有"), PasteSelection::primary));
    EXPECT_EQ(pasted({"--primary"}), QStringLiteral("两处都有"));
    EXPECT_EQ(clipboardSeenByOthers(), QStringLiteral("两处都有"));
    clipboard.restore();
    EXPECT_EQ(pasted({"--primary"}), QStringLiteral("选中的"));
}

}  // namespace
