#include "UI/Settings/GeneralSettingsCard.h"

#include "Infrastructure/InputMethod/LivePreedit.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"
#include "UI/Settings/ThemeOptionRow.h"
#include "UI/Settings/ToggleSettingRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

namespace {

const Logger logger("GeneralSettingsCard");
const Logger settingsLogger("SettingsView");
using Symbol = SettingsSymbols::Symbol;

QLayout* sectionTitle(Symbol symbol, const QString& title, QWidget* parent) {
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(new SymbolView(symbol, 14, SymbolView::Tint::secondary, parent));
    line->addWidget(SettingsStyle::label(title, SettingsStyle::Role::sectionTitle, parent));
    line->addStretch(1);
    return line;
}

}  // namespace

GeneralSettingsCard::GeneralSettingsCard(Preferences& preferences, Actions actions, QWidget* parent)
    : SettingsCard(Symbol::gear, QStringLiteral("常规设置"), parent), m_preferences(preferences), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("generalSettingsCard"));
    body()->setSpacing(18);
    body()->addWidget(buildAppearance());
    body()->addWidget(buildLaunch());
    body()->addWidget(buildInput());
    body()->addStretch(1);
    refresh();
    m_observation = m_preferences.observe([this] { refresh(); });
}

QWidget* GeneralSettingsCard::buildAppearance() {
    auto* section = new QWidget(this);
    auto* choices = new QHBoxLayout;
    choices->setSpacing(8);
    const std::pair<Symbol, QString> themes[] = {
        {Symbol::sun, QStringLiteral("浅色")}, {Symbol::moon, QStringLiteral("深色")}, {Symbol::desktop, QStringLiteral("自动")}};
    for (const auto& [symbol, title] : themes) {
        auto* option = new ThemeOptionRow(symbol, title, section);
        const int value = int(m_themes.size());
        connect(option, &ThemeOptionRow::clicked, this, [this, value] { chooseTheme(value); });
        m_themes << option;
        choices->addWidget(option, 1);
    }
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addLayout(sectionTitle(Symbol::palette, QStringLiteral("外观"), section));
    layout->addLayout(choices);
    return section;
}

QWidget* GeneralSettingsCard::buildLaunch() {
    auto* section = new QWidget(this);
    m_autoLaunch = new ToggleSettingRow(QStringLiteral("开机自动启动"), QStringLiteral("启用后，澄言将在系统启动时自动运行"), section);
    m_silentLaunch = new ToggleSettingRow(QStringLiteral("静默启动"), QStringLiteral("启动时不显示窗口，仅在菜单栏运行"), section);
    m_loginItemError = SettingsStyle::label(QString(), SettingsStyle::Role::error, section);
    m_loginItemError->setObjectName(QStringLiteral("loginItemError"));
    m_loginItemError->setWordWrap(true);
    m_loginItemError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_loginItemError->hide();
    connect(m_autoLaunch, &ToggleSettingRow::toggled, this, &GeneralSettingsCard::setAutoLaunch);
    connect(m_silentLaunch, &ToggleSettingRow::toggled, this, [this](bool on) { store(kSilentLaunchKey, on); });

    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addLayout(sectionTitle(Symbol::power, QStringLiteral("启动"), section));
    layout->addWidget(m_autoLaunch);
    layout->addWidget(m_loginItemError);
    layout->addWidget(m_silentLaunch);
    return section;
}

QWidget* GeneralSettingsCard::buildInput() {
    auto* section = new QWidget(this);
    m_livePreedit = new ToggleSettingRow(QStringLiteral("在输入框中显示实时识别文字"),
                                         QStringLiteral("通过 fcitx5 输入时，识别中的文字带下划线显示在输入框里"), section);
    connect(m_livePreedit, &ToggleSettingRow::toggled, this, [this](bool on) { store(LivePreedit::preferenceKey, on); });
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addLayout(sectionTitle(Symbol::keyboard, QStringLiteral("输入"), section));
    layout->addWidget(m_livePreedit);
    return section;
}

void GeneralSettingsCard::store(const QString& key, const QJsonValue& value) {
    const QString failure = m_preferences.setValue(key, value);
    if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存设置 %1: %2").arg(key, failure));
}

void GeneralSettingsCard::store(const char* key, const QJsonValue& value) { store(QString::fromLatin1(key), value); }

void GeneralSettingsCard::applyStoredTheme(Preferences& preferences, const std::function<void()>& apply) {
    const Theme theme = ThemePalette::themeFromPreference(preferences.intValue(QString::fromLatin1(kThemeKey)).value_or(0));
    if (apply) apply();
    settingsLogger.info(QStringLiteral("主题已切换: %1").arg(ThemePalette::themeName(theme)));
}

void GeneralSettingsCard::chooseTheme(int value) {
    store(kThemeKey, value);
    refresh();
    applyStoredTheme(m_preferences, m_actions.applyTheme);
}

void GeneralSettingsCard::setAutoLaunch(bool enabled) {
    store(kAutoLaunchKey, enabled);
    updateLoginItem(enabled);
}

void GeneralSettingsCard::updateLoginItem(bool enabled) {
    m_loginItemError->clear();
    m_loginItemError->hide();
    if (!m_actions.updateLoginItem) return;
    // The registration logs its own failure; the card shows it.
    const QString failure = m_actions.updateLoginItem(enabled);
    if (failure.isEmpty()) return;
    m_loginItemError->setText(QStringLiteral("设置失败：") + failure);
    m_loginItemError->show();
}

void GeneralSettingsCard::refresh() {
    // A stored value out of range reads as light, as the appearance reads it.
    const int selected = int(ThemePalette::themeFromPreference(m_preferences.intValue(QString::fromLatin1(kThemeKey)).value_or(0)));
    for (int i = 0; i < m_themes.size(); ++i) m_themes[i]->setSelected(i == selected);
    m_autoLaunch->setOn(m_preferences.boolValue(QString::fromLatin1(kAutoLaunchKey)).value_or(false));
    m_silentLaunch->setOn(m_preferences.boolValue(QString::fromLatin1(kSilentLaunchKey)).value_or(false));
    m_livePreedit->setOn(m_preferences.boolValue(LivePreedit::preferenceKey).value_or(true));
}

}  // namespace vocena
