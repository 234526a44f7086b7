#include "Infrastructure/Platform/Preferences.h"
#include "Utils/AISettingsStore.h"
#include "support/AsyncTest.h"
#include "support/MemorySecretStore.h"

#include <gtest/gtest.h>

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
};

}  // namespace

TEST_F(AISettingsStoreTest, FreshInstallationReadsTheDefaults) {
    EXPECT_EQ(store.aiMode(), 0);
    EXPECT_TRUE(store.aiEnabled());
    EXPECT_EQ(store.aiBaseURL(), QStringLiteral("https://api.deepseek.com"));
    EXPECT_EQ(store.aiTimeout(), 10.0);
    EXPECT_EQ(store.aiModel(), QStringLiteral("deepseek-chat"));
    EXPECT_EQ(store.workMode(), 0);
    EXPECT_FALSE(test::await(store.loadAPIKeyAsync()).value->has_value());
}

TEST_F(AISettingsStoreTest, WrongTypesReadAsDefaultsAndChangesAreSeenAtOnce) {
    set(AISettingsStore::kModeKey, QStringLiteral("1"));
    set(AISettingsStore::kEnabledKey, 0);
    set(AISettingsStore::kTimeoutKey, QStringLiteral("30"));
    set(AISettingsStore::kBaseURLKey, 42);
    EXPECT_EQ(store.aiMode(), 0);
    EXPECT_TRUE(store.aiEnabled());
    EXPECT_EQ(store.aiTimeout(), 10.0);
    EXPECT_EQ(store.aiBaseURL(), QStringLiteral("https://api.deepseek.com"));

    set(AISettingsStore::kModeKey, (store.aiMode() + 1) % 2);
    EXPECT_EQ(store.aiMode(), 1);
    set(AISettingsStore::kModeKey, (store.aiMode() + 1) % 2);
    EXPECT_EQ(store.aiMode(), 0);
    set(AISettingsStore::kWorkModeKey, 2);
    EXPECT_EQ(store.workMode(), 2);  // any non-zero value is the assistant
}

TEST_F(AISettingsStoreTest, KeyRoundTripAndEmptyKeyIsAbsent) {
    EXPECT_TRUE(*test::await(store.saveAPIKey(QStringLiteral(" sk-1 "))).value);
    EXPECT_EQ(*test::await(store.loadAPIKeyAsync()).value, QStringLiteral(" sk-1 "));  // stored as typed
    EXPECT_TRUE(*test::await(store.saveAPIKey(QStringLiteral("sk-2"))).value);
    EXPECT_EQ(*test::await(store.loadAPIKeyAsync()).value, QStringLiteral("sk-2"));
    test::await(store.saveAPIKey(QString()));
    EXPECT_FALSE(test::await(store.loadAPIKeyAsync()).value->has_value());
}

TEST_F(AISettingsStoreTest, RequestTimeoutGrowsWithTheTranscript) {
    EXPECT_EQ(store.makeConfig(QStringLiteral("k"), QString(100, QChar(0x4F60))).timeout, 10.0);
    EXPECT_EQ(store.makeConfig(QStringLiteral("k"), QString(400, QChar(0x4F60))).timeout, 20.0);
    EXPECT_EQ(store.makeConfig(QStringLiteral("k"), QString(5000, QChar(0x4F60))).timeout, 30.0);
    set(AISettingsStore::kTimeoutKey, 45.5);
    set(AISettingsStore::kModelKey, QStringLiteral("m1"));
    const LLMConfig config = store.makeConfig(QStringLiteral("k"), QString(5000, QChar(0x4F60)));
    EXPECT_EQ(config.timeout, 45.5);
    EXPECT_EQ(config.model, QStringLiteral("m1"));
    EXPECT_EQ(config.apiKey, QStringLiteral("k"));
}
