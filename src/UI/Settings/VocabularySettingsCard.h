#pragma once

#include "UI/Settings/SettingsCard.h"

#include <QPointer>
#include <QUuid>

#include <optional>

class QAction;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace vocena {

class AddVocabularySheet;
class VocabularyListModel;
class VocabularyRowDelegate;
class VocabularyStore;

// The vocabulary card of the settings window (300 wide, at least 440 high): the header "词汇库", a search
// field, the list of the items that match the search, and a footer with the number of items
// and the buttons "导入" (a CSV or text file) and "添加" (AddVocabularySheet). A row's trash
// button removes its item at once. A line above the footer says when a change could not be
// saved ("未能保存词汇库") or the file could not be read (it is kept, never overwritten).
//
// The card shows its own copy of the store's list, read when it is made, after each change it
// makes, and whenever it is shown or its window is activated again (the store announces no
// changes; words accepted from a suggestion or added from the command line appear then).
class VocabularySettingsCard : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 440;
    static constexpr int kMaximumListHeight = 280;

    explicit VocabularySettingsCard(VocabularyStore& store, QWidget* parent = nullptr);

    VocabularyListModel& model() const { return *m_model; }
    QListView* listView() const { return m_list; }
    QLineEdit* searchField() const { return m_search; }
    QLabel* countLabel() const { return m_count; }
    // The line about a failed save or an unreadable file; hidden when all is well.
    QLabel* problemLabel() const { return m_problem; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* addButton() const { return m_add; }
    // The add sheet while it is open (the card's `showAddSheet`).
    AddVocabularySheet* addSheet() const;

    // Replaces the shown list with the store's, keeping the scroll position.
    void refresh();
    void showAddSheet();
    void showImportDialog();
    void deleteItem(const QUuid& id);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildFooter();
    // Whether the change reached the file (a word already there counts as done).
    bool addItem(const QString& word, const std::optional<QStringList>& variants, const std::optional<QString>& category);
    void updateProblem();
    void importFile(const QString& path);
    void updateCount();
    void applyStyle();

    VocabularyStore& m_store;
    VocabularyListModel* m_model;
    VocabularyRowDelegate* m_delegate;
    QLineEdit* m_search;
    QAction* m_searchSymbol;
    QListView* m_list;
    QLabel* m_count = nullptr;
    QLabel* m_problem = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_add = nullptr;
    QPointer<AddVocabularySheet> m_sheet;
    QPointer<QFileDialog> m_importDialog;
};

}  // namespace vocena
