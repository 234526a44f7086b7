// The live banner's content over the real dictation controller (scripted recognizer, virtual
// time): the texts per state, the recording time, the live partial transcript.
#include "UI/Banner/TopStatusBannerView.h"
#include "Support/PreferenceCatalog.h"
#include "BannerTestBed.h"
#include "support/LogCapture.h"

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

// What each state shows: the status text, the recording time only while recording, and the
// work-mode tag from the stored mode. The error's message never shows.
TEST_F(BannerViewTest, EachStateShowsItsTextAndTag) {
    struct Case {
        RecognitionState state;
        qint64 workMode;
        QString status;
        bool duration;
        QString tag;
    };
    const QList<Case> cases{
        {RecognitionState::idle(), 0, "待机", false, "输入法"},
        {RecognitionState::listening(), 0, "文字识别中", true, "输入法"},
        {RecognitionState::recognizing(), 1, "文字识别中", true, "助手"},
        {RecognitionState::aiProcessing(), 1, "AI 处理中", false, "助手"},
        {RecognitionState::completed(), 7, "识别完成", false, "助手"},
        {RecognitionState::error(QStringLiteral("麦克风不可用")), 0, "识别出错", false, "输入法"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.state.description()));
        prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), c.workMode);
        banner.show(service);  // re-reads the mode
        view().setRecognitionState(c.state);
        settle();
        EXPECT_EQ(std::tuple(view().statusText(), !view().durationText().isEmpty(), view().workModeTag()),
                  std::tuple(c.status, c.duration, c.tag));
    }
}

// The second line shows the partial transcript while recording, when the preference allows it;
// the banner grows to 56 and back. The text never reaches the log. The recording time counts
// 0.1 s ticks from each start, through the change from listening to recognizing.
TEST_F(BannerViewTest, TheLivePartialTranscriptShowsOnASecondLineAndTheTimeCounts) {
    const QString partial = QStringLiteral("你好世界");
    struct Case {
        const char* name;
        std::optional<bool> preference;
        bool shown;
    };
    const QList<Case> cases{{"default on", std::nullopt, true}, {"on", true, true}, {"off", false, false}};
    // `vocena config` knows the preference, with the default the banner applies.
    const auto definition = PreferenceCatalog::find(QString::fromLatin1(TopStatusBannerView::kLiveTextKey));
    ASSERT_TRUE(definition);
    EXPECT_EQ(definition->defaultValue, QJsonValue(true));
    test::LogCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.preference) prefs.setValue(QString::fromLatin1(TopStatusBannerView::kLiveTextKey), *c.preference);
        else prefs.remove(QString::fromLatin1(TopStatusBannerView::kLiveTextKey));
        toggle();
        banner.show(service);
        EXPECT_EQ(std::tuple(view().liveText(), view().height(), view().durationText()),
                  std::tuple(QString(), 36, QStringLiteral("0.0秒"))) << "nothing heard yet";
        clock.advance(1.0);
        EXPECT_EQ(view().durationText(), QStringLiteral("1.0秒")) << "ten ticks of 0.1 added as floating point make 0.999…";
        engine.emitResult(partial, false);
        settle();
        ASSERT_EQ(service.recognitionState(), RecognitionState::recognizing());
        clock.advance(2.5);
        const int height = c.shown ? 56 : 36;
        EXPECT_EQ(std::tuple(view().durationText(), view().height(), banner.panel()->height()),
                  std::tuple(QStringLiteral("3.5秒"), height, height));
        EXPECT_EQ(view().liveText(), c.shown ? partial : QString());

        toggle();
        engine.emitResult(partial, true);  // the final result completes the run
        settle();
        ASSERT_EQ(service.recognitionState(), RecognitionState::completed());
        EXPECT_EQ(std::tuple(view().liveText(), view().height(), view().durationText(), banner.panel()->height()),
                  std::tuple(QString(), 36, QString(), 36)) << "left after the recording";
    }
    for (const QString& line : log.lines()) EXPECT_FALSE(line.contains(partial)) << qPrintable(line);
}
