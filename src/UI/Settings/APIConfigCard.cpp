#include "UI/Settings/APIConfigCard.h"

#include "Infrastructure/LLM/ConnectionTest.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Permissions/PermissionSymbols.h"
#include "UI/Settings/CardHeader.h"
#include "UI/Common/PreferenceTextField.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"

#include <QEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace vocena {

namespace {
const Logger logger("SettingsView");
}  // namespace

using Symbol = SettingsSymbols::Symbol;

APIConfigCard::APIConfigCard(Preferences& preferences, Scheduler& scheduler, std::shared_ptr<SecretStore> secrets,
                             QWidget* parent)
    : SettingsCard(Symbol::key, QStringLiteral("API 配置"), parent),
      m_preferences(preferences),
      m_scheduler(scheduler),
      m_settings(preferences, secrets),
      m_saver(secrets) {
    setObjectName(QStringLiteral("apiConfigCard"));
    setFixedWidth(kWidth);
    buildLayout();
    QPointer self{this};
    m_saver.setFinishedHandler([self](bool stored) {
        if (self) self->onKeySaveFinished(stored);
    });
}

// A key typed just before the card goes away is still saved; nobody is told the outcome.
APIConfigCard::~APIConfigCard() {
    m_saver.setFinishedHandler(nullptr);
    flushPendingSave();
}

void APIConfigCard::buildLayout() {
    m_badge = SettingsStyle::label(QStringLiteral("推荐配置"), SettingsStyle::Role::badge, this);
    m_badge->setObjectName(QStringLiteral("badgeLabel"));
    m_badge->hide();
    header()->addTrailing(m_badge);

    m_keyField = new QLineEdit(this);
    m_keyField->setObjectName(QStringLiteral("apiKeyField"));
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setPlaceholderText(QStringLiteral("sk-xxxxxxxxxxxxxxxx"));
    connect(m_keyField, &QLineEdit::textEdited, this, &APIConfigCard::onKeyEdited);
    m_keyNote = SettingsStyle::label(QStringLiteral("API Key 未能保存到密钥环"), SettingsStyle::Role::error, this);
    m_keyNote->setObjectName(QStringLiteral("keyNote"));
    m_keyNote->setWordWrap(true);
    m_keyNote->hide();
    m_readNote = SettingsStyle::label(QStringLiteral("无法读取密钥环"), SettingsStyle::Role::error, this);
    m_readNote->setObjectName(QStringLiteral("keyReadNote"));
    m_readNote->hide();

    // A blank field stands for the default provider, so its address is the example shown.
    m_baseURLField = new PreferenceTextField(m_preferences, QString::fromLatin1(AISettingsStore::kBaseURLKey),
                                             QString::fromLatin1(AISettingsStore::kDefaultBaseURL), this);
    m_baseURLField->setObjectName(QStringLiteral("baseURLField"));
    m_baseURLField->setPlaceholderText(QString::fromLatin1(AISettingsStore::kDefaultBaseURL));
    m_modelField = new PreferenceTextField(m_preferences, QString::fromLatin1(AISettingsStore::kModelKey),
                                           QString::fromLatin1(AISettingsStore::kDefaultModel), this);
    m_modelField->setObjectName(QStringLiteral("modelField"));
    m_modelField->setPlaceholderText(QStringLiteral("model-name"));

    m_testButton = new QPushButton(QStringLiteral("测试连接"), this);
    m_testButton->setObjectName(QStringLiteral("testButton"));
    m_testButton->setAutoDefault(false);
    m_testButton->setCursor(Qt::PointingHandCursor);
    m_testButton->setIcon(QIcon(SettingsSymbols::pixmap(Symbol::bolt, Qt::white, 14, devicePixelRatioF())));
    SettingsStyle::setRole(m_testButton, SettingsStyle::Role::primaryButton);
    connect(m_testButton, &QPushButton::clicked, this, &APIConfigCard::startConnectionTest);

    m_testResult = new QWidget(this);
    m_testResult->setObjectName(QStringLiteral("testResult"));
    m_testResultSymbol = new QLabel(m_testResult);
    m_testResultSymbol->setFixedSize(16, 16);
    m_testResultText = new QLabel(m_testResult);
    m_testResultText->setObjectName(QStringLiteral("testResultText"));
    // Why it failed, in a second line: a wrong key and an unreachable host ask for other fixes.
    m_testReason = SettingsStyle::label(QString(), SettingsStyle::Role::secondary, m_testResult);
    m_testReason->setObjectName(QStringLiteral("testResultReason"));
    m_testReason->setWordWrap(true);
    m_testReason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_testReason->setContentsMargins(22, 0, 0, 0);  // under "连接失败", past its symbol
    m_testReason->hide();
    auto* resultLine = new QHBoxLayout;
    resultLine->setContentsMargins(0, 0, 0, 0);
    resultLine->setSpacing(6);
    resultLine->addWidget(m_testResultSymbol);
    resultLine->addWidget(m_testResultText, 1);
    auto* result = new QVBoxLayout(m_testResult);
    result->setContentsMargins(0, 0, 0, 0);
    result->setSpacing(2);
    result->addLayout(resultLine);
    result->addWidget(m_testReason);
    m_testResult->hide();

    for (QLineEdit* field : {m_keyField, static_cast<QLineEdit*>(m_baseURLField), static_cast<QLineEdit*>(m_modelField)})
        SettingsStyle::setRole(field, SettingsStyle::Role::field);

    QVBoxLayout* column = body();
    column->setSpacing(6);
    column->addWidget(fieldTitle(QStringLiteral("API Key"), Symbol::lockShield));
    column->addWidget(m_keyField);
    column->addWidget(m_keyNote);
    column->addWidget(m_readNote);
    column->addSpacing(8);
    column->addWidget(fieldTitle(QStringLiteral("Base URL"), Symbol::network));
    column->addWidget(m_baseURLField);
    column->addSpacing(8);
    column->addWidget(fieldTitle(QStringLiteral("模型"), std::nullopt));
    column->addWidget(m_modelField);
    column->addSpacing(14);
    column->addWidget(m_testButton);
    column->addWidget(m_testResult);
    column->addStretch(1);
}

// A field's title, after its symbol when it has one.
QWidget* APIConfigCard::fieldTitle(const QString& title, std::optional<SettingsSymbols::Symbol> symbol) {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("fieldTitleRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    if (symbol) layout->addWidget(new SymbolView(*symbol, 14, SymbolView::Tint::secondary, row));
    auto* label = SettingsStyle::label(title, SettingsStyle::Role::secondary, row);
    label->setObjectName(QStringLiteral("fieldTitle"));
    layout->addWidget(label, 1);
    return row;
}

void APIConfigCard::dismissBadge() {
    if (!m_badgeShown) return;
    setBadgeShown(false);
    m_preferences.setValue(QString::fromLatin1(kBadgeSeenKey), true);
}

void APIConfigCard::setBadgeShown(bool shown) {
    m_badgeShown = shown;
    m_badge->setVisible(shown);
}

void APIConfigCard::onKeyEdited() {
    ++m_edits;
    dismissBadge();
    if (m_saveDebounceWork) m_saveDebounceWork->cancel();
    QPointer self{this};
    m_saveDebounceWork = m_scheduler.schedule(kSaveDelay, [self] {
        if (self) self->flushPendingSave();
    });
}

void APIConfigCard::flushPendingSave() {
    if (!m_saveDebounceWork) return;
    std::exchange(m_saveDebounceWork, nullptr)->cancel();
    m_saver.save(m_keyField->text());
}

void APIConfigCard::onKeySaveFinished(bool stored) {
    m_keyNote->setVisible(!stored);
    Q_EMIT keySaved(stored);
}

void APIConfigCard::showEvent(QShowEvent* event) {
    SettingsCard::showEvent(event);
    if (!event->spontaneous()) loadKeyFromKeychain();
}

// Closing the window ends the editing: the last key typed is saved now rather than later.
void APIConfigCard::hideEvent(QHideEvent* event) {
    SettingsCard::hideEvent(event);
    if (!event->spontaneous()) flushPendingSave();
}

QCoro::Task<> APIConfigCard::loadKeyFromKeychain() {
    QPointer self{this};
    const quint64 load = ++m_loads;
    const quint64 editsBefore = m_edits;
    const bool savingBefore = m_saveDebounceWork || m_saver.isWriting();
    QCoro::Task<SecretStore::Reading> loading = m_settings.loadAPIKeyChecked();
    const SecretStore::Reading reading = co_await std::move(loading);
    if (!self || load != m_loads) co_return;
    m_readNote->setVisible(reading.failed);
    if (reading.failed) {
        // Not "no key": the field keeps what it shows, and no badge asks for a key.
        Q_EMIT keyLoaded();
        co_return;
    }
    const std::optional<QString>& key = reading.secret;

    // The field already holds what the user typed, which may not have reached the store yet.
    const bool typedMeanwhile = m_edits != editsBefore || savingBefore || m_saver.isWriting();
    if (!typedMeanwhile && m_keyField->text() != key.value_or(QString())) m_keyField->setText(key.value_or(QString()));
    const bool seen = m_preferences.boolValue(QString::fromLatin1(kBadgeSeenKey)).value_or(false);
    if (!key && !seen && m_edits == 0) setBadgeShown(true);
    Q_EMIT keyLoaded();
}

void APIConfigCard::startConnectionTest() {
    if (!m_testing) testConnection();
}

QCoro::Task<> APIConfigCard::testConnection() {
    QPointer self{this};
    m_testing = true;
    m_testButton->setEnabled(false);
    showTestResult(std::nullopt, {});
    // The key as typed, which may not be saved yet; the provider and model the fields stand for.
    QCoro::Task<ConnectionTestResult> testing =
        ConnectionTest::run(m_keyField->text(), m_baseURLField->effectiveValue(), m_modelField->effectiveValue());
    const ConnectionTestResult result = co_await std::move(testing);
    if (!self) co_return;
    m_testing = false;
    m_testButton->setEnabled(true);
    if (!result.success) logger.error(QStringLiteral("连接测试失败: %1").arg(result.reason));
    showTestResult(result.success, result.reason);
    Q_EMIT connectionTested(result.success);
}

void APIConfigCard::showTestResult(std::optional<bool> success, const QString& reason) {
    m_testSuccess = success;
    m_testResult->setVisible(success.has_value());
    if (success) m_testResultText->setText(*success ? QStringLiteral("连接成功") : QStringLiteral("连接失败"));
    m_testReason->setText(reason);
    m_testReason->setVisible(success == false && !reason.isEmpty());
    paintTestResult();
}

void APIConfigCard::changeEvent(QEvent* event) {
    SettingsCard::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintTestResult();
}

// In the system's green or red, which differ between light and dark.
void APIConfigCard::paintTestResult() {
    if (!m_testSuccess) return;
    const QColor color = *m_testSuccess ? PermissionSymbols::green(palette()) : PermissionSymbols::red(palette());
    const Symbol symbol = *m_testSuccess ? Symbol::checkmarkCircle : Symbol::xmarkCircle;
    m_testResultSymbol->setPixmap(SettingsSymbols::pixmap(symbol, color, 16, devicePixelRatioF()));
    // Its own style sheet: the window's gives every label the text colour.
    const QString style = QStringLiteral("color: %1; font-size: 12px;").arg(color.name());
    if (style != m_testResultText->styleSheet()) m_testResultText->setStyleSheet(style);
}

}  // namespace vocena
