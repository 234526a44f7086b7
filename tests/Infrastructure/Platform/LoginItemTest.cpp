// Start at login through an XDG autostart entry in a temporary config folder.
#include "Infrastructure/Platform/LoginItem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace vocena;

TEST(LoginItemTest, RegisterWritesAnEntryForTheRunningBinaryAndUnregisterRemovesIt) {
    LoginItem item;
    EXPECT_EQ(item.entryPath(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/vocena.desktop"));
    ASSERT_FALSE(item.isRegistered());

    ASSERT_EQ(item.update(true), QString());
    ASSERT_TRUE(item.isRegistered());
    EXPECT_TRUE(test::readFile(item.entryPath()).contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + '\n'));
    // Registering again (every launch with the option on) keeps one valid entry.
    ASSERT_EQ(item.registerItem(), QString());

    ASSERT_EQ(item.update(false), QString());
    EXPECT_FALSE(QFile::exists(item.entryPath()));
    // Every launch with the option off unregisters: nothing registered is not a failure.
    EXPECT_EQ(item.unregisterItem(), QString());
}

// The entry of that name may be the user's own: it is neither overwritten nor removed. One the
// app wrote before it marked its entries still goes when the option is turned off.
TEST(LoginItemTest, OnlyTheAppsOwnEntryIsReplacedOrRemoved) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("autostart/vocena.desktop"));
    const QString binary = QStringLiteral("/usr/bin/vocena");
    LoginItem item(path, binary);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    const auto write = [&path](const QByteArray& content) { ASSERT_TRUE(test::writeFile(path, content)); };
    const auto read = [&path] { return test::readFile(path); };
    const QByteArray users = "[Desktop Entry]\nType=Application\nName=My vocena\nExec=/opt/vocena --silent\n";
    write(users);
    EXPECT_FALSE(item.registerItem().isEmpty()) << "the option is not in effect: the entry starts something else";
    EXPECT_EQ(read(), users);
    EXPECT_EQ(item.unregisterItem(), QString());
    EXPECT_EQ(read(), users);

    QByteArray earlier = LoginItem::desktopEntry(binary);
    earlier.replace(QByteArray(LoginItem::kOwnMark) + '\n', QByteArray());
    write(earlier);
    EXPECT_EQ(item.registerItem(), QString());
    EXPECT_TRUE(read().contains(LoginItem::kOwnMark));
    EXPECT_EQ(item.unregisterItem(), QString());
    EXPECT_FALSE(QFile::exists(path));
    write(earlier);
    EXPECT_EQ(item.unregisterItem(), QString());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LoginItemTest, ExecLineQuotesPathsThatNeedIt) {
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/vocena", "/usr/bin/vocena"},
        {"/home/a b/vocena", "\"/home/a b/vocena\""},
        {"/home/a$b/vocena", "\"/home/a\\\\$b/vocena\""},
    };
    for (const auto& c : cases) EXPECT_EQ(LoginItem::execArgument(QString::fromUtf8(c.path)), QString::fromUtf8(c.exec)) << c.path;
}

TEST(LoginItemTest, FailuresAreReported) {
    // Run as root in CI, so permissions cannot make a folder read-only: the obstacles are
    // files and folders in the way.
    QTemporaryDir dir;
    const QString blockedFolder = dir.filePath(QStringLiteral("file/autostart/vocena.desktop"));
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    const QString entryIsFolder = dir.filePath(QStringLiteral("folder/vocena.desktop"));
    QDir().mkpath(entryIsFolder + QStringLiteral("/inside"));

    const struct {
        const char* name;
        QString entry;
        QString executable;
    } cases[] = {
        {"folder cannot be made", blockedFolder, QStringLiteral("/usr/bin/vocena")},
        {"entry is a folder", entryIsFolder, QStringLiteral("/usr/bin/vocena")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoginItem item(c.entry, c.executable);
        EXPECT_FALSE(item.update(true).isEmpty());
    }
    EXPECT_TRUE(QFileInfo(entryIsFolder).isDir());
}
