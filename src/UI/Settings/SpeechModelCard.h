#pragma once

#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Settings/SettingsCard.h"

#include <QHash>
#include <QPointer>

class QFileDialog;
class QLabel;
class QMessageBox;
class QPushButton;
class QVBoxLayout;

namespace vocena {

class Clock;
class MirrorField;
class NoteLabel;
class SpeechModelCardModel;
class SpeechModelRow;
class ToggleSettingRow;

// The settings card "语音模型": the installed models with the active one marked ("使用",
// "删除"; a punctuation model has no "使用"), the switch "自动加标点", the installed final-pass
// models in a group "整句识别" of their own with the switch "用整句识别模型输入文字", the
// built-in models to download with their progress ("下载", "取消", "继续下载") and the field
// "下载镜像" they download from, and "从文件安装…" for an archive or a model folder. Installs
// run in the background; the card stays usable meanwhile, one install at a time.
class SpeechModelCard : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 330;

    // The user's card: SpeechModelCard(ModelStore::standard(preferences), ModelCatalog::entries(), Clock::system()).
    SpeechModelCard(ModelStore store, QList<ModelCatalog::Entry> catalog, Clock& clock, QWidget* parent = nullptr);

    SpeechModelCardModel& model() const { return *m_model; }
    // The rows as shown now; null when there is none for `name`.
    SpeechModelRow* installedRow(const QString& name) const { return m_installedRows.value(name); }
    SpeechModelRow* downloadRow(const QString& name) const { return m_downloadRows.value(name); }
    // The install from a file, while it runs or after it failed.
    SpeechModelRow* fileInstallRow() const { return m_fileRow; }

Q_SIGNALS:
    // See SpeechModelCardModel::activeModelChanged.
    void activeModelChanged(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildBody();
    QWidget* buildFinalPassGroup(QWidget* body);
    void rebuildRows();
    void showInstall();
    void confirmRemoval(const QString& name);
    void chooseFile();
    void applyStyleSheet();

    SpeechModelCardModel* m_model;
    QVBoxLayout* m_installedList = nullptr;
    QWidget* m_finalPassGroup = nullptr;
    QVBoxLayout* m_finalPassList = nullptr;
    ToggleSettingRow* m_finalPass = nullptr;
    QVBoxLayout* m_downloadList = nullptr;
    MirrorField* m_mirror = nullptr;
    QLabel* m_emptyText = nullptr;
    QLabel* m_downloadsTitle = nullptr;
    NoteLabel* m_actionProblem = nullptr;
    ToggleSettingRow* m_punctuation = nullptr;
    QPushButton* m_installFromFile = nullptr;
    SpeechModelRow* m_fileRow = nullptr;
    QHash<QString, SpeechModelRow*> m_installedRows;
    QHash<QString, SpeechModelRow*> m_downloadRows;
    QPointer<QMessageBox> m_confirmation;
    QPointer<QFileDialog> m_fileDialog;
};

}  // namespace vocena
