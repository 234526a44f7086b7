#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QUuid>

namespace vocena {

// Paints the rows of the vocabulary list (VocabularyRow) over a VocabularyListModel and turns a
// click on a row's trash button (pressed and released on it) into deleteRequested.
class VocabularyRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit VocabularyRowDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

Q_SIGNALS:
    void deleteRequested(const QUuid& id);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    QPersistentModelIndex m_pressed;  // the row whose trash button the mouse went down on
};

}  // namespace vocena
