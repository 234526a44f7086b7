#pragma once

#include <QAbstractButton>

namespace vocena {

// An on/off switch: a rounded track, in the brand colour when on, with a white knob.
// Checkable; `toggled` reports every change, `clicked` only the user's.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {40, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vocena
