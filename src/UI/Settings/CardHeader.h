#pragma once

#include "UI/Settings/SettingsSymbols.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace vocena {

class SymbolView;

// The first line of every settings card: its symbol in the brand colour and its title; a card
// may add a widget at the end of the line (a badge).
class CardHeader final : public QWidget {
    Q_OBJECT
public:
    CardHeader(SettingsSymbols::Symbol symbol, const QString& title, QWidget* parent = nullptr);

    void addTrailing(QWidget* widget);
    QLabel* titleLabel() const { return m_title; }
    SymbolView* symbolView() const { return m_symbol; }

private:
    SymbolView* m_symbol;
    QLabel* m_title;
    QHBoxLayout* m_layout;
};

}  // namespace vocena
