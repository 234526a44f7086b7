#include "Infrastructure/Platform/Preferences.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("sub/preferences.json")); }
};

}  // namespace

// Each typed read gives the value only when the stored JSON has that type.
TEST_F(PreferencesTest, TypedReadsAndWrongTypesReadAsAbsent) {
    Preferences prefs(path());
    EXPECT_FALSE(prefs.intValue(QStringLiteral("k")).has_value());  // no file at all
    const struct {
        const char* key;
        QJsonValue value;
        std::optional<qint64> asInt;
        std::optional<double> asDouble;
        std::optional<bool> asBool;
        std::optional<QString> asString;
    } cases[] = {
        {"integer", 1, 1, 1.0, {}, {}},  // an integer is also a number
        {"fraction", 2.5, {}, 2.5, {}, {}},
        {"bool", true, {}, {}, true, {}},
        {"string", QStringLiteral("http://x"), {}, {}, {}, QStringLiteral("http://x")},
        {"list", QJsonArray{1, 2}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) ASSERT_EQ(prefs.setValue(QString::fromLatin1(c.key), c.value), QString());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(prefs.intValue(key), c.asInt);
        EXPECT_EQ(prefs.doubleValue(key), c.asDouble);
        EXPECT_EQ(prefs.boolValue(key), c.asBool);
        EXPECT_EQ(prefs.stringValue(key), c.asString);
    }
    ASSERT_EQ(prefs.remove(QStringLiteral("integer")), QString());
    EXPECT_FALSE(prefs.contains(QStringLiteral("integer")));
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
}

TEST_F(PreferencesTest, UnreadableFileIsKeptAsideBeforeTheFirstWrite) {
    const QDir folder(dir.filePath(QStringLiteral("sub")));
    for (const QByteArray& damaged : {QByteArray("{ not json"), QByteArray("[1,2]")}) {
        SCOPED_TRACE(damaged.constData());
        QDir().mkpath(folder.path());
        ASSERT_TRUE(test::writeFile(path(), damaged));
        test::LogCapture log;
        Preferences prefs(path());
        EXPECT_TRUE(prefs.all().isEmpty());
        EXPECT_TRUE(log.contains(QStringLiteral("[Preferences] 偏好设置文件无效")));
        EXPECT_EQ(test::readFile(path()), damaged);  // reading never rewrites

        ASSERT_EQ(prefs.setValue(QStringLiteral("x"), true), QString());
        const QStringList kept = folder.entryList({QStringLiteral("preferences.json.corrupt-*")});
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(test::readFile(folder.filePath(kept.first())), damaged);
        EXPECT_EQ(prefs.boolValue(QStringLiteral("x")), true);
        QDir(folder).removeRecursively();
    }
}
