#pragma once

#include <QString>

namespace vocena {

// The menu items that follow the work mode and the AI mode.
class ModeMenu {
public:
    virtual ~ModeMenu() = default;
    virtual void setWorkModeTitle(const QString& title) = 0;
    virtual void setAIModeTitle(const QString& title) = 0;
    // Re-evaluates the enabled states (the clear-conversation item follows the mode).
    virtual void updateMenuItemsState() = 0;
};

}  // namespace vocena
