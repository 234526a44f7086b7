#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

#include <QDialog>

namespace vocena {

// What to install or allow on Linux for one permission (the text `vocena doctor` prints),
// with what the last check found; the commands can be selected and copied.
class PermissionHelpDialog : public QDialog {
    Q_OBJECT
public:
    PermissionHelpDialog(PermissionType type, const QString& finding, QWidget* parent = nullptr);

    PermissionType type() const { return m_type; }

private:
    const PermissionType m_type;
};

}  // namespace vocena
