// The settings window as the factory builds it, on real widgets under Xvfb, its float in
// virtual time. With VOCENA_SCREENSHOTS=<folder> it saves the window in the light and the
// dark theme (settings-light.png, settings-dark.png) and scrolled to its last card
// (settings-scrolled.png).
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Infrastructure/Platform/Clock.h"
#include "UI/Appearance/AppearanceController.h"
#include "UI/Settings/CardHeader.h"
#include "UI/Settings/GeneralSettingsCard.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/SettingsSymbols.h"
#include "UI/Settings/SettingsWindowFactory.h"
#include "UI/Settings/SymbolView.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/MemorySecretStore.h"
#include "support/WidgetTest.h"

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

// Title, size, the cards in their order and widths, the version of the build and the way to
// end a hung app with this process's id. With all six cards the row is wider than the window:
// it scrolls sideways, and no card is squeezed below its width.
TEST_F(SettingsWindowTest, ShowsItsCardsInOrderWithTheVersionAndTheForceQuitHintAndFloatsForItsFirstHalfSecond) {
    auto window = open();
    EXPECT_EQ(std::pair(window->windowTitle(), window->size()),
              std::pair(QStringLiteral("澄言设置"), QSize(SettingsWindow::kWidth, SettingsWindow::kHeight)));
    const QList<QWidget*>& cards = window->cards();
    QStringList shown;  // each card's class and width, left to right without overlapping
    for (int i = 0; i < cards.size(); ++i) {
        shown << QStringLiteral("%1 %2").arg(QString::fromLatin1(cards[i]->metaObject()->className()).section(u':', -1)).arg(cards[i]->width());
        if (i > 0) { EXPECT_GT(cards[i]->x(), cards[i - 1]->geometry().right()) << i; }
    }
    EXPECT_EQ(shown, (QStringList{"WorkModeCard 290", "AIFeaturesCard 290", "APIConfigCard 330", "GeneralSettingsCard 300",
                                  "VocabularySettingsCard 300", "SpeechModelCard 330"}));

    // The last line: what opens the settings on Linux (there is no application menu with Ctrl+,).
    EXPECT_EQ(window->versionLabel()->text(), QStringLiteral(VOCENA_VERSION));
    EXPECT_EQ(window->forceQuitHint()->text(),
              QStringLiteral("⚠️ 如遇卡死：强制退出：在终端运行 kill -9 %1").arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(window->openHint()->text(), QStringLiteral("随时打开设置：托盘菜单「设置...」或 vocena settings"));
    saveScreenshot(window.get(), QStringLiteral("settings-light"), 0);

    QScrollBar* bar = window->cardArea()->horizontalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->isVisible() && bar->maximum() > 0; }));
    const auto lastInView = [&] {
        const QRect shown(cards.last()->mapTo(window->cardArea()->viewport(), QPoint(0, 0)), cards.last()->size());
        return window->cardArea()->viewport()->rect().contains(shown);
    };
    EXPECT_FALSE(lastInView());
    bar->setValue(bar->maximum());
    EXPECT_TRUE(lastInView());
    saveScreenshot(window.get(), QStringLiteral("settings-scrolled"), 0);

    // Above other windows for the first half second, then a normal window, for the window system
    // too; the window stays shown throughout.
    auto floating = open();
    ASSERT_TRUE(floating->windowHandle());
    // Floating, for the window and for the window system, and shown.
    const auto state = [&] { return std::tuple(floating->isFloating(), floating->isVisible(),
                                               floating->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint)); };
    EXPECT_EQ(state(), std::tuple(true, true, true));
    clock.advance(0.49);
    EXPECT_EQ(state(), std::tuple(true, true, true));
    clock.advance(0.02);
    EXPECT_EQ(state(), std::tuple(false, true, false));

    // A window destroyed before its half second leaves nothing behind to run.
    auto second = open();
    second.reset();
    clock.advance(1);
}

// All six cards wear the same frame in the theme's card colour, each with one header line of
// its symbol and title at the same place, and they line up top and bottom; the API card's badge
// sits in its header line. No text is cut off: every label that does not wrap is as wide as its
// text (Chinese glyphs are wider than the default font's Latin metrics suggest). Both in the
// light theme and after a switch to the dark one while the window is open (AI off here, for the
// screenshot of the notice).
TEST_F(SettingsWindowTest, EveryCardHasTheSameFrameAndHeaderAndNoTextIsCutInEitherTheme) {
    using Symbol = SettingsSymbols::Symbol;
    const std::pair<const char*, Symbol> headers[] = {
        {"工作模式", Symbol::sliders}, {"AI 智能处理", Symbol::sparkles}, {"API 配置", Symbol::key},
        {"常规设置", Symbol::gear},    {"词汇库", Symbol::book},            {"语音模型", Symbol::waveform},
    };
    prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 1);
    prefs.setValue(QString::fromLatin1(GeneralSettingsCard::kThemeKey), 0);
    auto window = open();
    const QList<QWidget*>& cards = window->cards();
    ASSERT_EQ(cards.size(), 6);
    auto* first = qobject_cast<SettingsCard*>(cards[0]);
    ASSERT_TRUE(first);
    const auto cardColour = [](QWidget* card) { return card->grab().toImage().pixelColor(4, card->height() / 2); };  // inside the border
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        prefs.setValue(QString::fromLatin1(GeneralSettingsCard::kThemeKey), dark ? 1 : 0);
        ASSERT_TRUE(waitUntil([&] { return cardColour(cards[5]) == SettingsStyle::colors(dark).card; }));
        QCoreApplication::processEvents();
        for (int i = 0; i < cards.size(); ++i) {
            SCOPED_TRACE(headers[i].first);
            auto* card = qobject_cast<SettingsCard*>(cards[i]);
            ASSERT_TRUE(card);
            EXPECT_EQ(std::tuple(card->findChildren<CardHeader*>().size(), card->header()->titleLabel()->text(),
                                 card->header()->symbolView()->symbol()),
                      std::tuple(qsizetype(1), QString::fromUtf8(headers[i].first), headers[i].second));
            EXPECT_EQ(card->header()->geometry(),
                      QRect(first->header()->pos(), QSize(card->width() - 2 * first->header()->x(), first->header()->height())));
            EXPECT_EQ(std::tuple(card->y(), card->height(), cardColour(card)),
                      std::tuple(first->y(), first->height(), SettingsStyle::colors(dark).card));
        }
        EXPECT_TRUE(cards[2]->findChild<CardHeader*>()->isAncestorOf(child<QLabel>(cards[2], "badgeLabel")));
        int checked = 0;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(window.get()) || label->text().isEmpty() || label->wordWrap()) continue;
            ++checked;
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
            EXPECT_GE(label->height(), label->fontMetrics().height()) << label->text().toStdString();
        }
        EXPECT_GT(checked, 20);
    }
    saveScreenshot(window.get(), QStringLiteral("settings-dark"), 0);
}

// Every symbol of the settings window draws something, in the colour asked and nothing else.
TEST(SettingsSymbolsTest, EverySymbolIsDrawnInItsColour) {
    using Symbol = SettingsSymbols::Symbol;
    const QColor colour(0xEB, 0x40, 0x59);
    for (int i = int(Symbol::appMark); i <= int(Symbol::waveform); ++i) {
        SCOPED_TRACE(i);
        const QImage image = SettingsSymbols::pixmap(Symbol(i), colour, 24, 2.0).toImage();
        ASSERT_EQ(image.size(), QSize(48, 48));
        const int opaque = countNear(image, colour, 255);  // edges blend with the transparent ground
        EXPECT_GT(opaque, 48) << "hardly anything drawn";
        EXPECT_EQ(countNear(image, colour, 2), opaque);
    }
}
