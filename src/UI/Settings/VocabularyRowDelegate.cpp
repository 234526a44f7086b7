#include "UI/Settings/VocabularyRowDelegate.h"

#include "UI/Settings/VocabularyListModel.h"
#include "UI/Settings/VocabularyRow.h"

#include <QMouseEvent>
#include <QPainter>

namespace vocena {

VocabularyRowDelegate::VocabularyRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void VocabularyRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const VocabularyRow::Content content{
        index.data(Qt::DisplayRole).toString(),
        index.data(VocabularyListModel::CategoryRole).toString(),
        index.data(VocabularyListModel::VariantsRole).toString(),
    };
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    VocabularyRow(option.rect).paint(painter, content, SettingsStyle::colors(option.palette), option.font, hovered);
}

QSize VocabularyRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return VocabularyRow::sizeHint(option.rect.width());
}

bool VocabularyRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (!press && !release) return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool onButton = mouse->button() == Qt::LeftButton &&
                          VocabularyRow(option.rect).deleteButton().contains(mouse->position().toPoint());
    if (press) {
        m_pressed = onButton ? QPersistentModelIndex(index) : QPersistentModelIndex();
        return onButton;
    }
    const bool clicked = onButton && m_pressed == index;
    m_pressed = QPersistentModelIndex();
    if (clicked) Q_EMIT deleteRequested(index.data(VocabularyListModel::IdRole).toUuid());
    return clicked;
}

}  // namespace vocena
