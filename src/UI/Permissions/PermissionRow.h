#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"
#include "UI/Permissions/PermissionGuidanceViewModel.h"

#include <QFrame>

class QLabel;
class QPushButton;

namespace vocena {

class InstallProgressView;
class NoteLabel;

// One permission of the guide: its symbol, title and description, a note (why it is missing,
// or why the model install failed), the progress of a model install, an optional download
// offered under the texts (a line and "下载"), and at the right end the status: "授权" (not
// determined), a green check (authorized), "去开启" (denied), an orange warning with "受限"
// (restricted), or "取消" while a model installs.
class PermissionRow : public QFrame {
    Q_OBJECT
public:
    explicit PermissionRow(PermissionType type, QWidget* parent = nullptr);

    PermissionType type() const { return m_type; }
    void setStatus(PermissionStatus status);
    void setInstall(const PermissionGuidanceViewModel::ModelInstall& install);
    // Empty hides it; a problem shows in red.
    void setNote(const QString& text, bool problem);
    // The offered download's line; empty hides it with its button.
    void setOffer(const QString& text);

    static QString description(PermissionType type);

Q_SIGNALS:
    void requested(vocena::PermissionType type);
    void openSettingsRequested(vocena::PermissionType type);
    void cancelRequested();
    void offerAccepted();

protected:
    void changeEvent(QEvent* event) override;

private:
    void onAction();
    // The symbols and colours, for the status and the palette.
    void paint();
    // What shows for the status and the install.
    void refresh();

    const PermissionType m_type;
    PermissionStatus m_status = PermissionStatus::notDetermined;
    PermissionGuidanceViewModel::ModelInstall m_install;
    QLabel* m_symbol;
    NoteLabel* m_note;
    InstallProgressView* m_progress;
    QWidget* m_offer;
    QLabel* m_offerText;
    QPushButton* m_action;
    QLabel* m_statusIcon;
    QLabel* m_restricted;
};

}  // namespace vocena
