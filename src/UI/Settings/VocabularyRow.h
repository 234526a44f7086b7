#pragma once

#include "UI/Settings/SettingsStyle.h"

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace vocena {

// One row of the vocabulary list, laid out in the rectangle the list gives it: the word, its
// category as a small tag when there is one, the variants joined with "、" on a second line
// when there are any, and a delete button with a trash symbol at the right. The list paints the
// rows (no widget per row); the delete button is an area that the list's delegate hit-tests.
class VocabularyRow {
public:
    static constexpr int kHeight = 50;   // the row itself
    static constexpr int kSpacing = 8;   // the gap below it, before the next row
    static constexpr int kDeleteButtonSize = 26;

    struct Content {
        QString word;
        QString category;  // empty: none
        QString variants;  // already joined; empty: none
    };

    explicit VocabularyRow(const QRect& itemRect) : m_itemRect(itemRect) {}

    // The rectangle a row asks the list for, at the list's width.
    static QSize sizeHint(int width) { return {width, kHeight + kSpacing}; }

    QRect background() const;
    QRect deleteButton() const;

    void paint(QPainter* painter, const Content& content, const SettingsStyle::Colors& colors, const QFont& font,
               bool hovered) const;

private:
    static void paintCategory(QPainter* painter, const QRectF& tag, const QString& category,
                              const SettingsStyle::Colors& colors, const QFont& font);

    QRect m_itemRect;
};

}  // namespace vocena
