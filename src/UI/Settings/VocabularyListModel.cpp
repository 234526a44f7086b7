#include "UI/Settings/VocabularyListModel.h"

namespace vocena {

VocabularyListModel::VocabularyListModel(QObject* parent) : QAbstractListModel(parent) {}

bool VocabularyListModel::setItems(const QList<VocabularyItem>& items) {
    if (items == m_items) return false;
    beginResetModel();
    m_items = items;
    filter();
    endResetModel();
    return true;
}

void VocabularyListModel::setSearchText(const QString& text) {
    if (text == m_searchText) return;
    beginResetModel();
    m_searchText = text;
    filter();
    endResetModel();
}

bool VocabularyListModel::matches(const VocabularyItem& item, const QString& searchText) {
    if (searchText.isEmpty()) return true;
    return item.word.contains(searchText, Qt::CaseInsensitive) ||
           (item.category && item.category->contains(searchText, Qt::CaseInsensitive));
}

void VocabularyListModel::filter() {
    m_shown.clear();
    m_shown.reserve(m_items.size());
    for (int i = 0; i < m_items.size(); ++i)
        if (matches(m_items.at(i), m_searchText)) m_shown << i;
}

int VocabularyListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

QVariant VocabularyListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const VocabularyItem& item = itemAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return item.word;
    case CategoryRole: return item.category.value_or(QString());
    case VariantsRole: return item.variants ? item.variants->join(u'、') : QString();
    case IdRole: return item.id;
    default: return {};
    }
}

QHash<int, QByteArray> VocabularyListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(CategoryRole, "category");
    names.insert(VariantsRole, "variants");
    names.insert(IdRole, "id");
    return names;
}

}  // namespace vocena
