#pragma once

#include <QFrame>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace vocena {

class DownloadProgress;
class InstallProgressView;
class NoteLabel;

// One model in the speech-model card: its name (with "使用中" for the active one), a line about
// it, the progress of its install, a note (a problem in red), and its buttons under the texts,
// at the right.
class SpeechModelRow : public QFrame {
    Q_OBJECT
public:
    SpeechModelRow(const QString& title, const QString& summary, QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);
    void setActive(bool active);
    void setProgress(const DownloadProgress* progress);
    void setNote(const QString& text, bool problem);
    // A button at the right end of the buttons line, in the order added.
    QPushButton* addButton(const QString& text, const QString& objectName);
    QPushButton* button(const QString& objectName) const;

private:
    QLabel* m_title;
    QLabel* m_badge;
    InstallProgressView* m_progress;
    NoteLabel* m_note;
    QHBoxLayout* m_buttons;
};

}  // namespace vocena
