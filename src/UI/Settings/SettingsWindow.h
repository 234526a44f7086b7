#pragma once

#include <QList>
#include <QWidget>
#include <memory>
#include <optional>

class QHBoxLayout;
class QLabel;
class QScrollArea;

namespace vocena {

class Scheduler;
class WorkItem;

// "澄言设置" (1300 × 680, resizable): the header with the app's mark, name and version, a
// horizontally scrolling row of cards, each of its own fixed width, and two hints at the foot.
// It floats above other windows for its first half second, then becomes a normal window. Its
// colours follow the app's light or dark theme. Closing only hides it (its cards may still
// finish what they started) and says so through `closed`.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1300;
    static constexpr int kHeight = 680;
    static constexpr double kFloatingSeconds = 0.5;

    explicit SettingsWindow(Scheduler& scheduler, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Appends `card` to the row, `width` pixels wide.
    void addCard(QWidget* card, int width);
    const QList<QWidget*>& cards() const { return m_cards; }

    bool isFloating() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    QScrollArea* cardArea() const { return m_cardArea; }
    QLabel* versionLabel() const { return m_version; }
    QLabel* forceQuitHint() const { return m_forceQuitHint; }
    QLabel* openHint() const { return m_openHint; }

    // The app's version as the header shows it (the project's version).
    static QString version();

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildFooter();
    void applyStyle();
    void stopFloating();

    Scheduler& m_scheduler;
    std::shared_ptr<WorkItem> m_stopFloating;
    bool m_shownOnce = false;
    std::optional<bool> m_styledDark;
    QScrollArea* m_cardArea = nullptr;
    QHBoxLayout* m_cardRow = nullptr;
    QList<QWidget*> m_cards;
    QLabel* m_version = nullptr;
    QLabel* m_forceQuitHint = nullptr;
    QLabel* m_openHint = nullptr;
};

}  // namespace vocena
