#include "UI/Settings/VocabularyRow.h"

#include "UI/Settings/SettingsSymbols.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

namespace vocena {

namespace {

constexpr int kPadding = 10;
constexpr int kTagPadding = 6;
constexpr int kTagGap = 6;
constexpr int kLineGap = 3;
constexpr int kTrashSymbolSize = 15;

QFont wordFont(const QFont& base) {
    QFont font = base;
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont captionFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() * 0.88 : 9);
    return font;
}

QPixmap trashSymbol(const QColor& color, qreal ratio) {
    const QString key = QStringLiteral("vocena-vocabulary-trash-%1-%2").arg(color.name(QColor::HexArgb)).arg(ratio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = SettingsSymbols::pixmap(SettingsSymbols::Symbol::trash, color, kTrashSymbolSize, ratio);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

}  // namespace

QRect VocabularyRow::background() const { return m_itemRect.adjusted(0, 0, 0, -kSpacing); }

QRect VocabularyRow::deleteButton() const {
    const QRect row = background();
    const int top = row.top() + (row.height() - kDeleteButtonSize) / 2;
    return {row.right() - 6 - kDeleteButtonSize + 1, top, kDeleteButtonSize, kDeleteButtonSize};
}

void VocabularyRow::paint(QPainter* painter, const Content& content, const SettingsStyle::Colors& colors,
                          const QFont& font, bool hovered) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = background();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(row).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter->fillPath(shape, colors.row);
    if (hovered) {
        painter->setPen(QPen(SettingsStyle::brandColor().lighter(140), 1));
        painter->drawPath(shape);
    }

    const QRect button = deleteButton();
    const QRect textArea(row.left() + kPadding, row.top(), button.left() - 4 - (row.left() + kPadding), row.height());
    const QFont word = wordFont(font);
    const QFont caption = captionFont(font);
    const QFontMetrics wordMetrics(word);
    const QFontMetrics captionMetrics(caption);

    const bool twoLines = !content.variants.isEmpty();
    const int blockHeight = wordMetrics.height() + (twoLines ? kLineGap + captionMetrics.height() : 0);
    const int top = textArea.top() + (textArea.height() - blockHeight) / 2;
    const int baseline = top + wordMetrics.ascent();

    // The word gets the room the tag leaves, the tag at most half of the line.
    int tagWidth = 0;
    if (!content.category.isEmpty())
        tagWidth = std::min(captionMetrics.horizontalAdvance(content.category) + 2 * kTagPadding, textArea.width() / 2);
    const int wordRoom = textArea.width() - (tagWidth > 0 ? tagWidth + kTagGap : 0);
    const QString shownWord = wordMetrics.elidedText(content.word, Qt::ElideRight, wordRoom);
    painter->setFont(word);
    painter->setPen(colors.textPrimary);
    painter->drawText(textArea.left(), baseline, shownWord);
    if (tagWidth > 0) {
        const int tagHeight = captionMetrics.height() + 2;
        const QRectF tag(textArea.left() + wordMetrics.horizontalAdvance(shownWord) + kTagGap,
                         top + (wordMetrics.height() - tagHeight) / 2.0, tagWidth, tagHeight);
        paintCategory(painter, tag, content.category, colors, caption);
    }

    if (twoLines) {
        painter->setFont(caption);
        painter->setPen(colors.textSecondary);
        const int variantsBaseline = top + wordMetrics.height() + kLineGap + captionMetrics.ascent();
        painter->drawText(textArea.left(), variantsBaseline,
                          captionMetrics.elidedText(content.variants, Qt::ElideRight, textArea.width()));
    }

    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap trash = trashSymbol(hovered ? SettingsStyle::brandColor() : colors.textSecondary, ratio);
    const int offset = (kDeleteButtonSize - kTrashSymbolSize) / 2;
    painter->drawPixmap(button.left() + offset, button.top() + offset, trash);
    painter->restore();
}

void VocabularyRow::paintCategory(QPainter* painter, const QRectF& tag, const QString& category,
                                  const SettingsStyle::Colors& colors, const QFont& font) {
    QPainterPath pill;
    pill.addRoundedRect(tag, tag.height() / 2, tag.height() / 2);
    painter->fillPath(pill, colors.selectedRow);
    painter->setFont(font);
    painter->setPen(SettingsStyle::brandColor());
    const QString text = QFontMetrics(font).elidedText(category, Qt::ElideRight, int(tag.width()) - 2 * kTagPadding);
    painter->drawText(tag, Qt::AlignCenter, text);
}

}  // namespace vocena
