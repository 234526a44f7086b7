#pragma once

#include <QString>

class QScrollArea;
class QWidget;

namespace vocena::WidgetHelpers {

// The smaller text under a title (captions, notes).
constexpr double kCaptionScale = 0.9;

// Gives `widget` its own font scaled by `factor`, bold or not.
void setFont(QWidget* widget, double factor, bool bold = false);

// A frameless, vertically scrolling area over `content` that lets the window's background show
// through (rows draw their own backgrounds).
QScrollArea* verticalScrollArea(QWidget* content, const QString& objectName, QWidget* parent);

}  // namespace vocena::WidgetHelpers
