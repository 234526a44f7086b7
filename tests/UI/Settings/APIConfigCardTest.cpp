// The API card as a user meets it on a real X display: keys typed with QTest, the half-second
// save in virtual time into a real gnome-keyring (run under scripts/with-keyring, as CTest
// does), and "测试连接" against a loopback server.
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Infrastructure/Platform/LibsecretSecretStore.h"
#include "UI/Settings/APIConfigCard.h"
#include "support/LoopbackHttpServer.h"
#include "support/WidgetTest.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>

using namespace vocena;
using namespace vocena::test;
using Response = LoopbackHttpServer::Response;

namespace {

const QString kService = QString::fromLatin1(AISettingsStore::kKeyService);
const QString kAccount = QString::fromLatin1(AISettingsStore::kKeyAccount);

class APIConfigCardTest : public WidgetTest {
protected:
    void SetUp() override {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        if (bus.isEmpty() || bus.startsWith("disabled:")) GTEST_SKIP() << "needs a Secret Service: run under scripts/with-keyring";
        ASSERT_NO_FATAL_FAILURE(removeKey());
    }
    ~APIConfigCardTest() override { delete card; }

    // A new card, shown, with its key loaded unless `waitForLoad` is false.
    void openCard(bool waitForLoad = true) {
        delete card;
        card = new APIConfigCard(prefs, scheduler, secrets);
        loads = 0;
        QObject::connect(card, &APIConfigCard::keyLoaded, [this] { ++loads; });
        QObject::connect(card, &APIConfigCard::keySaved, [this](bool stored) { saves.append(stored); });
        ASSERT_TRUE(showActive(card));
        keyField()->setFocus();
        if (waitForLoad) { ASSERT_TRUE(waitUntil([this] { return loads == 1; })); }
    }
    QLineEdit* keyField() { return field("apiKeyField"); }
    QLineEdit* field(const char* name) { return child<QLineEdit>(card, name); }
    QPushButton* testButton() { return child<QPushButton>(card, "testButton"); }
    QString resultText() { return shown(child(card, "testResult")) ? shownText(card, "testResultText") : QString(); }
    // Types `text` (after the field's text unless `replace`), lets the half second pass and
    // waits for the save's answer.
    void typeAndSave(const QString& text, bool replace = false) {
        const qsizetype before = saves.size();
        replace ? retype(keyField(), text) : QTest::keyClicks(keyField(), text);
        clock.advance(0.5);
        ASSERT_TRUE(waitUntil([&] { return saves.size() == before + 1; }));
    }
    std::optional<QString> storedKey() { return QCoro::waitFor(LibsecretSecretStore().read(kService, kAccount)); }
    bool badgeSeen() { return prefs.boolValue(QString::fromLatin1(APIConfigCard::kBadgeSeenKey)).value_or(false); }
    // Replaces the field's text as a user does: select all, then type (or delete).
    void retype(QLineEdit* target, const QString& text) {
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        text.isEmpty() ? QTest::keyClick(target, Qt::Key_Backspace) : QTest::keyClicks(target, text);
    }
    void storeKey(const QString& key) { ASSERT_TRUE(QCoro::waitFor(secrets->inner->write(kService, kAccount, key))); }
    void removeKey() { ASSERT_TRUE(QCoro::waitFor(secrets->inner->remove(kService, kAccount))); }

    std::shared_ptr<ScriptedSecretStore> secrets{new ScriptedSecretStore(std::make_shared<LibsecretSecretStore>())};
    APIConfigCard* card = nullptr;
    int loads = 0;
    QList<bool> saves;
};

}  // namespace

TEST_F(APIConfigCardTest, QuickTypingSavesOnceHalfASecondAfterTheLastKeyAndTheBadgeGoesForGood) {
    openCard();
    EXPECT_EQ(shownText(card, "badgeLabel"), QStringLiteral("推荐配置"));
    EXPECT_EQ(std::pair(keyField()->echoMode(), keyField()->placeholderText()),
              std::pair(QLineEdit::Password, QStringLiteral("sk-xxxxxxxxxxxxxxxx")));

    QTest::keyClicks(keyField(), QStringLiteral(" "));  // the first key: the badge goes, and stays gone
    EXPECT_FALSE(card->isBadgeShown() || shown(child(card, "badgeLabel")));
    EXPECT_TRUE(badgeSeen());
    for (QChar c : QStringLiteral("sk-test 42")) {  // one key a tenth of a second after the other
        clock.advance(0.1);
        QTest::keyClicks(keyField(), QString(c));
    }
    clock.advance(0.4);
    EXPECT_TRUE(secrets->writes.isEmpty());
    clock.advance(0.1);
    ASSERT_TRUE(waitUntil([this] { return !saves.isEmpty(); }));
    clock.advance(5);
    EXPECT_EQ(secrets->writes, QStringList{QStringLiteral(" sk-test 42")});  // once, as typed
    EXPECT_EQ(saves, QList<bool>{true});
    EXPECT_EQ(storedKey(), QStringLiteral(" sk-test 42"));
}

// A stored key shows without the badge and is not written back; emptying the field removes it,
// and closing or destroying the card saves at once.
TEST_F(APIConfigCardTest, EmptyingTheFieldRemovesTheKeyAndClosingOrDestroyingSavesAtOnce) {
    storeKey(QStringLiteral("sk-old "));
    openCard();
    // Not shown, and not dismissed either.
    EXPECT_EQ(std::tuple(keyField()->text(), card->isBadgeShown(), badgeSeen()),
              std::tuple(QStringLiteral("sk-old "), false, false));
    clock.advance(1);
    EXPECT_TRUE(secrets->writes.isEmpty());  // loading is no edit

    typeAndSave(QString(), true);
    EXPECT_EQ(storedKey(), std::nullopt);

    // Closed a moment after the last key: saved on closing, not half a second later.
    retype(keyField(), QStringLiteral("sk-closed"));
    card->hide();
    EXPECT_EQ(secrets->writes.last(), QStringLiteral("sk-closed"));
    ASSERT_TRUE(waitUntil([this] { return storedKey() == QStringLiteral("sk-closed"); }));

    // Destroyed with the save pending: the key is still stored, once.
    openCard();
    retype(keyField(), QStringLiteral("sk-gone"));
    const qsizetype before = secrets->writes.size();
    delete card;
    card = nullptr;
    clock.advance(1);
    EXPECT_EQ(secrets->writes.size(), before + 1);
    EXPECT_TRUE(waitUntil([this] { return storedKey() == QStringLiteral("sk-gone"); }));
}

// A key that could not be saved is said so until a save succeeds; a keyring that did not answer
// is not "no key stored": the card says so, keeps the field as it is and asks for no key.
TEST_F(APIConfigCardTest, AKeyringThatFailsIsSaidSoAndOneThatIsSlowNeitherBlocksTheCardNorOverwritesWhatWasTyped) {
    openCard();
    secrets->failWrites = true;
    typeAndSave(QStringLiteral("sk-1"));
    EXPECT_EQ(shownText(card, "keyNote"), QStringLiteral("API Key 未能保存到密钥环"));
    secrets->failWrites = false;
    typeAndSave(QStringLiteral("2"));
    EXPECT_EQ(shownText(card, "keyNote"), QString());
    EXPECT_EQ(storedKey(), QStringLiteral("sk-12"));

    removeKey();
    prefs.remove(QString::fromLatin1(APIConfigCard::kBadgeSeenKey));
    secrets->failReads = true;
    openCard();
    EXPECT_EQ(std::pair(shownText(card, "keyReadNote"), card->isBadgeShown()),
              std::pair(QStringLiteral("无法读取密钥环"), false));
    secrets->failReads = false;
    card->hide();
    card->show();
    ASSERT_TRUE(waitUntil([this] { return loads == 2; }));
    EXPECT_EQ(std::pair(shownText(card, "keyReadNote"), card->isBadgeShown()), std::pair(QString(), true));

    // A keyring that takes its time (locked, waiting for a password) keeps the card usable, and
    // what the user typed meanwhile is neither replaced by the late answer nor greeted by the badge;
    // saves wait for the one under way.
    // With no key and nothing typed (a null `typed`), the badge waits for the answer.
    for (const QString& typed : {QStringLiteral("sk-new"), QString()}) {
        SCOPED_TRACE(typed.toStdString());
        typed.isNull() ? removeKey() : storeKey(QStringLiteral("sk-stored"));
        secrets->holdReads = true;
        openCard(false);
        QTest::keyClicks(keyField(), typed);
        EXPECT_EQ(std::pair(keyField()->text(), card->isBadgeShown()), std::pair(typed, false));
        secrets->openGate();
        ASSERT_TRUE(waitUntil([this] { return loads == 1; }));
        EXPECT_EQ(std::pair(keyField()->text(), card->isBadgeShown()), std::pair(typed, typed.isNull()));
        clock.advance(0.5);
        EXPECT_TRUE(waitUntil([&] { return storedKey() == (typed.isNull() ? std::nullopt : std::optional(typed)); }));
    }

    // Keys saved while the keyring is still busy with an earlier one wait for it; only the last
    // of them follows, so the keyring ends with the last key typed.
    secrets->writes.clear();
    saves.clear();
    secrets->holdWrites = true;
    for (const QString& key : {QStringLiteral("sk-a"), QStringLiteral("sk-b"), QStringLiteral("sk-c")}) {
        retype(keyField(), key);
        card->hide();  // saves at once
        card->show();
    }
    EXPECT_EQ(secrets->writes, QStringList{QStringLiteral("sk-a")});
    secrets->openGate();
    ASSERT_TRUE(waitUntil([this] { return !saves.isEmpty(); }));
    EXPECT_EQ(secrets->writes, (QStringList{QStringLiteral("sk-a"), QStringLiteral("sk-c")}));
    EXPECT_EQ(saves, QList<bool>{true});
    EXPECT_EQ(std::pair(storedKey(), keyField()->text()),
              std::pair(std::optional(QStringLiteral("sk-c")), QStringLiteral("sk-c")));
}

// "测试连接" sends the key as typed (not the stored one, and not yet saved) with the fields'
// provider and model (the request itself as CliTest.AiTestSucceedsAndFailsCleanly checks it), and
// shows the outcome below the button within the 5-second time-out.
TEST_F(APIConfigCardTest, ConnectionTestReportsTheOutcomeOfTheExactRequestAndTheFieldsAreStoredAsTyped) {
    // The provider and the model are stored as typed, a blank field meaning the default.
    openCard();
    AISettingsStore settings(prefs, secrets);
    QLineEdit* baseURL = field("baseURLField");
    QLineEdit* model = field("modelField");
    // Nothing stored: the defaults show.
    EXPECT_EQ((QStringList{baseURL->text(), model->text(), model->placeholderText()}),
              (QStringList{"https://api.deepseek.com", "deepseek-chat", "model-name"}));

    // stored: undefined: nothing stored
    struct Field { QLineEdit* field; QString typed; QJsonValue stored; QString used; };
    const QList<Field> fields{
        {baseURL, QStringLiteral(" http://127.0.0.1:9/v1 "), QStringLiteral("http://127.0.0.1:9/v1"), QStringLiteral("http://127.0.0.1:9/v1")},
        {baseURL, QString(), QJsonValue::Undefined, QStringLiteral("https://api.deepseek.com")},
        {model, QStringLiteral("qwen-plus"), QStringLiteral("qwen-plus"), QStringLiteral("qwen-plus")},
        {model, QStringLiteral("   "), QJsonValue::Undefined, QStringLiteral("deepseek-chat")},
    };
    for (const Field& c : fields) {
        SCOPED_TRACE(c.typed.toStdString());
        retype(c.field, c.typed);
        const bool isURL = c.field == baseURL;
        const QString key = QString::fromLatin1(isURL ? AISettingsStore::kBaseURLKey : AISettingsStore::kModelKey);
        // The field keeps what the user typed.
        EXPECT_EQ(std::tuple(prefs.value(key), isURL ? settings.aiBaseURL() : settings.aiModel(), c.field->text()),
                  std::tuple(c.stored, c.used, c.typed));
    }

    // A change made elsewhere (`vocena config set`) shows up in the open card.
    ASSERT_EQ(Preferences(prefs.filePath()).setValue(QString::fromLatin1(AISettingsStore::kModelKey), QStringLiteral("glm-4")), QString());
    EXPECT_TRUE(waitUntil([model] { return model->text() == QStringLiteral("glm-4"); }));

    // "测试连接".
    storeKey(QStringLiteral("sk-stored"));
    // reason: in the line under a failure
    struct Case { const char* name; Response response; QString expected; int withinMs; QString reason; };
    const QList<Case> cases{
        {"answer", Response::chat(QStringLiteral("连接成功")).delayedBy(300), QStringLiteral("连接成功"), 3000, {}},
        {"wrong key", Response::json(401, R"({"error":{"message":"invalid key"}})"), QStringLiteral("连接失败"), 6000, QStringLiteral("API Key 无效")},
        {"no answer", Response::neverAnswer(), QStringLiteral("连接失败"), 6500, QStringLiteral("请求超时")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Response response = c.response;
        LoopbackHttpServer server([response](const LoopbackHttpServer::Request&) { return response; });
        openCard();
        retype(field("baseURLField"), server.baseURL());
        retype(field("modelField"), QStringLiteral("test-model"));
        retype(keyField(), QStringLiteral("sk-typed"));

        QElapsedTimer elapsed;
        elapsed.start();
        QTest::mouseClick(testButton(), Qt::LeftButton);
        EXPECT_EQ(std::tuple(card->isTesting(), testButton()->isEnabled(), resultText()),
                  std::tuple(true, false, QString()));
        ASSERT_TRUE(waitUntil([this] { return !card->isTesting(); }, 10000));
        EXPECT_LT(elapsed.elapsed(), c.withinMs);
        EXPECT_EQ(resultText(), c.expected);
        const QString reason = shownText(card, "testResultReason");
        EXPECT_TRUE(c.reason.isEmpty() ? reason.isNull() : reason.contains(c.reason)) << reason.toStdString();
        EXPECT_TRUE(testButton()->isEnabled());

        ASSERT_EQ(server.requests().size(), 1);
        const LoopbackHttpServer::Request request = server.requests().first();
        const QJsonValue model = QJsonDocument::fromJson(request.body).object().value(QStringLiteral("model"));
        EXPECT_EQ((QList<QByteArray>{request.method, request.target, request.headers.value("authorization"),
                                     model.toString().toUtf8()}),
                  (QList<QByteArray>{"POST", "/v1/chat/completions", "Bearer sk-typed", "test-model"}));
    }

}
