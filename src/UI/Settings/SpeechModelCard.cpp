#include "UI/Settings/SpeechModelCard.h"

#include "UI/Common/MirrorField.h"
#include "UI/Common/NoteLabel.h"
#include "UI/Common/PreferenceTextField.h"
#include "UI/Common/WidgetHelpers.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SpeechModelCardModel.h"
#include "UI/Settings/SpeechModelRow.h"
#include "UI/Settings/ToggleSettingRow.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vocena {

namespace {

using SettingsStyle::Role;

const QString kDownloadButton = QStringLiteral("downloadButton");
const QString kCancelButton = QStringLiteral("cancelButton");

// Hides a row at once and deletes it later: it may be the sender of the click that led here.
void discard(QHash<QString, SpeechModelRow*>& rows) {
    for (SpeechModelRow* row : std::as_const(rows)) {
        row->hide();
        row->deleteLater();
    }
    rows.clear();
}

}  // namespace

SpeechModelCard::SpeechModelCard(ModelStore store, QList<ModelCatalog::Entry> catalog, Clock& clock, QWidget* parent)
    : SettingsCard(SettingsSymbols::Symbol::waveform, QStringLiteral("语音模型"), parent) {
    setObjectName(QStringLiteral("speechModelCard"));
    setFixedWidth(kWidth);
    m_model = new SpeechModelCardModel(std::move(store), std::move(catalog), clock, this);
    body()->addWidget(buildBody(), 1);
    applyStyleSheet();

    connect(m_model, &SpeechModelCardModel::modelsChanged, this, &SpeechModelCard::rebuildRows);
    connect(m_model, &SpeechModelCardModel::installChanged, this, &SpeechModelCard::showInstall);
    connect(m_model, &SpeechModelCardModel::activeModelChanged, this, &SpeechModelCard::activeModelChanged);
    rebuildRows();
}

QWidget* SpeechModelCard::buildBody() {
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    layout->addWidget(SettingsStyle::label(QStringLiteral("已安装"), Role::sectionTitle, body));
    m_emptyText = SettingsStyle::label(QStringLiteral("尚未安装语音模型。下载一个模型或从文件安装后，即可开始语音输入。"),
                                       Role::secondary, body);
    m_emptyText->setObjectName(QStringLiteral("emptyText"));
    m_emptyText->setWordWrap(true);
    layout->addWidget(m_emptyText);
    m_installedList = new QVBoxLayout;
    m_installedList->setSpacing(8);
    layout->addLayout(m_installedList);
    m_actionProblem = new NoteLabel;
    m_actionProblem->setObjectName(QStringLiteral("actionProblem"));
    layout->addWidget(m_actionProblem);

    m_punctuation = new ToggleSettingRow(QStringLiteral("自动加标点"), QStringLiteral("安装标点模型后，为识别结果加上逗号、句号和问号"), body);
    m_punctuation->setObjectName(QStringLiteral("punctuationToggle"));
    connect(m_punctuation, &ToggleSettingRow::toggled, m_model, &SpeechModelCardModel::setPunctuationEnabled);
    layout->addWidget(m_punctuation);

    layout->addWidget(buildFinalPassGroup(body));

    m_downloadsTitle = SettingsStyle::label(QStringLiteral("可下载"), Role::sectionTitle, body);
    layout->addSpacing(4);
    layout->addWidget(m_downloadsTitle);
    m_downloadList = new QVBoxLayout;
    m_downloadList->setSpacing(8);
    layout->addLayout(m_downloadList);
    m_mirror = new MirrorField(m_model->preferences(), body);
    SettingsStyle::setRole(m_mirror->title(), Role::secondary);
    SettingsStyle::setRole(m_mirror->field(), Role::field);
    layout->addWidget(m_mirror);

    layout->addSpacing(4);
    layout->addWidget(SettingsStyle::label(QStringLiteral("其他模型"), Role::sectionTitle, body));
    auto* hint = SettingsStyle::label(QStringLiteral("选择 .tar.bz2 压缩包，或模型文件夹中的任意文件。"), Role::secondary, body);
    hint->setObjectName(QStringLiteral("fileHint"));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_installFromFile = new QPushButton(QStringLiteral("从文件安装…"));
    m_installFromFile->setObjectName(QStringLiteral("installFromFileButton"));
    SettingsStyle::setRole(m_installFromFile, Role::button);
    connect(m_installFromFile, &QPushButton::clicked, this, &SpeechModelCard::chooseFile);
    auto* fileLine = new QHBoxLayout;
    fileLine->addWidget(m_installFromFile);
    fileLine->addStretch(1);
    layout->addLayout(fileLine);
    m_fileRow = new SpeechModelRow(QString(), QString());
    connect(m_fileRow->addButton(QStringLiteral("取消"), kCancelButton), &QPushButton::clicked, m_model,
            &SpeechModelCardModel::cancelInstall);
    m_fileRow->hide();
    layout->addWidget(m_fileRow);
    layout->addStretch(1);

    return WidgetHelpers::verticalScrollArea(body, QStringLiteral("speechModelList"), this);
}

// The installed non-streaming models with their switch, shown while there is one.
QWidget* SpeechModelCard::buildFinalPassGroup(QWidget* body) {
    m_finalPassGroup = new QWidget(body);
    m_finalPassGroup->setObjectName(QStringLiteral("finalPassGroup"));
    auto* layout = new QVBoxLayout(m_finalPassGroup);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(SettingsStyle::label(QStringLiteral("整句识别"), Role::sectionTitle, m_finalPassGroup));
    m_finalPassList = new QVBoxLayout;
    m_finalPassList->setSpacing(8);
    layout->addLayout(m_finalPassList);
    m_finalPass = new ToggleSettingRow(QStringLiteral("用整句识别模型输入文字"),
                                       QStringLiteral("说完一句后整句再识别一遍，输入的文字更准确；实时文字仍来自流式模型"), m_finalPassGroup);
    m_finalPass->setObjectName(QStringLiteral("finalPassToggle"));
    connect(m_finalPass, &ToggleSettingRow::toggled, m_model, &SpeechModelCardModel::setFinalPassEnabled);
    layout->addWidget(m_finalPass);
    return m_finalPassGroup;
}

void SpeechModelCard::rebuildRows() {
    discard(m_installedRows);
    discard(m_downloadRows);
    int finalPassRows = 0;
    for (const SpeechModelCardModel::InstalledModel& model : m_model->installedModels()) {
        auto* row = new SpeechModelRow(model.name, model.summary);
        row->setActive(model.active);
        row->setNote(model.problem, true);
        const QString name = model.name;
        if (model.problem.isEmpty() && !model.active && model.kind == ModelKind::speech)
            connect(row->addButton(QStringLiteral("使用"), QStringLiteral("useButton")), &QPushButton::clicked, m_model,
                    [this, name] { m_model->use(name); });
        connect(row->addButton(QStringLiteral("删除"), QStringLiteral("removeButton")), &QPushButton::clicked, this,
                [this, name] { confirmRemoval(name); });
        const bool finalPass = model.kind == ModelKind::finalPass;
        finalPassRows += finalPass ? 1 : 0;
        (finalPass ? m_finalPassList : m_installedList)->addWidget(row);
        row->show();  // now, not when the layout gets to it: what the card shows is current at once
        m_installedRows.insert(name, row);
    }
    for (const SpeechModelCardModel::DownloadableModel& model : m_model->downloadableModels()) {
        auto* row = new SpeechModelRow(model.entry.name, model.entry.summary);
        const QString name = model.entry.name;
        connect(row->addButton(QStringLiteral("下载"), kDownloadButton), &QPushButton::clicked, m_model,
                [this, name] { m_model->download(name); });
        connect(row->addButton(QStringLiteral("取消"), kCancelButton), &QPushButton::clicked, m_model, &SpeechModelCardModel::cancelInstall);
        m_downloadList->addWidget(row);
        row->show();
        m_downloadRows.insert(name, row);
    }
    m_emptyText->setVisible(m_installedRows.size() == finalPassRows);
    m_finalPassGroup->setVisible(finalPassRows > 0);
    m_downloadsTitle->setVisible(!m_downloadRows.isEmpty());
    m_mirror->setVisible(!m_downloadRows.isEmpty());
    m_actionProblem->setNote(m_model->actionProblem(), true);
    m_punctuation->setOn(m_model->punctuationEnabled());
    m_finalPass->setOn(m_model->finalPassEnabled());
    showInstall();
}

void SpeechModelCard::showInstall() {
    const SpeechModelCardModel::Install& install = m_model->install();
    for (const SpeechModelCardModel::DownloadableModel& model : m_model->downloadableModels()) {
        SpeechModelRow* row = m_downloadRows.value(model.entry.name);
        const bool mine = install.catalogName == model.entry.name;
        const bool installing = install.running && mine;
        row->setProgress(installing ? &install.progress : nullptr);
        QPushButton* download = row->button(kDownloadButton);
        download->setVisible(!installing);
        download->setEnabled(!install.running);
        download->setText(model.keptBytes > 0 ? QStringLiteral("继续下载") : QStringLiteral("下载"));
        row->button(kCancelButton)->setVisible(installing);
        if (installing) {
            row->setNote({}, false);
        } else if (mine && !install.problem.isEmpty()) {
            row->setNote(install.problem, !install.cancelled);  // a cancel is no fault
        } else if (model.keptBytes > 0) {
            row->setNote(QStringLiteral("已下载 %1，可继续下载").arg(DownloadProgress::sizeText(model.keptBytes)), false);
        } else {
            row->setNote({}, false);
        }
    }
    const bool fromFile = install.catalogName.isEmpty() && !install.fileName.isEmpty();
    m_fileRow->setVisible(fromFile && (install.running || !install.problem.isEmpty()));
    m_fileRow->setTitle(install.fileName);
    m_fileRow->setProgress(fromFile && install.running ? &install.progress : nullptr);
    m_fileRow->button(kCancelButton)->setVisible(install.running);
    m_fileRow->setNote(install.running ? QString() : install.problem, !install.cancelled);
    m_installFromFile->setEnabled(!install.running);
}

void SpeechModelCard::confirmRemoval(const QString& name) {
    if (m_confirmation) m_confirmation->close();
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("删除语音模型"), m_model->removalQuestion(name), QMessageBox::NoButton, this);
    box->setInformativeText(QStringLiteral("模型文件将从磁盘上删除，需要时可以重新安装。"));
    QPushButton* remove = box->addButton(QStringLiteral("删除"), QMessageBox::DestructiveRole);
    QPushButton* keep = box->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, remove, name](QAbstractButton* button) {
        if (button == remove) m_model->remove(name);
    });
    m_confirmation = box;
    box->open();
}

void SpeechModelCard::chooseFile() {
    if (m_fileDialog) {
        m_fileDialog->raise();
        return;
    }
    auto* dialog = new QFileDialog(this, QStringLiteral("从文件安装语音模型"), QDir::homePath());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters({QStringLiteral("语音模型 (*.tar.bz2 *.onnx *.txt)"), QStringLiteral("所有文件 (*)")});
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("安装"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, m_model, &SpeechModelCardModel::installFromFile);
    m_fileDialog = dialog;
    dialog->open();
}

void SpeechModelCard::showEvent(QShowEvent* event) {
    SettingsCard::showEvent(event);
    if (!event->spontaneous()) m_model->refresh();  // `vocena model` may have changed the store meanwhile
}

void SpeechModelCard::changeEvent(QEvent* event) {
    SettingsCard::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyleSheet();
}

// Only when it differs: setting a style sheet polishes the card anew, which changes its palette
// again.
void SpeechModelCard::applyStyleSheet() {
    const SettingsStyle::Colors colors = SettingsStyle::colors(SettingsStyle::isDarkTheme());
    const QString style = QStringLiteral("#installProgress { background: %1; border: none; border-radius: 3px; }"
                                         "#installProgress::chunk { background: %2; border-radius: 3px; }")
                              .arg(colors.border.name(), SettingsStyle::brandColor().name());
    if (style != styleSheet()) setStyleSheet(style);
}

}  // namespace vocena
