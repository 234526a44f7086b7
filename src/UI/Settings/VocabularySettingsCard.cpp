#include "UI/Settings/VocabularySettingsCard.h"

#include "Infrastructure/Platform/Logging.h"
#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/AddVocabularySheet.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/VocabularyListModel.h"
#include "UI/Settings/VocabularyRow.h"
#include "UI/Settings/VocabularyRowDelegate.h"
#include "Vocabulary/VocabularyStore.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace vocena {

namespace {

const Logger logger("VocabularySettingsCard");

using Symbol = SettingsSymbols::Symbol;

void setStyleSheetOf(QWidget* widget, const QString& sheet) {
    if (widget->styleSheet() != sheet) widget->setStyleSheet(sheet);
}

QIcon symbolIcon(Symbol symbol, const QColor& color, int size, qreal ratio) {
    return QIcon(SettingsSymbols::pixmap(symbol, color, size, ratio));
}

}  // namespace

VocabularySettingsCard::VocabularySettingsCard(VocabularyStore& store, QWidget* parent)
    : SettingsCard(Symbol::book, QStringLiteral("词汇库"), parent),
      m_store(store),
      m_model(new VocabularyListModel(this)),
      m_delegate(new VocabularyRowDelegate(this)) {
    setObjectName(QStringLiteral("vocabularySettingsCard"));
    setFixedWidth(kWidth);
    setMinimumHeight(kHeight);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(QStringLiteral("搜索词汇..."));
    m_search->setClearButtonEnabled(true);
    SettingsStyle::setRole(m_search, SettingsStyle::Role::field);
    m_searchSymbol = m_search->addAction(QIcon(), QLineEdit::LeadingPosition);
    connect(m_search, &QLineEdit::textChanged, m_model, &VocabularyListModel::setSearchText);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("vocabularyList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    // Rows are painted, all of one height, so the view lays out thousands of them at once.
    m_list->setUniformItemSizes(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(VocabularyRow::kHeight / 2);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->viewport()->setAutoFillBackground(false);  // the card's background shows between the rows
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->setMaximumHeight(kMaximumListHeight);
    m_list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(m_delegate, &VocabularyRowDelegate::deleteRequested, this, &VocabularySettingsCard::deleteItem);

    QVBoxLayout* layout = body();
    layout->setSpacing(12);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);
    layout->addStretch(0);
    m_problem = SettingsStyle::label(QString(), SettingsStyle::Role::error, this);
    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    layout->addWidget(m_problem);
    layout->addWidget(buildFooter());

    applyStyle();
    refresh();
}

QWidget* VocabularySettingsCard::buildFooter() {
    auto* footer = new QWidget(this);
    m_count = SettingsStyle::label(QString(), SettingsStyle::Role::secondary, footer);
    m_count->setObjectName(QStringLiteral("countLabel"));
    m_import = new QPushButton(QStringLiteral("导入"), footer);
    m_import->setObjectName(QStringLiteral("importButton"));
    connect(m_import, &QPushButton::clicked, this, &VocabularySettingsCard::showImportDialog);
    m_add = new QPushButton(QStringLiteral("添加"), footer);
    m_add->setObjectName(QStringLiteral("addButton"));
    connect(m_add, &QPushButton::clicked, this, &VocabularySettingsCard::showAddSheet);
    SettingsStyle::setRole(m_import, SettingsStyle::Role::button);
    SettingsStyle::setRole(m_add, SettingsStyle::Role::primaryButton);
    for (QPushButton* button : {m_import, m_add}) {
        button->setCursor(Qt::PointingHandCursor);
        button->setIconSize(QSize(14, 14));
    }
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_count);
    row->addStretch(1);
    row->addWidget(m_import);
    row->addWidget(m_add);
    return footer;
}

void VocabularySettingsCard::refresh() {
    QScrollBar* scrollBar = m_list->verticalScrollBar();
    const int scrolled = scrollBar->value();
    if (m_model->setItems(m_store.items())) {
        // The reset scrolled to the top: lay the rows out now and scroll back where the user was.
        m_list->doItemsLayout();
        scrollBar->setValue(scrolled);
    }
    updateCount();
    updateProblem();
}

void VocabularySettingsCard::updateProblem() {
    QString problem;
    if (m_store.hasUnsavedChanges())
        problem = QStringLiteral("未能保存词汇库：改动会在下次修改时再次保存");
    else if (m_store.loadFailed())
        problem = QStringLiteral("词汇库文件无法读取：原文件不会被覆盖，保存时另存为 .corrupt 备份");
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
}

void VocabularySettingsCard::updateCount() {
    m_count->setText(QStringLiteral("%1 个词汇").arg(m_model->items().size()));
}

AddVocabularySheet* VocabularySettingsCard::addSheet() const {
    return m_sheet && m_sheet->isVisible() ? m_sheet.data() : nullptr;
}

void VocabularySettingsCard::showAddSheet() {
    if (m_sheet && m_sheet->isVisible()) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return;
    }
    m_sheet = new AddVocabularySheet(
        [this](const QString& word, const std::optional<QStringList>& variants, const std::optional<QString>& category) {
            return addItem(word, variants, category);
        },
        this);
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_sheet->open();
}

bool VocabularySettingsCard::addItem(const QString& word, const std::optional<QStringList>& variants,
                                     const std::optional<QString>& category) {
    // The store trims the word and ignores a blank one or one it has already.
    m_store.add(word, variants, category);
    refresh();
    return !m_store.hasUnsavedChanges();
}

void VocabularySettingsCard::deleteItem(const QUuid& id) {
    m_store.remove(id);
    refresh();
}

void VocabularySettingsCard::showImportDialog() {
    if (m_importDialog && m_importDialog->isVisible()) {
        m_importDialog->raise();
        m_importDialog->activateWindow();
        return;
    }
    // Qt's own dialog rather than the desktop's: the same on every desktop, and scriptable.
    m_importDialog = new QFileDialog(this, QStringLiteral("选择CSV词汇文件"), QDir::homePath());
    m_importDialog->setObjectName(QStringLiteral("importDialog"));
    m_importDialog->setOption(QFileDialog::DontUseNativeDialog);
    m_importDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_importDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_importDialog->setFileMode(QFileDialog::ExistingFile);
    m_importDialog->setNameFilter(QStringLiteral("CSV 或文本文件 (*.csv *.txt *.text)"));
    m_importDialog->setLabelText(QFileDialog::Accept, QStringLiteral("导入"));
    connect(m_importDialog, &QFileDialog::fileSelected, this, &VocabularySettingsCard::importFile);
    m_importDialog->open();
}

void VocabularySettingsCard::importFile(const QString& path) {
    if (path.isEmpty()) return;
    const int count = m_store.importFromCSV(path);
    refresh();
    if (count >= 1) logger.info(QStringLiteral("成功导入 %1 个词汇").arg(count));
}

void VocabularySettingsCard::showEvent(QShowEvent* event) {
    SettingsCard::showEvent(event);
    refresh();
}

void VocabularySettingsCard::changeEvent(QEvent* event) {
    SettingsCard::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) refresh();
}

void VocabularySettingsCard::applyStyle() {
    const bool dark = ThemePalette::isDark(palette());
    const SettingsStyle::Colors colors = SettingsStyle::colors(dark);
    const qreal ratio = devicePixelRatioF();
    m_searchSymbol->setIcon(symbolIcon(Symbol::magnifyingGlass, colors.textSecondary, 16, ratio));
    m_import->setIcon(symbolIcon(Symbol::trayArrowDown, colors.textPrimary, 14, ratio));
    m_add->setIcon(symbolIcon(Symbol::plus, QColor(Qt::white), 14, ratio));
    // Not on the card: a card with a style sheet would keep the palette it had instead of taking
    // the next theme's, and its list's rows are painted in the colours told from that palette.
    setStyleSheetOf(m_list->verticalScrollBar(), QStringLiteral(
        "QScrollBar:vertical { width: 8px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 24px; margin: 0 1px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
                                                      .arg((dark ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 60)).name(QColor::HexArgb)));
}

}  // namespace vocena
