#pragma once

#include <QLabel>

namespace vocena {

// A small wrapped note under a row's texts: a problem in red, anything else in the secondary
// text colour of the palette (kept when the palette changes). Hidden while empty.
class NoteLabel : public QLabel {
    Q_OBJECT
public:
    explicit NoteLabel(QWidget* parent = nullptr);

    void setNote(const QString& text, bool problem);
    bool isProblem() const { return m_problem; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void paint();

    bool m_problem = false;
    bool m_painting = false;
};

}  // namespace vocena
