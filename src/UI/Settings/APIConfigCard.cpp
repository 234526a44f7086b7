#include "UI/Settings/APIConfigCard.h"

#include "Infrastructure/LLM/ConnectionTest.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Permissions/PermissionSymbols.h"
#include "UI/Settings/APIConfigSymbols.h"
#include "UI/Settings/PreferenceTextField.h"
#include "UI/Settings/SettingsStyle.h"

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

using APIConfigSymbols::Symbol;

const QColor kBrand = SettingsStyle::brandColor();
const QColor kBrandLight = SettingsStyle::brandLight();

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(alpha);
    return color;
}

QString css(const QColor& color) { return color.name(QColor::HexArgb); }

}  // namespace

APIConfigCard::APIConfigCard(Preferences& preferences, Scheduler& scheduler, std::shared_ptr<SecretStore> secrets,
                             QWidget* parent)
    : QFrame(parent),
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
    paint();
}

// A key typed just before the card goes away is still saved; nobody is told the outcome.
APIConfigCard::~APIConfigCard() {
    m_saver.setFinishedHandler(nullptr);
    flushPendingSave();
}

void APIConfigCard::buildLayout() {
    m_headerSymbol = new QLabel(this);
    m_headerSymbol->setFixedSize(20, 20);
    auto* title = new QLabel(QStringLiteral("API 配置"), this);
    title->setObjectName(QStringLiteral("cardTitle"));
    m_badge = new QLabel(QStringLiteral("推荐配置"), this);
    m_badge->setObjectName(QStringLiteral("badgeLabel"));
    m_badge->hide();
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(m_headerSymbol);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_badge);

    m_keyField = new QLineEdit(this);
    m_keyField->setObjectName(QStringLiteral("apiKeyField"));
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setPlaceholderText(QStringLiteral("sk-xxxxxxxxxxxxxxxx"));
    connect(m_keyField, &QLineEdit::textEdited, this, &APIConfigCard::onKeyEdited);
    m_keyNote = new QLabel(QStringLiteral("API Key 未能保存到密钥环"), this);
    m_keyNote->setObjectName(QStringLiteral("keyNote"));
    m_keyNote->setWordWrap(true);
    m_keyNote->hide();

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
    connect(m_testButton, &QPushButton::clicked, this, &APIConfigCard::startConnectionTest);

    m_testResult = new QWidget(this);
    m_testResult->setObjectName(QStringLiteral("testResult"));
    m_testResultSymbol = new QLabel(m_testResult);
    m_testResultSymbol->setFixedSize(16, 16);
    m_testResultText = new QLabel(m_testResult);
    m_testResultText->setObjectName(QStringLiteral("testResultText"));
    auto* result = new QHBoxLayout(m_testResult);
    result->setContentsMargins(0, 0, 0, 0);
    result->setSpacing(6);
    result->addWidget(m_testResultSymbol);
    result->addWidget(m_testResultText, 1);
    m_testResult->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 16);
    column->setSpacing(6);
    column->addLayout(header);
    column->addSpacing(10);
    column->addWidget(fieldTitle(QStringLiteral("API Key"), &m_keySymbol));
    column->addWidget(m_keyField);
    column->addWidget(m_keyNote);
    column->addSpacing(8);
    column->addWidget(fieldTitle(QStringLiteral("Base URL"), &m_baseURLSymbol));
    column->addWidget(m_baseURLField);
    column->addSpacing(8);
    column->addWidget(fieldTitle(QStringLiteral("模型"), nullptr));
    column->addWidget(m_modelField);
    column->addSpacing(14);
    column->addWidget(m_testButton);
    column->addWidget(m_testResult);
    column->addStretch(1);
}

// A field's title, after its symbol when it has one.
QWidget* APIConfigCard::fieldTitle(const QString& title, QLabel** symbol) {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("fieldTitleRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    if (symbol) {
        *symbol = new QLabel(row);
        (*symbol)->setFixedSize(14, 14);
        layout->addWidget(*symbol);
    }
    auto* label = new QLabel(title, row);
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
    QFrame::showEvent(event);
    if (!event->spontaneous()) loadKeyFromKeychain();
}

// Closing the window ends the editing: the last key typed is saved now rather than later.
void APIConfigCard::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    if (!event->spontaneous()) flushPendingSave();
}

QCoro::Task<> APIConfigCard::loadKeyFromKeychain() {
    QPointer self{this};
    const quint64 load = ++m_loads;
    const quint64 editsBefore = m_edits;
    const bool savingBefore = m_saveDebounceWork || m_saver.isWriting();
    QCoro::Task<std::optional<QString>> loading = m_settings.loadAPIKeyAsync();
    const std::optional<QString> key = co_await std::move(loading);
    if (!self || load != m_loads) co_return;

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
    showTestResult(std::nullopt);
    // The key as typed, which may not be saved yet; the provider and model the fields stand for.
    QCoro::Task<ConnectionTestResult> testing =
        ConnectionTest::run(m_keyField->text(), m_baseURLField->effectiveValue(), m_modelField->effectiveValue());
    const ConnectionTestResult result = co_await std::move(testing);
    if (!self) co_return;
    m_testing = false;
    m_testButton->setEnabled(true);
    showTestResult(result.success);
    Q_EMIT connectionTested(result.success);
}

void APIConfigCard::showTestResult(std::optional<bool> success) {
    m_testSuccess = success;
    m_testResult->setVisible(success.has_value());
    if (success) m_testResultText->setText(*success ? QStringLiteral("连接成功") : QStringLiteral("连接失败"));
    paint();
}

void APIConfigCard::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paint();
}

void APIConfigCard::paint() {
    const QPalette& colors = palette();
    const bool dark = PermissionSymbols::isDark(colors);
    const qreal ratio = devicePixelRatioF();
    const QColor text = dark ? QColor(Qt::white) : QColor(Qt::black);
    const QColor secondary = withAlpha(text, 0.6);
    const QColor cardBackground = dark ? QColor(44, 44, 46) : QColor(Qt::white);
    const QColor fieldBackground = dark ? QColor(28, 28, 30) : QColor(246, 246, 248);
    const QColor border = withAlpha(text, dark ? 0.16 : 0.12);
    const QColor resultColor = m_testSuccess.value_or(false) ? PermissionSymbols::green(colors) : PermissionSymbols::red(colors);

    const QString style =
        QStringLiteral(
            "QFrame#apiConfigCard { background: %1; border: 1px solid %2; border-radius: 14px; }"
            // Whatever the window's style sheet gives its widgets, the card's own parts show its background.
            "QFrame#apiConfigCard QLabel, QWidget#fieldTitleRow, QWidget#testResult { background: transparent; }"
            "QLabel#cardTitle { color: %3; font-size: 15px; font-weight: 600; }"
            "QFrame#apiConfigCard QLabel#badgeLabel { background: %4; color: %5; border-radius: 8px; padding: 2px 8px; font-size: 11px; font-weight: 600; }"
            "QLabel#fieldTitle { color: %6; font-size: 12px; }"
            "QLineEdit { background: %7; color: %3; border: 1px solid %2; border-radius: 8px; padding: 6px 9px; font-size: 13px; }"
            "QLineEdit:focus { border: 1px solid %8; }"
            "QPushButton#testButton { background: %8; color: white; border: none; border-radius: 8px; padding: 8px; font-size: 13px; font-weight: 600; }"
            "QPushButton#testButton:hover { background: %9; }"
            "QPushButton#testButton:disabled { background: %10; }"
            "QLabel#keyNote { color: %11; font-size: 11px; }"
            "QLabel#testResultText { color: %12; font-size: 12px; }")
            .arg(css(cardBackground), css(border), css(text))
            // The badge: white on the brand colour in the dark, the brand colour on its light tint in the light.
            .arg(css(dark ? kBrand : kBrandLight), css(dark ? QColor(Qt::white) : kBrand))
            .arg(css(secondary), css(fieldBackground), css(kBrand), css(kBrand.darker(110)), css(withAlpha(kBrand, 0.45)))
            .arg(css(PermissionSymbols::red(colors)), css(resultColor));
    // Setting an equal style sheet again would polish the widgets anew for nothing.
    if (style != styleSheet()) setStyleSheet(style);

    m_headerSymbol->setPixmap(APIConfigSymbols::pixmap(Symbol::key, kBrand, 20, ratio));
    m_keySymbol->setPixmap(PermissionSymbols::pixmap(PermissionSymbols::Symbol::lockShield, secondary, 14, ratio));
    m_baseURLSymbol->setPixmap(APIConfigSymbols::pixmap(Symbol::network, secondary, 14, ratio));
    m_testButton->setIcon(QIcon(APIConfigSymbols::pixmap(Symbol::bolt, Qt::white, 14, ratio)));
    if (m_testSuccess) {
        m_testResultSymbol->setPixmap(*m_testSuccess
                                          ? PermissionSymbols::pixmap(PermissionSymbols::Symbol::checkmarkCircle, resultColor, 16, ratio)
                                          : APIConfigSymbols::pixmap(Symbol::xmarkCircle, resultColor, 16, ratio));
    }
}

}  // namespace vocena
