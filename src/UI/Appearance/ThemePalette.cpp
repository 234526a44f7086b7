#include "UI/Appearance/ThemePalette.h"

#include <QStyle>
#include <QStyleFactory>
#include <memory>

namespace vocena::ThemePalette {

Theme themeFromPreference(qint64 value) {
    if (value == 1) return Theme::dark;
    if (value == 2) return Theme::system;
    return Theme::light;
}

QString themeName(Theme theme) {
    switch (theme) {
    case Theme::light: return QStringLiteral("浅色");
    case Theme::dark: return QStringLiteral("深色");
    case Theme::system: return QStringLiteral("跟随系统");
    }
    return {};
}

bool isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

QPalette light() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    return fusion ? fusion->standardPalette() : QPalette(QColor(239, 239, 239));
}

QPalette dark() {
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor button(56, 56, 60);
    const QColor text(230, 230, 230);
    const QColor disabledText(128, 128, 128);
    const QColor highlight(42, 110, 210);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, button);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(255, 90, 90));
    palette.setColor(QPalette::Light, button.lighter(150));
    palette.setColor(QPalette::Midlight, button.lighter(125));
    palette.setColor(QPalette::Mid, button.darker(125));
    palette.setColor(QPalette::Dark, window.darker(150));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(100, 160, 255));
    palette.setColor(QPalette::LinkVisited, QColor(170, 130, 255));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, window.lighter(130));
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, disabledText);
    return palette;
}

}  // namespace vocena::ThemePalette
