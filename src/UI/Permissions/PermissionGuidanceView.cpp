#include "UI/Permissions/PermissionGuidanceView.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Common/MirrorField.h"
#include "UI/Common/WidgetHelpers.h"
#include "UI/Permissions/PermissionGuidanceViewModel.h"
#include "UI/Permissions/PermissionHelpDialog.h"
#include "UI/Permissions/PermissionRow.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vocena {

namespace {

const Logger logger("PermissionGuidanceView");

// What the speech row says while a model that follows the speech model installs.
QString installingNote(ModelKind kind) {
    switch (kind) {
    case ModelKind::speech: return {};
    case ModelKind::punctuation: return QStringLiteral("正在安装标点模型，为识别结果加上标点");
    case ModelKind::finalPass: return QStringLiteral("正在安装整句识别模型，让输入的文字更准确");
    }
    return {};
}

QString sizeInBrackets(const QString& size) { return size.isEmpty() ? QString() : QStringLiteral("（%1）").arg(size); }

}  // namespace

PermissionGuidanceView::PermissionGuidanceView(PermissionGuideSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_quitApplication(setup.quitApplication) {
    Preferences* preferences = setup.preferences;
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("权限设置"));
    setFixedSize(kWidth, kHeight);
    m_viewModel = new PermissionGuidanceViewModel(std::move(setup), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(12);
    layout->addWidget(buildHeader());
    layout->addWidget(buildRows(preferences), 1);
    layout->addWidget(buildFooter());
    applyStyleSheets();

    connect(m_viewModel, &PermissionGuidanceViewModel::permissionsChanged, this, &PermissionGuidanceView::refresh);
    connect(m_viewModel, &PermissionGuidanceViewModel::modelInstallChanged, this, &PermissionGuidanceView::refreshSpeechRow);
    connect(m_viewModel, &PermissionGuidanceViewModel::restartRequired, this, &PermissionGuidanceView::showRestartAlert);
    connect(m_viewModel, &PermissionGuidanceViewModel::helpRequested, this, &PermissionGuidanceView::showHelp);
    connect(m_viewModel, &PermissionGuidanceViewModel::speechModelInstalled, this, &PermissionGuidanceView::speechModelInstalled);
    refresh();
}

QWidget* PermissionGuidanceView::buildHeader() {
    auto* header = new QWidget(this);
    m_headerSymbol = new QLabel(header);
    m_headerSymbol->setObjectName(QStringLiteral("headerSymbol"));
    m_headerSymbol->setFixedSize(40, 40);
    auto* title = new QLabel(QStringLiteral("权限设置"), header);
    title->setObjectName(QStringLiteral("headerTitle"));
    WidgetHelpers::setFont(title, 1.5, true);
    m_subtitle = new QLabel(header);
    m_subtitle->setObjectName(QStringLiteral("headerSubtitle"));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    texts->addWidget(m_subtitle);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_headerSymbol);
    layout->addLayout(texts, 1);
    return header;
}

QWidget* PermissionGuidanceView::buildRows(Preferences* preferences) {
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(8);
    for (PermissionType type : PermissionGuidanceViewModel::permissionTypes()) {
        auto* row = new PermissionRow(type, list);
        connect(row, &PermissionRow::requested, m_viewModel, &PermissionGuidanceViewModel::requestPermission);
        connect(row, &PermissionRow::openSettingsRequested, m_viewModel, &PermissionGuidanceViewModel::openSystemPreferences);
        connect(row, &PermissionRow::cancelRequested, m_viewModel, &PermissionGuidanceViewModel::cancelModelInstall);
        connect(row, &PermissionRow::offerAccepted, m_viewModel, &PermissionGuidanceViewModel::installFinalPassModel);
        rows->addWidget(row);
        m_rows.insert(type, row);
    }
    if (preferences) {
        m_mirror = new MirrorField(*preferences, list);
        m_mirror->setContentsMargins(10, 0, 10, 0);  // in line with the rows' texts
        rows->addWidget(m_mirror);
    }
    rows->addStretch(1);
    return WidgetHelpers::verticalScrollArea(list, QStringLiteral("permissionList"), this);
}

QWidget* PermissionGuidanceView::buildFooter() {
    auto* footer = new QWidget(this);
    auto* later = new QPushButton(QStringLiteral("稍后再说"), footer);
    later->setFlat(true);
    m_requestAll = new QPushButton(QStringLiteral("全部授权 强制刷新"), footer);
    auto* start = new QPushButton(QStringLiteral("开始使用"), footer);
    m_start = start;
    connect(later, &QPushButton::clicked, this, &QWidget::close);
    connect(start, &QPushButton::clicked, this, &QWidget::close);
    // Escape leaves the guide as "稍后再说" does.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    connect(m_requestAll, &QPushButton::clicked, m_viewModel, [this] { m_viewModel->requestAllPermissions(); });

    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(later);
    layout->addStretch(1);
    layout->addWidget(m_requestAll);
    layout->addWidget(start);
    return footer;
}

// A style sheet takes the colours of its palette() roles when it is set, so the sheets are set
// again once the palette has changed (a theme switch while the guide is open); otherwise the rows
// and buttons would keep the colours of the previous theme.
void PermissionGuidanceView::applyStyleSheets() {
    const QString row = QStringLiteral("#permissionRow { background: palette(base); border-radius: 8px; }");
    const QString prominent = QStringLiteral(
        "QPushButton { background: palette(highlight); color: palette(highlighted-text); border: none;"
        " border-radius: 6px; padding: 5px 14px; }"
        "QPushButton:pressed { background: palette(dark); }"
        "QPushButton:disabled { background: palette(midlight); color: palette(mid); }");
    for (PermissionRow* widget : std::as_const(m_rows)) {
        widget->setStyleSheet({});
        widget->setStyleSheet(row);
    }
    for (QPushButton* button : {m_requestAll, m_start}) {
        button->setStyleSheet({});
        button->setStyleSheet(prominent);
    }
}

void PermissionGuidanceView::refresh() {
    const PermissionGuidanceViewModel& model = *m_viewModel;
    const bool all = model.allAuthorized();
    if (all != m_headerShowsAll || m_headerSymbol->pixmap().isNull()) paintHeader(all);
    m_subtitle->setText(all ? QStringLiteral("所有权限已授权，澄言可以正常使用") : QStringLiteral("澄言需要以下权限才能正常工作"));
    m_requestAll->setEnabled(!model.everyEntryAuthorized() && !model.isRequestingAll());
    for (PermissionRow* row : std::as_const(m_rows)) {
        const PermissionStatus status = model.status(row->type());
        row->setStatus(status);
        const bool missing = status == PermissionStatus::denied || status == PermissionStatus::restricted;
        if (row->type() != PermissionType::speechRecognition) row->setNote(missing ? model.detail(row->type()) : QString(), false);
    }
    refreshSpeechRow();
}

void PermissionGuidanceView::refreshSpeechRow() {
    const PermissionGuidanceViewModel& model = *m_viewModel;
    PermissionRow* row = m_rows.value(PermissionType::speechRecognition);
    const PermissionGuidanceViewModel::ModelInstall& install = model.modelInstall();
    row->setInstall(install);
    const PermissionStatus status = model.status(PermissionType::speechRecognition);
    if (install.running) {
        row->setNote(installingNote(install.kind), false);
    } else if (!model.followUpProblem().isEmpty() && status == PermissionStatus::authorized) {
        row->setNote(model.followUpProblem(), !model.followUpProblem().endsWith(ModelStore::kCancelledMessage));
    } else if (!model.installProblem().isEmpty() && status != PermissionStatus::authorized) {
        row->setNote(model.installProblem(), model.installProblem() != ModelStore::kCancelledMessage);  // a cancel is no fault
    } else if (status == PermissionStatus::denied) {
        row->setNote(model.detail(PermissionType::speechRecognition), false);
    } else {
        row->setNote({}, false);
    }
    const bool offered = model.offersFinalPass();
    QString offer;
    if (offered) offer = QStringLiteral("可选：整句识别模型%1，输入更准确").arg(sizeInBrackets(model.finalPassSize()));
    row->setOffer(offer);
    if (m_mirror) m_mirror->setVisible(install.running || offered || status == PermissionStatus::notDetermined);
}

void PermissionGuidanceView::paintHeader(bool allAuthorized) {
    m_headerShowsAll = allAuthorized;
    const QColor tint = allAuthorized ? PermissionSymbols::green(palette()) : palette().color(QPalette::Highlight);
    m_headerSymbol->setPixmap(PermissionSymbols::pixmap(PermissionSymbols::Symbol::lockShield, tint, 40, devicePixelRatioF()));
}

void PermissionGuidanceView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    m_viewModel->checkAllPermissions();
    logger.info(QStringLiteral("权限引导视图出现，已刷新权限状态"));
}

void PermissionGuidanceView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_headerSymbol) {
        paintHeader(m_headerShowsAll);
        // After the children have taken the new palette too (they hear of it after the window).
        QMetaObject::invokeMethod(this, &PermissionGuidanceView::applyStyleSheets, Qt::QueuedConnection);
    }
    if (event->type() != QEvent::ActivationChange) return;
    if (!isActiveWindow()) {
        m_wasInactive = true;
    } else if (m_wasInactive) {
        m_wasInactive = false;
        m_viewModel->applicationDidBecomeActive();
    }
}

void PermissionGuidanceView::showRestartAlert() {
    if (m_restartAlert) return;
    auto* alert = new QMessageBox(QMessageBox::Information, QStringLiteral("澄言"), QStringLiteral("辅助功能权限需要重启"),
                                  QMessageBox::NoButton, this);
    alert->setInformativeText(QStringLiteral("请在系统设置中开启权限后，重启澄言应用使权限生效。\n\n点击「现在重启」将关闭应用，请重新打开。"));
    QPushButton* understood = alert->addButton(QStringLiteral("知道了"), QMessageBox::AcceptRole);
    QPushButton* restart = alert->addButton(QStringLiteral("现在重启"), QMessageBox::DestructiveRole);
    alert->setDefaultButton(understood);
    alert->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 340px; }"));  // the informative text in two lines, not four
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::buttonClicked, this, [this, restart](QAbstractButton* button) {
        if (button == restart && m_quitApplication) m_quitApplication();
    });
    m_restartAlert = alert;
    alert->open();
}

void PermissionGuidanceView::showHelp(PermissionType type) {
    QPointer<PermissionHelpDialog>& dialog = m_help[type];
    if (!dialog) {
        dialog = new PermissionHelpDialog(type, m_viewModel->detail(type), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace vocena
