#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QPalette;
class QWidget;

namespace vocena::SettingsStyle {

// The brand's red and its pale tint.
QColor brandColor();
QColor brandLight();

// The settings window's colours in the light or the dark variant.
struct Colors {
    QColor window;         // behind the cards
    QColor card;           // a card's background
    QColor border;         // a card's and a row's outline
    QColor row;            // an unselected option row, a notice box
    QColor selectedRow;    // a selected option row
    QColor textPrimary;
    QColor textSecondary;
    QColor error;
};
Colors colors(bool dark);
// The variant for `palette` (light or dark), for what paints itself from a widget's palette.
Colors colors(const QPalette& palette);

// Whether the app looks dark now: the application palette the current theme applied
// (light, dark, or the system's when following it).
bool isDarkTheme();

// What a widget is to the style sheet (its "settingsRole" property).
enum class Role {
    card,          // a QFrame holding one card
    cardTitle,     // the title of a card's header
    sectionTitle,  // a heading inside a card
    secondary,     // a note or description under a title
    option,        // a choice row that can be selected (QFrame)
    panel,         // a tinted box inside a card (QFrame)
    accent,        // text in the brand colour
    badge,         // a small label in white on the brand colour
    error,         // a failure shown in a card
    field,         // a text field (QLineEdit)
    button,        // a plain push button
    primaryButton, // a push button in the brand colour
};
void setRole(QWidget* widget, Role role);
// A label of that role.
QLabel* label(const QString& text, Role role, QWidget* parent);
// Marks an option row selected or not and restyles it.
void setSelected(QWidget* widget, bool selected);

// The style sheet of the settings window and everything inside it (objectName `rootName`).
QString styleSheet(bool dark, const QString& rootName);

}  // namespace vocena::SettingsStyle
