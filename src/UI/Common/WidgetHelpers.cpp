#include "UI/Common/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vocena::WidgetHelpers {

void setFont(QWidget* widget, double factor, bool bold) {
    QFont font = widget->font();
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    widget->setFont(font);
}

QScrollArea* verticalScrollArea(QWidget* content, const QString& objectName, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(objectName);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    content->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

QHBoxLayout* symbolBesideTexts(QWidget* owner, QWidget* symbol, std::initializer_list<QWidget*> texts,
                               const SymbolRowSpacing& spacing) {
    auto* column = new QVBoxLayout;
    column->setSpacing(spacing.between);
    for (QWidget* text : texts) column->addWidget(text);
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(spacing.margins);
    layout->setSpacing(spacing.beside);
    layout->addWidget(symbol, 0, Qt::AlignTop);
    layout->addLayout(column, 1);
    return layout;
}

}  // namespace vocena::WidgetHelpers
