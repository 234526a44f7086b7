#pragma once

#include "UI/Shell/MemoryAlert.h"

#include <QPointer>

class QMessageBox;

namespace vocena {

// The memory alert as a warning message box, application-modal but shown without a nested
// event loop: the answer arrives through the callback when a button is pressed. Closing the
// box any other way (Esc, the window's close button) keeps the app running.
class MemoryAlertBox final : public MemoryAlert {
public:
    MemoryAlertBox() = default;
    ~MemoryAlertBox() override;

    void show(const QString& message, const QString& informativeText, std::function<void(Choice)> answer) override;

    // The box on screen, if any (for the app's tests and screenshots).
    QMessageBox* box() const { return m_box; }

private:
    QPointer<QMessageBox> m_box;
};

}  // namespace vocena
