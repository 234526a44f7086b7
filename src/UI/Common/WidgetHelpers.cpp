#include "UI/Common/WidgetHelpers.h"

#include <QScrollArea>

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

}  // namespace vocena::WidgetHelpers
