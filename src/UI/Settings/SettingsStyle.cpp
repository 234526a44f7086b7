#include "UI/Settings/SettingsStyle.h"

#include "UI/Appearance/ThemePalette.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace vocena::SettingsStyle {

namespace {

QString css(const QColor& color) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alphaF(), 0, 'f', 2);
}

const char* roleName(Role role) {
    switch (role) {
    case Role::card: return "card";
    case Role::cardTitle: return "cardTitle";
    case Role::sectionTitle: return "sectionTitle";
    case Role::secondary: return "secondary";
    case Role::option: return "option";
    case Role::panel: return "panel";
    case Role::accent: return "accent";
    case Role::badge: return "badge";
    case Role::error: return "error";
    case Role::field: return "field";
    case Role::button: return "button";
    case Role::primaryButton: return "primaryButton";
    }
    return "";
}

void restyle(QWidget* widget) {
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

}  // namespace

QColor brandColor() { return QColor::fromRgbF(0.92f, 0.25f, 0.35f); }
QColor brandLight() { return QColor::fromRgbF(0.98f, 0.92f, 0.93f); }

Colors colors(bool dark) {
    if (dark) {
        QColor selected = brandColor();
        selected.setAlphaF(0.22f);
        return {QColor(0x1C, 0x1C, 0x1E), QColor(0x2C, 0x2C, 0x2E), QColor(0x4A, 0x4A, 0x4E), QColor(0x36, 0x36, 0x39),
                selected,                 QColor(0xF5, 0xF5, 0xF7), QColor(0xA1, 0xA1, 0xA6), QColor(0xFF, 0x45, 0x3A)};
    }
    return {QColor(0xF2, 0xF2, 0xF5), Qt::white, QColor(0xE3, 0xE3, 0xE8), QColor(0xF5, 0xF5, 0xF7),
            brandLight(),             QColor(0x1D, 0x1D, 0x1F), QColor(0x6E, 0x6E, 0x73), QColor(0xD7, 0x1F, 0x1F)};
}

Colors colors(const QPalette& palette) { return colors(ThemePalette::isDark(palette)); }

bool isDarkTheme() { return ThemePalette::isDark(QApplication::palette()); }

void setRole(QWidget* widget, Role role) {
    widget->setProperty("settingsRole", QString::fromLatin1(roleName(role)));
    if (role == Role::card || role == Role::option || role == Role::panel) widget->setAttribute(Qt::WA_StyledBackground);
    restyle(widget);
}

QLabel* label(const QString& text, Role role, QWidget* parent) {
    auto* result = new QLabel(text, parent);
    setRole(result, role);
    return result;
}

void setSelected(QWidget* widget, bool selected) {
    if (widget->property("selected").toBool() == selected && widget->property("selected").isValid()) return;
    widget->setProperty("selected", selected);
    restyle(widget);
}

QString styleSheet(bool dark, const QString& rootName) {
    const Colors c = colors(dark);
    QColor faintBrand = brandColor();
    faintBrand.setAlphaF(0.45f);
    const QString root = QLatin1Char('#') + rootName;
    QString sheet = QStringLiteral(
        "ROOT { background: WINDOW; }"
        "ROOT QLabel { color: TEXT; background: transparent; }"
        "ROOT QScrollArea, ROOT QScrollArea > QWidget#qt_scrollarea_viewport > QWidget { background: transparent; }"
        "ROOT QFrame[settingsRole=\"card\"] { background: CARD; border: 1px solid BORDER; border-radius: 12px; }"
        "ROOT QLabel[settingsRole=\"cardTitle\"] { font-size: 15px; font-weight: 600; }"
        "ROOT QLabel[settingsRole=\"sectionTitle\"] { color: SECONDARY; font-size: 12px; font-weight: 600; }"
        "ROOT QLabel[settingsRole=\"secondary\"] { color: SECONDARY; font-size: 12px; }"
        "ROOT QLabel[settingsRole=\"accent\"] { color: BRAND; font-weight: 600; }"
        "ROOT QLabel[settingsRole=\"badge\"] { color: white; background: BRAND; border-radius: 8px; padding: 1px 7px; font-size: 11px; }"
        "ROOT QLabel[settingsRole=\"error\"] { color: ERROR; font-size: 12px; }"
        "ROOT QFrame[settingsRole=\"option\"] { background: ROW; border: 1px solid transparent; border-radius: 10px; }"
        "ROOT QFrame[settingsRole=\"option\"]:hover { border: 1px solid BORDER; }"
        "ROOT QFrame[settingsRole=\"option\"][selected=\"true\"] { background: SELECTED; border: 1px solid BRAND; }"
        "ROOT QFrame[settingsRole=\"panel\"] { background: ROW; border-radius: 8px; }"
        "ROOT QLineEdit[settingsRole=\"field\"] { background: ROW; color: TEXT; border: 1px solid BORDER; border-radius: 8px; padding: 5px 8px; }"
        "ROOT QLineEdit[settingsRole=\"field\"]:focus { border-color: BRAND; }"
        "ROOT QPushButton[settingsRole=\"button\"] { background: ROW; color: TEXT; border: 1px solid BORDER; border-radius: 6px; padding: 5px 12px; }"
        "ROOT QPushButton[settingsRole=\"button\"]:hover { border-color: BRAND; }"
        "ROOT QPushButton[settingsRole=\"button\"]:disabled { color: SECONDARY; }"
        "ROOT QPushButton[settingsRole=\"primaryButton\"] { background: BRAND; color: white; border: none; border-radius: 8px; padding: 6px 12px; font-weight: 600; }"
        "ROOT QPushButton[settingsRole=\"primaryButton\"]:hover { background: PRESSEDBRAND; }"
        "ROOT QPushButton[settingsRole=\"primaryButton\"]:disabled { background: FAINTBRAND; }");
    sheet.replace(QStringLiteral("ROOT"), root);
    const std::pair<const char*, QColor> values[] = {
        {"WINDOW", c.window},   {"CARD", c.card},       {"BORDER", c.border},         {"ROW", c.row},
        {"SELECTED", c.selectedRow}, {"TEXT", c.textPrimary}, {"SECONDARY", c.textSecondary}, {"ERROR", c.error},
        // Before "BRAND", which they contain.
        {"PRESSEDBRAND", brandColor().darker(110)}, {"FAINTBRAND", faintBrand}, {"BRAND", brandColor()},
    };
    for (const auto& [name, color] : values) sheet.replace(QString::fromLatin1(name), css(color));
    return sheet;
}

}  // namespace vocena::SettingsStyle
