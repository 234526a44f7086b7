#pragma once

#include <QWidget>

namespace vocena {

class ToggleSwitch;

// A title, a note under it and a switch at the end of the line. `toggled` reports the user's
// changes only; setOn() changes the switch silently.
class ToggleSettingRow final : public QWidget {
    Q_OBJECT
public:
    ToggleSettingRow(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    bool isOn() const;
    void setOn(bool on);
    ToggleSwitch* toggleSwitch() const { return m_switch; }

Q_SIGNALS:
    void toggled(bool on);

private:
    ToggleSwitch* m_switch;
};

}  // namespace vocena
