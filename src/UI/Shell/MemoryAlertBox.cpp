#include "UI/Shell/MemoryAlertBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace vocena {

MemoryAlertBox::~MemoryAlertBox() { delete m_box; }

void MemoryAlertBox::show(const QString& message, const QString& informativeText, std::function<void(Choice)> answer) {
    delete m_box;  // one question at a time; an older one is no longer answered
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("澄言"), message);
    box->setInformativeText(informativeText);
    QPushButton* quit = box->addButton(QStringLiteral("退出"), QMessageBox::AcceptRole);
    QPushButton* keepRunning = box->addButton(QStringLiteral("继续运行"), QMessageBox::RejectRole);
    box->setDefaultButton(quit);
    box->setEscapeButton(keepRunning);
    box->setWindowModality(Qt::ApplicationModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, quit, answer = std::move(answer)] {
        answer(box->clickedButton() == quit ? Choice::quit : Choice::keepRunning);
    });
    m_box = box;
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace vocena
