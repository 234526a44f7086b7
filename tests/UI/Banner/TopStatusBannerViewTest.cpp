// The live banner's content over the real dictation controller (scripted recognizer, virtual
// time): texts and colours per state, the recording time, the live partial transcript.
#include "UI/Banner/BannerStyle.h"
#include "UI/Banner/TermSuggestionView.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "Support/PreferenceCatalog.h"
#include "BannerTestBed.h"
#include "support/LogCapture.h"

#include <QFontMetrics>
#include <QLabel>

using namespace vocena;

namespace {

class BannerViewTest : public test::BannerTestBed {
protected:
    TopStatusBannerView& view() {
        if (!banner.bannerView()) banner.show(service);
        return *banner.bannerView();
    }
};

}  // namespace

// What each state shows: dot colour, status text, the recording time only while recording,
// and the work-mode tag from the stored mode. The error's message never shows.
TEST_F(BannerViewTest, EachStateShowsItsColourTextAndTag) {
    struct Case {
        RecognitionState state;
        qint64 workMode;
        QString status;
        QColor color;
        bool duration;
        QString tag;
        QColor tagColor;
    };
    const QList<Case> cases{
        {RecognitionState::idle(), 0, "待机", BannerStyle::gray(), false, "输入法", BannerStyle::green()},
        {RecognitionState::listening(), 0, "文字识别中", BannerStyle::brand(), true, "输入法", BannerStyle::green()},
        {RecognitionState::recognizing(), 1, "文字识别中", BannerStyle::brand(), true, "助手", BannerStyle::orange()},
        {RecognitionState::aiProcessing(), 1, "AI 处理中", BannerStyle::purple(), false, "助手", BannerStyle::orange()},
        {RecognitionState::completed(), 7, "识别完成", BannerStyle::green(), false, "助手", BannerStyle::orange()},
        {RecognitionState::error(QStringLiteral("麦克风不可用")), 0, "识别出错", BannerStyle::red(), false, "输入法", BannerStyle::green()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.state.description()));
        prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), c.workMode);
        banner.show(service);  // re-reads the mode
        view().setRecognitionState(c.state);
        settle();
        EXPECT_EQ(std::tuple(view().statusText(), view().statusColor(), !view().durationText().isEmpty(), view().workModeTag(),
                             view().workModeColor()),
                  std::tuple(c.status, c.color, c.duration, c.tag, c.tagColor));
        EXPECT_TRUE(view().isPulsing());
    }
    banner.hide(0);
    EXPECT_FALSE(view().isPulsing());
}

// The second line shows the end of the partial transcript while recording, when the
// preference allows it; the banner grows to 56 and back. The text never reaches the log. The
// recording time counts 0.1 s ticks from each start, through the change from listening to
// recognizing, in the same (reused) banner.
TEST_F(BannerViewTest, TheLivePartialTranscriptShowsItsEndOnASecondLineAndTheTimeCounts) {
    const QString shortText = QStringLiteral("你好世界");
    const QString longText = QStringLiteral("今天我们讨论一下下个季度的产品路线图以及每个团队需要完成的关键目标和时间安排最后确认预算");
    struct Case {
        const char* name;
        std::optional<bool> preference;
        QString partial;
        bool shown;
    };
    const QList<Case> cases{
        {"default on, short text", std::nullopt, shortText, true},
        {"on, long text elided at the left", true, longText, true},
        {"off", false, shortText, false},
    };
    // `vocena config` knows the preference, with the default the banner applies.
    const auto definition = PreferenceCatalog::find(QString::fromLatin1(TopStatusBannerView::kLiveTextKey));
    ASSERT_TRUE(definition);
    EXPECT_EQ(definition->defaultValue, QJsonValue(true));
    test::LogCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.preference) prefs.setValue(QString::fromLatin1(TopStatusBannerView::kLiveTextKey), *c.preference);
        else prefs.remove(QString::fromLatin1(TopStatusBannerView::kLiveTextKey));
        TopStatusBannerView* reused = banner.bannerView();
        toggle();
        banner.show(service);
        if (reused) {
            EXPECT_EQ(&view(), reused);
        }
        EXPECT_EQ(std::tuple(view().liveText(), view().height(), view().durationText()),
                  std::tuple(QString(), 36, QStringLiteral("0.0秒"))) << "nothing heard yet";
        clock.advance(1.0);
        EXPECT_EQ(view().durationText(), QStringLiteral("1.0秒")) << "ten ticks of 0.1 added as floating point make 0.999…";
        engine.emitResult(c.partial, false);
        settle();
        ASSERT_EQ(service.recognitionState(), RecognitionState::recognizing());
        clock.advance(2.5);
        const int height = c.shown ? 56 : 36;
        EXPECT_EQ(std::tuple(view().durationText(), view().height(), banner.panel()->height()),
                  std::tuple(QStringLiteral("3.5秒"), height, height));
        const QString line = view().liveText();
        if (!c.shown) EXPECT_EQ(line, QString());
        else if (c.partial == shortText) EXPECT_EQ(line, shortText);
        else {
            EXPECT_TRUE(line.startsWith(QChar(0x2026))) << qPrintable(line);
            EXPECT_TRUE(c.partial.endsWith(line.mid(1))) << qPrintable(line);
            EXPECT_GT(line.size(), 10);
        }

        toggle();
        engine.emitResult(c.partial, true);  // the final result completes the run
        settle();
        ASSERT_EQ(service.recognitionState(), RecognitionState::completed());
        EXPECT_EQ(std::tuple(view().liveText(), view().height(), view().durationText(), banner.panel()->height()),
                  std::tuple(QString(), 36, QString(), 36)) << "left after the recording";
    }
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(shortText) || line.contains(longText.right(4))) << qPrintable(line);
}

// A suggestion whose term or category is too long for the label keeps the question readable:
// the term is shortened in its middle, the whole text stays in the tooltip.
TEST_F(BannerViewTest, ALongSuggestionShortensTheTermNotTheQuestion) {
    struct Case {
        QString term;
        std::optional<QString> category;
        bool shortened;
    };
    const QList<Case> cases = {
        {QStringLiteral("明志"), QStringLiteral("疑似人名"), false},
        {QStringLiteral("Kubernetes控制平面高可用集群部署方案"), QStringLiteral("专业术语"), true},
        {QStringLiteral("远川"), QStringLiteral("一个非常长非常长非常长的自动分类名称"), true},
    };
    EXPECT_EQ(TermSuggestionView::question(QStringLiteral("明志"), QStringLiteral("疑似人名")), QStringLiteral("将「明志」（疑似人名）加入词汇库？"));
    for (const Case& c : cases) {
        const TermSuggestionView view(c.term, c.category);
        const QLabel* label = view.label();
        const QString whole = TermSuggestionView::question(c.term, c.category);
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << c.term.toStdString();
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("将「"))) << label->text().toStdString();
        EXPECT_TRUE(label->text().endsWith(QStringLiteral("加入词汇库？"))) << label->text().toStdString();
        EXPECT_EQ(label->text() == whole, !c.shortened) << label->text().toStdString();
        EXPECT_EQ(label->toolTip(), c.shortened ? whole : QString());
    }
}
