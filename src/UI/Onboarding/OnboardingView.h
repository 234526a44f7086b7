#pragma once

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;

namespace vocena {

class GuideCard;
class RevealSlot;
class Scheduler;
class WorkItem;

// The welcome card's content: the app's mark with a greeting, four guide cards (the Alt
// gesture, the API key with "去设置", the two work modes, the vocabulary) and the footer
// "不再提示" / "开始使用". When first shown, the header comes in at once and the cards one
// after another, 0.2, 0.28, 0.36 and 0.44 s later (on the scheduler it is given). Its colours
// come from its palette when it is built and whenever restyle() is called.
class OnboardingView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCardCount = 4;
    static constexpr std::array<double, kCardCount> kCardRevealDelays{0.2, 0.28, 0.36, 0.44};

    // The app's accent colour.
    static QColor brandColor() { return QColor::fromRgbF(0.92f, 0.25f, 0.35f); }

    // `onDismiss` gets true from "不再提示" and false from "开始使用"; `onOpenSettings` is
    // called by the card button "去设置".
    OnboardingView(Scheduler& scheduler, std::function<void(bool)> onDismiss, std::function<void()> onOpenSettings,
                   QWidget* parent = nullptr);
    ~OnboardingView() override;

    // Whether the header and each guide card have been revealed.
    bool appear() const;
    std::array<bool, kCardCount> cardAppears() const;

    GuideCard* guideCard(int index) const { return m_cards.at(index); }
    QPushButton* settingsButton() const;
    QPushButton* dismissButton() const { return m_dismiss; }
    QPushButton* startButton() const { return m_start; }

    // Writes the style sheet again from the palette (after a theme change). A widget under a
    // style sheet no longer takes its parent's palette, so the host calls this once the window
    // has the new palette.
    void restyle();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildFooter();
    void startAppearance();
    QString styleSheetText() const;
    void paintHeaderSymbol();

    Scheduler& m_scheduler;
    std::function<void(bool)> m_onDismiss;
    std::function<void()> m_onOpenSettings;
    QLabel* m_headerSymbol = nullptr;
    RevealSlot* m_header = nullptr;
    std::array<GuideCard*, kCardCount> m_cards{};
    std::array<RevealSlot*, kCardCount> m_cardSlots{};
    QPushButton* m_dismiss = nullptr;
    QPushButton* m_start = nullptr;
    bool m_appearanceStarted = false;
    std::vector<std::shared_ptr<WorkItem>> m_pendingReveals;  // dropped with the view
};

}  // namespace vocena
