#include "Infrastructure/Platform/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

using namespace vocena;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeRaw(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

class PreferencesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("sub/preferences.json")); }
};

}  // namespace

TEST_F(PreferencesTest, TypedReadsAndWrongTypesReadAsAbsent) {
    Preferences prefs(path());
    EXPECT_FALSE(prefs.intValue(QStringLiteral("k")).has_value());  // no file at all
    ASSERT_EQ(prefs.setValue(QStringLiteral("mode"), 1), QString());
    ASSERT_EQ(prefs.setValue(QStringLiteral("timeout"), 2.5), QString());
    ASSERT_EQ(prefs.setValue(QStringLiteral("on"), true), QString());
    ASSERT_EQ(prefs.setValue(QStringLiteral("url"), QStringLiteral("http://x")), QString());
    ASSERT_EQ(prefs.setValue(QStringLiteral("list"), QJsonArray{1, 2}), QString());

    EXPECT_EQ(prefs.intValue(QStringLiteral("mode")), 1);
    EXPECT_EQ(prefs.doubleValue(QStringLiteral("mode")), 1.0);  // an integer is also a number
    EXPECT_EQ(prefs.doubleValue(QStringLiteral("timeout")), 2.5);
    EXPECT_FALSE(prefs.intValue(QStringLiteral("timeout")).has_value());  // 2.5 is no integer
    EXPECT_EQ(prefs.boolValue(QStringLiteral("on")), true);
    EXPECT_FALSE(prefs.intValue(QStringLiteral("on")).has_value());
    EXPECT_FALSE(prefs.boolValue(QStringLiteral("mode")).has_value());
    EXPECT_EQ(prefs.stringValue(QStringLiteral("url")), QStringLiteral("http://x"));
    EXPECT_FALSE(prefs.intValue(QStringLiteral("url")).has_value());
    EXPECT_FALSE(prefs.stringValue(QStringLiteral("list")).has_value());

    ASSERT_EQ(prefs.remove(QStringLiteral("mode")), QString());
    EXPECT_FALSE(prefs.contains(QStringLiteral("mode")));
}

TEST_F(PreferencesTest, ChangesByAnotherWriterAreSeenAtTheNextRead) {
    Preferences app(path());
    Preferences cli(path());
    ASSERT_EQ(app.setValue(QStringLiteral("a"), 1), QString());
    EXPECT_EQ(cli.intValue(QStringLiteral("a")), 1);
    ASSERT_EQ(cli.setValue(QStringLiteral("b"), QStringLiteral("x")), QString());
    EXPECT_EQ(app.stringValue(QStringLiteral("b")), QStringLiteral("x"));
    // A write by one store keeps what the other wrote.
    ASSERT_EQ(app.setValue(QStringLiteral("c"), false), QString());
    EXPECT_EQ(cli.intValue(QStringLiteral("a")), 1);
    EXPECT_EQ(cli.stringValue(QStringLiteral("b")), QStringLiteral("x"));
    EXPECT_EQ(cli.boolValue(QStringLiteral("c")), false);
}

TEST_F(PreferencesTest, UnreadableFileIsKeptAsideBeforeTheFirstWrite) {
    const QDir folder(dir.filePath(QStringLiteral("sub")));
    for (const QByteArray& damaged : {QByteArray("{ not json"), QByteArray("[1,2]")}) {
        QDir().mkpath(folder.path());
        writeRaw(path(), damaged);
        test::LogCapture log;
        Preferences prefs(path());
        EXPECT_TRUE(prefs.all().isEmpty());
        EXPECT_TRUE(log.contains(QStringLiteral("[Preferences] 偏好设置文件无效"))) << damaged.constData();
        EXPECT_EQ(readAll(path()), damaged);  // reading never rewrites

        ASSERT_EQ(prefs.setValue(QStringLiteral("x"), true), QString());
        const QStringList kept = folder.entryList({QStringLiteral("preferences.json.corrupt-*")});
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(readAll(folder.filePath(kept.first())), damaged);
        EXPECT_EQ(prefs.boolValue(QStringLiteral("x")), true);
        QDir(folder).removeRecursively();
    }
}
