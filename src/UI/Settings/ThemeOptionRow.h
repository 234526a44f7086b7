#pragma once

#include "UI/Settings/OptionFrame.h"
#include "UI/Settings/SettingsSymbols.h"

namespace vocena {

class SymbolView;

// One appearance to choose: a symbol on a disc above its label.
class ThemeOptionRow final : public OptionFrame {
    Q_OBJECT
public:
    ThemeOptionRow(SettingsSymbols::Symbol icon, const QString& title, QWidget* parent = nullptr);

    const QString& title() const { return m_title; }

protected:
    void selectionChanged(bool selected) override;

private:
    QString m_title;
    SymbolView* m_icon;
};

}  // namespace vocena
