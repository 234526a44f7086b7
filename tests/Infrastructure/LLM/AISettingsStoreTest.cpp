#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/AsyncTest.h"
#include "support/MemorySecretStore.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class AISettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    std::shared_ptr<test::MemorySecretStore> secrets = std::make_shared<test::MemorySecretStore>();
    AISettingsStore store{prefs, secrets};

    void set(const char* key, const QJsonValue& value) { ASSERT_EQ(prefs.setValue(QString::fromLatin1(key), value), QString()); }
    std::optional<QString> loadKey() { return *test::await(store.loadAPIKeyAsync()).value; }
};

}  // namespace

TEST_F(AISettingsStoreTest, MissingValuesAndWrongTypesReadAsDefaultsAndChangesAreSeenAtOnce) {
    set(AISettingsStore::kModeKey, 1.5);  // a number, but no integer
    set(AISettingsStore::kEnabledKey, 0);
    set(AISettingsStore::kBaseURLKey, 42);
    set(AISettingsStore::kModelKey, QJsonArray{QStringLiteral("m")});
    set(AISettingsStore::kWorkModeKey, QStringLiteral("2"));
    EXPECT_EQ(QVariantList({store.aiMode(), store.aiEnabled(), store.aiBaseURL(), store.aiTimeout(), store.aiModel(), store.workMode()}),
              QVariantList({0, true, QStringLiteral("https://api.deepseek.com"), 10.0, QStringLiteral("deepseek-chat"), 0}));

    set(AISettingsStore::kModeKey, 1);
    EXPECT_EQ(store.aiMode(), 1);  // read afresh, not cached
    set(AISettingsStore::kWorkModeKey, 2);
    EXPECT_EQ(store.workMode(), 2);  // any non-zero value is the assistant
}

TEST_F(AISettingsStoreTest, KeyIsStoredAsTypedAndAnEmptyKeyIsAbsent) {
    EXPECT_EQ(loadKey(), std::nullopt);
    EXPECT_TRUE(*test::await(store.saveAPIKey(QStringLiteral(" sk-1 "))).value);
    EXPECT_EQ(loadKey(), QStringLiteral(" sk-1 "));
    test::await(store.saveAPIKey(QString()));
    EXPECT_EQ(loadKey(), std::nullopt);
}

// The request time-out: the stored minimum (bounded) or 0.05 s a character up to 30 s.
TEST_F(AISettingsStoreTest, RequestTimeoutGrowsWithTheTranscriptWithinBounds) {
    // The stored value (undefined: nothing stored), the transcript's length, the time-out.
    const QList<std::tuple<QJsonValue, int, double>> cases{
        {QJsonValue::Undefined, 100, 10.0}, {QJsonValue::Undefined, 400, 20.0}, {QJsonValue::Undefined, 5000, 30.0}, {45.5, 5000, 45.5},
        {12, 10, 12.0},                    // an integer is a number too
        {QStringLiteral("30"), 10, 10.0},  // the wrong type reads as the default
        {1e9, 10, 300.0},                  // would overflow the milliseconds of the request
    };
    for (const auto& [stored, characters, expected] : cases) {
        SCOPED_TRACE(stored.toVariant().toString().toStdString() + " / " + std::to_string(characters));
        if (stored.isUndefined())
            prefs.remove(QString::fromLatin1(AISettingsStore::kTimeoutKey));
        else
            set(AISettingsStore::kTimeoutKey, stored);
        EXPECT_EQ(store.makeConfig(QStringLiteral("k"), QString(characters, QChar(0x4F60))).timeout, expected);
    }
    set(AISettingsStore::kModelKey, QStringLiteral("m1"));
    const LLMConfig config = store.makeConfig(QStringLiteral("k"), QString());
    EXPECT_EQ(std::pair(config.model, config.apiKey), std::pair(QStringLiteral("m1"), QStringLiteral("k")));
}
