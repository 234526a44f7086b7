#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"
#include "UI/Permissions/PermissionGuideSetup.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class QLabel;
class QMessageBox;
class QPushButton;

namespace vocena {

class MirrorField;
class PermissionGuidanceViewModel;
class PermissionHelpDialog;
class PermissionRow;
class Preferences;

// The permission guide, "权限设置" (480 × 400): a header that says whether everything is
// granted, one row per permission (the speech row offers the final-pass model once speech
// recognition is granted), the field "下载镜像" while there is a model to download, and
// "稍后再说", "全部授权 强制刷新" and "开始使用". It checks the permissions when created and
// when it appears, and refreshes accessibility half a second after it is activated again (the
// user comes back from granting it elsewhere).
// Closing it deletes it, with its view model; a model install under way is cancelled.
class PermissionGuidanceView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 400;

    explicit PermissionGuidanceView(PermissionGuideSetup setup, QWidget* parent = nullptr);

    PermissionGuidanceViewModel& viewModel() { return *m_viewModel; }
    PermissionRow* row(PermissionType type) const { return m_rows.value(type); }

Q_SIGNALS:
    // See PermissionGuidanceViewModel::speechModelInstalled.
    void speechModelInstalled(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildRows(Preferences* preferences);
    QWidget* buildFooter();
    void refresh();
    void refreshSpeechRow();
    void paintHeader(bool allAuthorized);
    void showRestartAlert();
    void showHelp(PermissionType type);
    void applyStyleSheets();

    PermissionGuidanceViewModel* m_viewModel;
    std::function<void()> m_quitApplication;
    QHash<PermissionType, PermissionRow*> m_rows;
    MirrorField* m_mirror = nullptr;
    QLabel* m_headerSymbol = nullptr;
    QLabel* m_subtitle = nullptr;
    bool m_headerShowsAll = false;
    QPushButton* m_requestAll = nullptr;
    QPushButton* m_start = nullptr;
    bool m_wasInactive = false;
    QPointer<QMessageBox> m_restartAlert;
    QHash<PermissionType, QPointer<PermissionHelpDialog>> m_help;
};

}  // namespace vocena
