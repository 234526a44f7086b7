// The settings window as the factory builds it, on real widgets under Xvfb, its float in
// virtual time.
#include "Infrastructure/Platform/Clock.h"
#include "UI/Appearance/AppearanceController.h"
#include "UI/Settings/CardHeader.h"
#include "UI/Settings/SettingsCard.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/SettingsWindowFactory.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/MemorySecretStore.h"
#include "support/WidgetTest.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <memory>

using namespace vocena;
using namespace vocena::test;

namespace {

class SettingsWindowTest : public WidgetTest {
protected:
    AppearanceController appearance{prefs};
    VocabularyStore vocabulary{path(QStringLiteral("vocabulary.json")), Clock::system()};

    std::unique_ptr<SettingsWindow> open() {
        std::unique_ptr<SettingsWindow> window(createSettingsWindow({.preferences = prefs, .scheduler = scheduler,
            .applyTheme = [this] { appearance.apply(); }, .updateLoginItem = {},
            .secrets = std::make_shared<MemorySecretStore>(), .vocabulary = &vocabulary}));
        EXPECT_TRUE(showActive(window.get()));
        return window;
    }
};

}  // namespace

// Title, size, the cards in their order with their titles and no text cut off, the version of
// the build and the way to end a hung app with this process's id. With all six cards the row is wider than the window:
// it scrolls sideways to the last card.
TEST_F(SettingsWindowTest, ShowsItsCardsInOrderWithTheVersionAndTheForceQuitHintAndFloatsForItsFirstHalfSecond) {
    auto window = open();
    EXPECT_EQ(std::pair(window->windowTitle(), window->size()),
              std::pair(QStringLiteral("澄言设置"), QSize(SettingsWindow::kWidth, SettingsWindow::kHeight)));
    const QList<QWidget*>& cards = window->cards();
    QStringList shown;  // each card's class and title
    for (QWidget* card : cards) {
        const QString title = qobject_cast<SettingsCard*>(card)->header()->titleLabel()->text();
        shown << QString::fromLatin1(card->metaObject()->className()).section(u':', -1) + u' ' + title;
    }
    EXPECT_EQ(shown, (QStringList{"WorkModeCard 工作模式", "AIFeaturesCard AI 智能处理", "APIConfigCard API 配置",
                                  "GeneralSettingsCard 常规设置", "VocabularySettingsCard 词汇库", "SpeechModelCard 语音模型"}));
    // No text is cut off: each one-line label is as wide as its text in the window's fonts.
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window.get()) || label->text().isEmpty() || label->wordWrap()) continue;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
    }

    // The last line: what opens the settings on Linux (there is no application menu with Ctrl+,).
    EXPECT_EQ(window->versionLabel()->text(), QStringLiteral(VOCENA_VERSION));
    EXPECT_EQ(window->forceQuitHint()->text(),
              QStringLiteral("⚠️ 如遇卡死：强制退出：在终端运行 kill -9 %1").arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(window->openHint()->text(), QStringLiteral("随时打开设置：托盘菜单「设置...」或 vocena settings"));

    QScrollBar* bar = window->cardArea()->horizontalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->isVisible() && bar->maximum() > 0; }));
    const auto lastInView = [&] {
        const QRect shown(cards.last()->mapTo(window->cardArea()->viewport(), QPoint(0, 0)), cards.last()->size());
        return window->cardArea()->viewport()->rect().contains(shown);
    };
    EXPECT_FALSE(lastInView());
    bar->setValue(bar->maximum());
    EXPECT_TRUE(lastInView());

    // Above other windows for the first half second, then a normal window, for the window system
    // too, and still shown; a window destroyed before its half second leaves nothing behind to run.
    const auto onTop = [&] { return window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint); };
    clock.advance(0.49);
    EXPECT_TRUE(window->isFloating() && onTop());
    clock.advance(0.02);
    EXPECT_EQ(std::tuple(window->isFloating(), onTop(), window->isVisible()), std::tuple(false, false, true));
    auto second = open();
    second.reset();
    clock.advance(1);
}
