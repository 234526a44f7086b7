#include "UI/Common/MirrorField.h"

#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "UI/Common/PreferenceTextField.h"
#include "UI/Common/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vocena {

const QString MirrorField::kTitle = QStringLiteral("下载镜像");

MirrorField::MirrorField(Preferences& preferences, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mirrorField"));
    m_title = new QLabel(kTitle, this);
    WidgetHelpers::setFont(m_title, WidgetHelpers::kCaptionScale);
    m_field = new PreferenceTextField(preferences, QString::fromLatin1(ModelCatalog::kMirrorKey), QString(), this);
    m_field->setObjectName(QStringLiteral("mirrorEdit"));
    m_field->setPlaceholderText(QStringLiteral("可选，如 https://hub.nuaa.cf"));
    m_field->setClearButtonEnabled(true);
    WidgetHelpers::setFont(m_field, WidgetHelpers::kCaptionScale);
    setToolTip(QStringLiteral("填写后，内置模型从镜像下载，文件名不变：镜像地址代替下载地址开头的 https://github.com。\n"
                              "例如 https://hub.nuaa.cf；要求完整地址的 GitHub 代理写作 https://代理地址/https://github.com。\n"
                              "留空则从 GitHub 下载。"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_title);
    layout->addWidget(m_field, 1);
}

}  // namespace vocena
