#include "UI/Settings/SettingsWindow.h"

#include "Infrastructure/Platform/Clock.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"
#include "UI/Shell/MemoryWatchdog.h"

#include <QCloseEvent>
#include <QPointer>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWindow>

namespace vocena {

namespace {
const QString kObjectName = QStringLiteral("settingsWindow");
}  // namespace

QString SettingsWindow::version() { return QStringLiteral(VOCENA_VERSION); }

SettingsWindow::SettingsWindow(Scheduler& scheduler, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_scheduler(scheduler) {
    setObjectName(kObjectName);
    setAttribute(Qt::WA_StyledBackground);
    setWindowTitle(QStringLiteral("澄言设置"));
    resize(kWidth, kHeight);

    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("settingsCardRow"));
    m_cardRow = new QHBoxLayout(row);
    m_cardRow->setContentsMargins(24, 8, 24, 8);
    m_cardRow->setSpacing(16);
    m_cardRow->addStretch(1);
    m_cardArea = new QScrollArea(this);
    m_cardArea->setObjectName(QStringLiteral("settingsCards"));
    m_cardArea->setFrameShape(QFrame::NoFrame);
    m_cardArea->setWidgetResizable(true);
    m_cardArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_cardArea->setWidget(row);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(m_cardArea, 1);
    layout->addWidget(buildFooter());
    applyStyle();
}

SettingsWindow::~SettingsWindow() {
    if (m_stopFloating) m_stopFloating->cancel();
}

QWidget* SettingsWindow::buildHeader() {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("settingsHeader"));
    auto* mark = new SymbolView(SettingsSymbols::Symbol::appMark, 24, SymbolView::Tint::white, header);
    mark->setDisc(SymbolView::Tint::brand, 44);
    auto* name = new QLabel(QStringLiteral("澄言"), header);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    name->setFont(nameFont);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(name);
    texts->addWidget(SettingsStyle::label(QStringLiteral("智能语音输入法"), SettingsStyle::Role::secondary, header));
    m_version = SettingsStyle::label(version(), SettingsStyle::Role::secondary, header);
    m_version->setObjectName(QStringLiteral("versionLabel"));

    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(24, 20, 24, 12);
    layout->setSpacing(12);
    layout->addWidget(mark);
    layout->addLayout(texts);
    layout->addStretch(1);
    layout->addWidget(m_version, 0, Qt::AlignBottom);
    return header;
}

QWidget* SettingsWindow::buildFooter() {
    auto* footer = new QWidget(this);
    // The tray menu and the command line open the settings from anywhere (a desktop shortcut can
    // run the command).
    m_openHint = SettingsStyle::label(QStringLiteral("随时打开设置：托盘菜单「设置...」或 vocena settings"),
                                      SettingsStyle::Role::secondary, footer);
    m_forceQuitHint = SettingsStyle::label(
        QStringLiteral("⚠️ 如遇卡死：") + MemoryWatchdog::forceQuitHint(QCoreApplication::applicationPid()),
        SettingsStyle::Role::secondary, footer);
    m_forceQuitHint->setObjectName(QStringLiteral("forceQuitHint"));
    m_forceQuitHint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(24, 8, 24, 14);
    layout->setSpacing(24);
    layout->addStretch(1);
    layout->addWidget(m_openHint);
    layout->addWidget(m_forceQuitHint);
    layout->addStretch(1);
    return footer;
}

void SettingsWindow::addCard(QWidget* card, int width) {
    card->setParent(m_cardArea->widget());
    card->setFixedWidth(width);
    m_cardRow->insertWidget(m_cardRow->count() - 1, card);
    m_cards << card;
}

void SettingsWindow::applyStyle() {
    const bool dark = SettingsStyle::isDarkTheme();
    if (m_styledDark == dark) return;
    m_styledDark = dark;
    setStyleSheet(SettingsStyle::styleSheet(dark, kObjectName));
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    QPointer<SettingsWindow> self(this);
    m_stopFloating = m_scheduler.schedule(kFloatingSeconds, [self] {
        if (self) self->stopFloating();
    });
}

void SettingsWindow::stopFloating() {
    // Told to the window system in place: setting the widget's flags would hide and re-map it.
    overrideWindowFlags(windowFlags() & ~Qt::WindowStaysOnTopHint);
    if (QWindow* window = windowHandle()) window->setFlags(window->flags() & ~Qt::WindowStaysOnTopHint);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) Q_EMIT closed();
}

bool SettingsWindow::event(QEvent* event) {
    // A new theme: the style sheet again, which also repaints the symbols in its colours.
    if (event->type() == QEvent::ApplicationPaletteChange) applyStyle();
    return QWidget::event(event);
}

}  // namespace vocena
