#include "Infrastructure/Platform/Preferences.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("sub/preferences.json")); }
};

}  // namespace

TEST_F(PreferencesTest, UnreadableFileIsKeptAsideBeforeTheFirstWrite) {
    const QDir folder(dir.filePath(QStringLiteral("sub")));
    const QByteArray damaged("{ not json");
    QDir().mkpath(folder.path());
    ASSERT_TRUE(test::writeFile(path(), damaged));
    Preferences prefs(path());
    EXPECT_TRUE(prefs.all().isEmpty());
    EXPECT_EQ(test::readFile(path()), damaged);  // reading never rewrites

    ASSERT_EQ(prefs.setValue(QStringLiteral("x"), true), QString());
    const QStringList kept = folder.entryList({QStringLiteral("preferences.json.corrupt-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(test::readFile(folder.filePath(kept.first())), damaged);
    EXPECT_EQ(prefs.boolValue(QStringLiteral("x")), true);
}

// Two stores of one file (the app's and a command's): each reads what the other wrote at its
// next read, a write keeps what the other wrote, and observers hear both. The typed reads are
// tested through the settings that use them (AISettingsStoreTest).
TEST_F(PreferencesTest, WritesOfEitherStoreReachTheOtherAndObserversWhileTheyKeepTheirToken) {
    Preferences app(path());
    Preferences cli(path());
    int calls = 0;
    auto token = app.observe([&] { ++calls; });
    ASSERT_EQ(app.setValue(QStringLiteral("a"), 1), QString());
    EXPECT_TRUE(test::waitUntil([&] { return calls == 1; }));
    ASSERT_EQ(cli.setValue(QStringLiteral("b"), QStringLiteral("x")), QString());
    // Read before the watcher's event comes: the observer still hears of the change.
    EXPECT_EQ(app.stringValue(QStringLiteral("b")), QStringLiteral("x"));
    EXPECT_TRUE(test::waitUntil([&] { return calls == 2; }));
    ASSERT_EQ(app.setValue(QStringLiteral("a"), 2), QString());
    EXPECT_EQ(cli.all(), (QJsonObject{{QStringLiteral("a"), 2}, {QStringLiteral("b"), QStringLiteral("x")}}));
    EXPECT_TRUE(test::waitUntil([&] { return calls == 3; }));
    token.reset();
    ASSERT_EQ(app.setValue(QStringLiteral("a"), 3), QString());
    ASSERT_EQ(cli.setValue(QStringLiteral("a"), 4), QString());
    // Both changes reach an observer that is still there, and only that one.
    int laterCalls = 0;
    auto laterToken = app.observe([&] { ++laterCalls; });
    EXPECT_TRUE(test::waitUntil([&] { return laterCalls >= 2; }));
    EXPECT_EQ(calls, 3);
}
