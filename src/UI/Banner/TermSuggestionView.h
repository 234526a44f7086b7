#pragma once

#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace vocena {

// The content of a term suggestion, 370 × 50: "将「term」（category）加入词汇库？" and the buttons
// "忽略" and "添加". A text too long for its 190 px is set smaller (down to 10 px) before it is
// cut at the end.
class TermSuggestionView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 370;
    static constexpr int kHeight = 50;

    TermSuggestionView(const QString& term, const std::optional<QString>& category, QWidget* parent = nullptr);

    static QString question(const QString& term, const std::optional<QString>& category);
    QString text() const { return m_text; }
    QLabel* label() const { return m_label; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* dismissButton() const { return m_dismiss; }

Q_SIGNALS:
    void addClicked();
    void dismissClicked();

private:
    QString m_text;
    QLabel* m_label;
    QPushButton* m_dismiss;
    QPushButton* m_add;
};

}  // namespace vocena
