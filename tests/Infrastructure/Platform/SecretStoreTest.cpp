// The libsecret cases need a Secret Service: run this binary under scripts/with-keyring (as
// CTest does). Without a session bus they are skipped.
#include "Infrastructure/Platform/FileSecretStore.h"
#include "Infrastructure/Platform/LibsecretSecretStore.h"
#include "support/LoopTicker.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <libsecret/secret.h>

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

using namespace vocena;
using namespace std::chrono_literals;
using test::PrivateBus;
using test::ScopedEnv;

namespace {

const QString kService = QStringLiteral("com.vocena.ai");
const QString kAccount = QStringLiteral("apiKey");

bool inKeyringSession() {
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    return !bus.isEmpty() && !bus.startsWith("disabled:");
}

#define SKIP_WITHOUT_KEYRING() \
    if (!inKeyringSession()) GTEST_SKIP() << "needs a Secret Service: run under scripts/with-keyring"

std::optional<QString> readKey(SecretStore& store) { return QCoro::waitFor(store.read(kService, kAccount)); }
bool writeKey(SecretStore& store, const QString& key) { return QCoro::waitFor(store.write(kService, kAccount, key)); }

// Owns a name on a bus and never answers a call to it: a service that hangs.
class SilentService final : public QDBusVirtualObject {
public:
    SilentService(const QByteArray& address, const QString& name)
        : m_bus(QDBusConnection::connectToBus(QString::fromUtf8(address), name)),
          m_owns(m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath) &&
                 m_bus.registerService(name)) {}
    ~SilentService() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool owns() const { return m_owns; }
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return true; }  // and no reply
    QString introspect(const QString&) const override { return {}; }

private:
    QDBusConnection m_bus;
    bool m_owns;
};

// ----- The rules every backend keeps -----

struct Backend {
    const char* name;
    std::function<std::shared_ptr<SecretStore>(const QString& dir)> make;
    bool needsKeyring = false;
};

class SecretStoreContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam().needsKeyring) SKIP_WITHOUT_KEYRING();
        store = GetParam().make(dir.path());
        writeKey(*store, {});  // a keyring shared by the cases starts empty
    }
    QTemporaryDir dir;
    std::shared_ptr<SecretStore> store;
};

}  // namespace

TEST_P(SecretStoreContract, WriteReadReplaceRemoveAndEmptyIsAbsent) {
    EXPECT_EQ(readKey(*store), std::nullopt);
    EXPECT_FALSE(QCoro::waitFor(store->readChecked(kService, kAccount)).failed) << "nothing stored is no failure";
    ASSERT_TRUE(writeKey(*store, QStringLiteral("sk-first")));
    EXPECT_EQ(readKey(*store), QStringLiteral("sk-first"));
    ASSERT_TRUE(writeKey(*store, QStringLiteral(" sk-第二个 ")));  // replaced, kept as given
    EXPECT_EQ(readKey(*store), QStringLiteral(" sk-第二个 "));
    EXPECT_TRUE(writeKey(*store, QString()));
    EXPECT_EQ(readKey(*store), std::nullopt);

    ASSERT_TRUE(writeKey(*store, QStringLiteral("sk-x")));
    ASSERT_TRUE(QCoro::waitFor(store->remove(kService, kAccount)));
    EXPECT_EQ(readKey(*store), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Backends, SecretStoreContract,
    ::testing::Values(
        Backend{"file", [](const QString& dir) { return std::make_shared<FileSecretStore>(dir + "/s/secrets.json"); }},
        Backend{"libsecret", [](const QString&) { return std::make_shared<LibsecretSecretStore>(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ----- The fallback file -----

TEST(FileSecretStoreTest, FileIsPrivateAndAnUnreadablePredecessorIsKeptAside) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("secrets.json"));
    ASSERT_TRUE(test::writeFile(path, "{ not json"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    FileSecretStore store(path);

    EXPECT_EQ(readKey(store), std::nullopt);
    ASSERT_TRUE(writeKey(store, QStringLiteral("sk-new")));

    EXPECT_EQ(QFile::permissions(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("secrets.json.corrupt-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(test::readFile(dir.filePath(kept.first())), QByteArray("{ not json"));
    const QJsonObject layout{{kService, QJsonObject{{kAccount, QStringLiteral("sk-new")}}}};
    EXPECT_EQ(QJsonDocument::fromJson(test::readFile(path)).object(), layout);
}

// ----- The Secret Service -----

TEST(LibsecretSecretStoreTest, FindsAndReplacesItemsOtherProgramsStoredUnderTheSameAttributes) {
    SKIP_WITHOUT_KEYRING();
    SecretSchema foreign{};
    foreign.name = "org.freedesktop.Secret.Generic";
    foreign.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
    foreign.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
    ASSERT_TRUE(secret_password_store_sync(&foreign, SECRET_COLLECTION_DEFAULT, "other", "sk-old", nullptr, nullptr,
                                           "service", "com.vocena.ai", "account", "apiKey", nullptr));

    LibsecretSecretStore store;
    EXPECT_EQ(readKey(store), QStringLiteral("sk-old"));
    ASSERT_TRUE(writeKey(store, QStringLiteral("sk-new")));
    EXPECT_EQ(readKey(store), QStringLiteral("sk-new"));
    g_autofree gchar* leftOver = secret_password_lookup_sync(&foreign, nullptr, nullptr, "service", "com.vocena.ai",
                                                             "account", "apiKey", nullptr);
    EXPECT_EQ(leftOver, nullptr);
    writeKey(store, {});
}

TEST(LibsecretSecretStoreTest, AServiceThatNeverAnswersTimesOutWhileTheEventLoopRuns) {
    SKIP_WITHOUT_KEYRING();
    SilentService silent(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("com.vocena.test.SilentSecrets"));
    ASSERT_TRUE(silent.owns());
    ScopedEnv serviceName("SECRET_SERVICE_BUS_NAME", "com.vocena.test.SilentSecrets");  // read by libsecret
    LibsecretSecretStore store(300ms);
    const test::LoopTicker loop;
    EXPECT_EQ(readKey(store), std::nullopt);
    EXPECT_GE(loop.elapsedMs(), 250);    // it did wait for the service…
    EXPECT_LT(loop.elapsedMs(), 10000);  // …until its own time-out, not the D-Bus one (25 s)
    EXPECT_GE(loop.ticks(), 10);         // and the main thread went on meanwhile
    // Asked so that it can tell, the read says it failed rather than that no key is stored.
    const SecretStore::Reading reading = QCoro::waitFor(store.readChecked(kService, kAccount));
    EXPECT_TRUE(reading.failed);
    EXPECT_EQ(reading.secret, std::nullopt);
    EXPECT_FALSE(writeKey(store, QStringLiteral("sk-x")));
}

// ----- Choosing the backend -----

TEST(SecretStoreDefaultTest, KeyringWheneverASecretServiceExistsElseTheFile) {
    SKIP_WITHOUT_KEYRING();
    EXPECT_EQ(SecretStore::createDefault()->backendName(), QStringLiteral("secret-service"));
    {
        ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        EXPECT_EQ(SecretStore::createDefault()->backendName(), QStringLiteral("file"));
    }
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    {
        ScopedEnv onlyBus("DBUS_SESSION_BUS_ADDRESS", bus.address());
        EXPECT_EQ(SecretStore::createDefault()->backendName(), QStringLiteral("file"));  // a bus without one
    }
    {
        // Found through $XDG_RUNTIME_DIR/bus; a service that never answers still counts.
        ScopedEnv unset("DBUS_SESSION_BUS_ADDRESS", QByteArray());
        ScopedEnv runtime("XDG_RUNTIME_DIR", bus.dir());
        SilentService silent(bus.address(), QStringLiteral("org.freedesktop.secrets"));
        ASSERT_TRUE(silent.owns());
        EXPECT_EQ(SecretStore::createDefault()->backendName(), QStringLiteral("secret-service"));
    }
}
