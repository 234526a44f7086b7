#include "UI/Permissions/PermissionHelpDialog.h"

#include "Infrastructure/Permissions/PermissionHelp.h"
#include "UI/Common/WidgetHelpers.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vocena {

PermissionHelpDialog::PermissionHelpDialog(PermissionType type, const QString& finding, QWidget* parent)
    : QDialog(parent), m_type(type) {
    setWindowTitle(QStringLiteral("澄言 · %1").arg(rawValue(type)));
    auto* title = new QLabel(rawValue(type), this);
    WidgetHelpers::setFont(title, 1.2, true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    if (!finding.isEmpty()) {
        auto* found = new QLabel(QStringLiteral("检查结果：%1").arg(finding), this);
        found->setObjectName(QStringLiteral("findingLabel"));
        found->setWordWrap(true);
        found->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(found);
    }
    auto* howTo = new QLabel(PermissionHelp::howTo(type), this);
    howTo->setObjectName(QStringLiteral("howToLabel"));
    howTo->setTextFormat(Qt::PlainText);
    howTo->setWordWrap(true);
    howTo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(howTo);
    layout->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

}  // namespace vocena
