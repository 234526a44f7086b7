#pragma once

#include "Vocabulary/VocabularyItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace vocena {

// The vocabulary card's copy of the store's items, and the rows it shows: every item while the
// search text is empty, otherwise the items whose word or category contains the search text,
// ignoring case (variants are not searched), in the store's order.
//
// A change of the items or of the search text resets the model once, whatever the number of
// rows, so that a list of 10,000 items filters in a few milliseconds.
class VocabularyListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        CategoryRole = Qt::UserRole + 1,  // QString, empty when the item has none
        VariantsRole,                     // the variants joined with "、", empty when none
        IdRole,                           // QUuid
    };

    explicit VocabularyListModel(QObject* parent = nullptr);

    // Replaces the items; whether they differed from the current ones.
    bool setItems(const QList<VocabularyItem>& items);
    void setSearchText(const QString& text);

    const QList<VocabularyItem>& items() const { return m_items; }
    QString searchText() const { return m_searchText; }
    const VocabularyItem& itemAt(int row) const { return m_items.at(m_shown.at(row)); }

    static bool matches(const VocabularyItem& item, const QString& searchText);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void filter();  // m_shown from m_items and m_searchText

    QList<VocabularyItem> m_items;
    QString m_searchText;
    QList<int> m_shown;  // indices into m_items
};

}  // namespace vocena
