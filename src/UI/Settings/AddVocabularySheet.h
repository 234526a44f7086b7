#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace vocena {

// "添加词汇": a modal sheet over the settings window with three fields, the correct word, its
// known wrong variants (comma-separated) and a category. "添加" (Return) is enabled as soon as
// the word field holds any text, spaces included; it hands the word as typed, the variants and
// the category to `onAdd` and closes the sheet, unless `onAdd` could not save it: then what was
// typed stays for another try. "取消", Escape and the close button close it.
// A sheet is made for each presentation, so its fields always start empty.
class AddVocabularySheet : public QDialog {
    Q_OBJECT
public:
    using OnAdd = std::function<bool(const QString& word, const std::optional<QStringList>& variants,
                                     const std::optional<QString>& category)>;

    AddVocabularySheet(OnAdd onAdd, QWidget* parent);

    // The variants field split at ASCII commas (a full-width "，" is part of a variant), each
    // piece trimmed of spaces and tabs; blank pieces are dropped, and nothing is left: none.
    static std::optional<QStringList> parseVariants(const QString& text);
    // The category field trimmed of spaces and tabs; none when that leaves nothing.
    static std::optional<QString> parseCategory(const QString& text);

    QLineEdit* wordField() const { return m_word; }
    QLineEdit* variantsField() const { return m_variants; }
    QLineEdit* categoryField() const { return m_category; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* cancelButton() const { return m_cancel; }
    QToolButton* closeButton() const { return m_close; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* addField(QVBoxLayout* layout, const QString& label, const QString& placeholder);
    void submit();
    void applyStyle();
    void placeOverParent();

    OnAdd m_onAdd;
    QWidget* m_content;
    QToolButton* m_close;
    QLineEdit* m_word;
    QLineEdit* m_variants;
    QLineEdit* m_category;
    QPushButton* m_cancel;
    QPushButton* m_add;
};

}  // namespace vocena
