#pragma once

#include "UI/Settings/SettingsSymbols.h"

#include <QWidget>

namespace vocena {

// One thing the model does to a transcript, as the AI card lists it: symbol, title, description.
class AIFeatureItem final : public QWidget {
    Q_OBJECT
public:
    AIFeatureItem(SettingsSymbols::Symbol symbol, const QString& title, const QString& description, QWidget* parent = nullptr);
};

}  // namespace vocena
