#include "UI/Common/NoteLabel.h"

#include "UI/Common/WidgetHelpers.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <QEvent>

namespace vocena {

NoteLabel::NoteLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    WidgetHelpers::setFont(this, WidgetHelpers::kCaptionScale);
    hide();
    paint();
}

void NoteLabel::setNote(const QString& text, bool problem) {
    if (text == this->text() && problem == m_problem && isHidden() == text.isEmpty()) return;
    setText(text);
    setVisible(!text.isEmpty());
    m_problem = problem;
    paint();
}

void NoteLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_painting) paint();
}

void NoteLabel::paint() {
    // The window's palette decides (this label's own text colour is what paint() sets).
    const QPalette& colors = parentWidget() ? parentWidget()->palette() : palette();
    QColor color = colors.color(QPalette::WindowText);
    if (m_problem) {
        color = PermissionSymbols::red(colors);
    } else {
        color.setAlphaF(0.6);
    }
    QPalette own = palette();
    own.setColor(QPalette::WindowText, color);
    m_painting = true;  // setPalette sends a PaletteChange of its own
    setPalette(own);
    // A window's style sheet colours its labels over their palettes (the settings window does);
    // the label's own sheet comes first.
    const QString sheet = QStringLiteral("color: rgba(%1, %2, %3, %4);").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alphaF());
    if (sheet != styleSheet()) setStyleSheet(sheet);
    m_painting = false;
}

}  // namespace vocena
