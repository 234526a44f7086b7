#include "UI/Common/InstallProgressView.h"

#include "UI/Common/WidgetHelpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vocena {

InstallProgressView::InstallProgressView(QWidget* parent) : QWidget(parent) {
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("installProgress"));
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(6);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("installProgressText"));
    m_text->setWordWrap(true);
    WidgetHelpers::setFont(m_text, WidgetHelpers::kCaptionScale);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(2);
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    hide();
}

void InstallProgressView::setProgress(const DownloadProgress* progress) {
    setVisible(progress != nullptr);
    if (!progress) return;
    const std::optional<int> permille = progress->permille();
    m_bar->setRange(0, permille ? 1000 : 0);  // 0..0: busy
    if (permille) m_bar->setValue(*permille);
    m_text->setText(progress->statusText());
}

}  // namespace vocena
