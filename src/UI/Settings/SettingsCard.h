#pragma once

#include "UI/Settings/SettingsSymbols.h"

#include <QFrame>

class QVBoxLayout;

namespace vocena {

class CardHeader;

// One card of the settings window: a rounded frame with a CardHeader above the card's own
// content (added to body()). The window gives it its width.
class SettingsCard : public QFrame {
    Q_OBJECT
public:
    SettingsCard(SettingsSymbols::Symbol symbol, const QString& title, QWidget* parent = nullptr);

    CardHeader* header() const { return m_header; }
    QVBoxLayout* body() const { return m_body; }

private:
    CardHeader* m_header;
    QVBoxLayout* m_body;
};

}  // namespace vocena
