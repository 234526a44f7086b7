#include "UI/Settings/AddVocabularySheet.h"

#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SettingsSymbols.h"
#include "Support/TextUtils.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vocena {

namespace {

constexpr int kWidth = 360;

}  // namespace

AddVocabularySheet::AddVocabularySheet(OnAdd onAdd, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_onAdd(std::move(onAdd)) {
    setObjectName(QStringLiteral("addVocabularySheet"));
    setWindowTitle(QStringLiteral("添加词汇"));
    setModal(true);
    setFixedWidth(kWidth);

    auto* title = new QLabel(QStringLiteral("添加词汇"), this);
    title->setObjectName(QStringLiteral("sheetTitle"));
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAutoRaise(true);
    m_close->setToolTip(QStringLiteral("关闭"));
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &QToolButton::clicked, this, &QDialog::reject);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_close);

    // The parts sit on a content widget that carries the style sheet (see applyStyle).
    m_content = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(14);
    layout->addLayout(titleRow);
    m_word = addField(layout, QStringLiteral("正确词汇"), QStringLiteral("例如：VureVIZ"));
    m_variants = addField(layout, QStringLiteral("错误变体（可选，用逗号分隔）"), QStringLiteral("例如：zOVO, vure viz"));
    m_category = addField(layout, QStringLiteral("分类（可选）"), QStringLiteral("例如：人名, 公司名, 专业术语"));
    m_word->setObjectName(QStringLiteral("wordField"));
    m_variants->setObjectName(QStringLiteral("variantsField"));
    m_category->setObjectName(QStringLiteral("categoryField"));

    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_add = new QPushButton(QStringLiteral("添加"), this);
    m_add->setObjectName(QStringLiteral("addButton"));
    m_add->setDefault(true);
    m_add->setEnabled(false);
    connect(m_add, &QPushButton::clicked, this, &AddVocabularySheet::submit);
    connect(m_word, &QLineEdit::textChanged, this, [this](const QString& text) { m_add->setEnabled(!text.isEmpty()); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_add);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    applyStyle();
}

QLineEdit* AddVocabularySheet::addField(QVBoxLayout* layout, const QString& label, const QString& placeholder) {
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("fieldLabel"));
    auto* field = new QLineEdit(this);
    field->setPlaceholderText(placeholder);
    caption->setBuddy(field);
    auto* group = new QVBoxLayout;
    group->setSpacing(5);
    group->addWidget(caption);
    group->addWidget(field);
    layout->addLayout(group);
    return field;
}

std::optional<QStringList> AddVocabularySheet::parseVariants(const QString& text) {
    QStringList variants;
    for (const QString& piece : text.split(u',', Qt::SkipEmptyParts)) {
        const QString variant = TextUtils::trimmedSpacesAndTabs(piece);
        if (!variant.isEmpty()) variants << variant;
    }
    if (variants.isEmpty()) return std::nullopt;
    return variants;
}

std::optional<QString> AddVocabularySheet::parseCategory(const QString& text) {
    const QString category = TextUtils::trimmedSpacesAndTabs(text);
    if (category.isEmpty()) return std::nullopt;
    return category;
}

void AddVocabularySheet::submit() {
    if (m_word->text().isEmpty()) return;
    if (m_onAdd && !m_onAdd(m_word->text(), parseVariants(m_variants->text()), parseCategory(m_category->text()))) return;
    accept();
}

void AddVocabularySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOverParent();
    m_word->setFocus();
}

// A sheet hangs from the top of its window, centred.
void AddVocabularySheet::placeOverParent() {
    const QWidget* host = parentWidget() ? parentWidget()->window() : nullptr;
    if (!host) return;
    adjustSize();
    const QRect frame = host->geometry();
    move(frame.x() + (frame.width() - width()) / 2, frame.y() + std::min(60, std::max(0, (frame.height() - height()) / 2)));
}

void AddVocabularySheet::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}

void AddVocabularySheet::applyStyle() {
    const SettingsStyle::Colors colors = SettingsStyle::colors(palette());
    m_close->setIcon(QIcon(SettingsSymbols::pixmap(SettingsSymbols::Symbol::xmarkCircle, colors.textSecondary, 20,
                                                     devicePixelRatioF())));
    m_close->setIconSize(QSize(20, 20));
    const QString brand = SettingsStyle::brandColor().name();
    const QString sheet = QStringLiteral(
        "#sheetTitle { font-size: 15px; font-weight: 600; color: %2; }"
        "#fieldLabel { color: %3; }"
        "QLineEdit { padding: 5px 8px; border: 1px solid %1; border-radius: 6px; background: %4; color: %2; }"
        "QLineEdit:focus { border-color: %5; }"
        "QPushButton { padding: 5px 16px; border-radius: 6px; border: 1px solid %1; background: %4; color: %2; }"
        "QPushButton#addButton { background: %5; border-color: %5; color: white; }"
        "QPushButton#addButton:disabled { background: %6; border-color: %6; color: %3; }"
        "QToolButton#closeButton { border: none; }")
                              .arg(colors.border.name(QColor::HexArgb), colors.textPrimary.name(),
                                   colors.textSecondary.name(QColor::HexArgb), colors.row.name(), brand,
                                   colors.selectedRow.name(QColor::HexArgb));
    // Not on the sheet itself, which would then keep its palette when the theme changes.
    if (sheet != m_content->styleSheet()) m_content->setStyleSheet(sheet);
    update();
}

// The sheet's own background and border stand in for the window frame it does not have (a
// style sheet rule for the sheet itself would replace the palette the theme is told from).
void AddVocabularySheet::paintEvent(QPaintEvent*) {
    const SettingsStyle::Colors colors = SettingsStyle::colors(palette());
    QPainter painter(this);
    painter.fillRect(rect(), colors.card);
    painter.setPen(colors.border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vocena
