#pragma once

#include <QMargins>
#include <QString>
#include <initializer_list>

class QHBoxLayout;
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

// The layout of `owner` (a row of a list, a card, a header): `symbol` on the left, aligned to
// the top, and `texts` stacked beside it, taking the rest of the width.
struct SymbolRowSpacing {
    QMargins margins;
    int beside = 12;  // between the symbol and the texts
    int between = 2;  // between the texts
};
QHBoxLayout* symbolBesideTexts(QWidget* owner, QWidget* symbol, std::initializer_list<QWidget*> texts,
                               const SymbolRowSpacing& spacing);

}  // namespace vocena::WidgetHelpers
