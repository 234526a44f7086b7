#pragma once

#include "UI/Settings/SettingsSymbols.h"

#include <QWidget>
#include <optional>

namespace vocena {

// One symbol of the settings window, drawn in a colour of the current theme, optionally on a
// disc. The colours are picked at every paint (the window repaints when the theme changes).
class SymbolView final : public QWidget {
    Q_OBJECT
public:
    enum class Tint { brand, primary, secondary, white, warning, row, muted };

    SymbolView(SettingsSymbols::Symbol symbol, int symbolSize, Tint tint, QWidget* parent = nullptr);

    void setSymbol(SettingsSymbols::Symbol symbol);
    void setTint(Tint tint);
    // Draws the symbol on a disc of `diameter` (none: no disc); the widget grows to fit it.
    void setDisc(std::optional<Tint> disc, int diameter = 0);

    SettingsSymbols::Symbol symbol() const { return m_symbol; }

    static QColor color(Tint tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateSize();

    SettingsSymbols::Symbol m_symbol;
    int m_symbolSize;
    Tint m_tint;
    std::optional<Tint> m_disc;
    int m_discDiameter = 0;
};

}  // namespace vocena
