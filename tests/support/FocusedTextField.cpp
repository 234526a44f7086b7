#include "support/FocusedTextField.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vocena::test {

FocusedTextField::FocusedTextField(Kind kind) : m_window(std::make_unique<QWidget>()) {
    auto* layout = new QVBoxLayout(m_window.get());
    QWidget* field = nullptr;
    if (kind == Kind::multiLine) field = m_multiLine = new QPlainTextEdit;
    else field = m_singleLine = new QLineEdit;
    layout->addWidget(field);
    field->installEventFilter(this);
    m_window->resize(400, 200);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    field->setFocus();
    // Without a window manager the focus arrives asynchronously.
    waitUntil([&] { return m_window->isActiveWindow() && field->hasFocus(); });
}

FocusedTextField::~FocusedTextField() = default;

QString FocusedTextField::text() const { return m_multiLine ? m_multiLine->toPlainText() : m_singleLine->text(); }

void FocusedTextField::setText(const QString& text) {
    if (m_multiLine) m_multiLine->setPlainText(text);
    else m_singleLine->setText(text);
}

QString FocusedTextField::waitForText(const QString& expected) {
    waitUntil([&] { return text() == expected; });
    return text();
}

bool FocusedTextField::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier) || key->key() == Qt::Key_Control || key->key() == Qt::Key_Shift) return false;
    shortcuts << QKeySequence(key->keyCombination()).toString();
    return ignorePaste && key->key() == Qt::Key_V;
}

}  // namespace vocena::test
