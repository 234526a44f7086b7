#pragma once

#include <QFrame>

namespace vocena {

// A choice of the settings window drawn as a rounded row: clicked with the mouse, or with
// Space or Return while it has the focus; the selected one is outlined in the brand colour.
class OptionFrame : public QFrame {
    Q_OBJECT
public:
    explicit OptionFrame(QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

Q_SIGNALS:
    void clicked();

protected:
    // A subclass restyles its own parts.
    virtual void selectionChanged(bool) {}
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_selected = false;
    bool m_pressed = false;
};

}  // namespace vocena
