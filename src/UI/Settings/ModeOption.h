#pragma once

#include "UI/Settings/OptionFrame.h"
#include "UI/Settings/SettingsSymbols.h"

class QLabel;

namespace vocena {

class SymbolView;

// One work mode as a choice of the work-mode card: its symbol, title and subtitle, what it
// does, and the shortcut that reaches it.
class ModeOption final : public OptionFrame {
    Q_OBJECT
public:
    struct Content {
        SettingsSymbols::Symbol icon;
        QString title;
        QString subtitle;
        QString description;
        QString shortcut;
    };

    explicit ModeOption(const Content& content, QWidget* parent = nullptr);

    const Content& content() const { return m_content; }

protected:
    void selectionChanged(bool selected) override;

private:
    Content m_content;
    SymbolView* m_icon;
};

}  // namespace vocena
