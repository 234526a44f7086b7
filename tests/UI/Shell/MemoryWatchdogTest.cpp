// The memory watchdog in virtual time over a fake statm reader and a recorded alert (its
// measurement of the real engines' load is TrayAppTest's).
#include "UI/Shell/MemoryWatchdog.h"

#include "Infrastructure/Platform/MemoryProbe.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vocena;

namespace {

constexpr qint64 kPage = 4096;

class RecordingAlert final : public MemoryAlert {
public:
    struct Shown {
        QString message, informativeText;
        std::function<void(Choice)> answer;
    };
    std::vector<Shown> shown;
    void show(const QString& message, const QString& informativeText, std::function<void(Choice)> answer) override {
        shown.push_back({message, informativeText, std::move(answer)});
    }
};

class MemoryWatchdogTest : public ::testing::Test {
protected:
    // The resident size the fake statm reports, in MB (whole pages).
    void setResidentMB(double megabytes) {
        const qint64 pages = std::llround(megabytes * 1024 * 1024 / kPage);
        statm = QByteArray::number(pages * 2) + ' ' + QByteArray::number(pages) + " 100 10 0 500 0\n";
    }

    std::optional<QByteArray> statm;
    MemoryProbe probe{[this] { return statm; }, kPage};
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    RecordingAlert alert;
    int stops = 0, quits = 0;
    // The stopped run's words are typed when the test says so.
    std::function<void()> typed;
    std::function<void(std::function<void()>)> stopRecording = [this](std::function<void()> then) {
        ++stops;
        typed = std::move(then);
    };
    MemoryWatchdog watchdog{{probe, scheduler, alert, stopRecording, [this] { ++quits; }, 4242}};

    // The questions asked once `seconds` have passed and the words of a recording the check
    // stopped meanwhile are typed.
    size_t questionsAfter(double seconds) {
        clock.advance(seconds);
        if (typed) std::exchange(typed, nullptr)();
        return alert.shown.size();
    }
};

}  // namespace

// The size is read in whole MB; one that cannot be read skips the check.
TEST_F(MemoryWatchdogTest, AlarmsOnlyAboveFiveHundredMBPlusTheModel) {
    const struct {
        double modelBefore, modelAfter;  // resident MB around the model's load; 0/0: none loaded
        double resident;                 // negative: statm unreadable
        bool alarm;
    } cases[] = {
        {0, 0, 500.0, false},
        {0, 0, 500.1, true},
        {40, 200, 660.0, false},
        {40, 200, 660.1, true},
        // Memory given back while loading leaves no negative allowance.
        {300, 250, 500.1, true},
        {0, 0, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.modelBefore << "→" << c.modelAfter << ", " << c.resident << " MB");
        MemoryWatchdog dog({probe, scheduler, alert, [](std::function<void()> then) { then(); }, {}, 1});
        if (c.modelAfter > 0) {
            setResidentMB(c.modelBefore);
            dog.measureModelLoad([&] { setResidentMB(c.modelAfter); });
        }
        if (c.resident < 0) statm.reset();
        else setResidentMB(c.resident);
        alert.shown.clear();
        dog.start();
        clock.advance(MemoryWatchdog::kCheckInterval);
        EXPECT_EQ(alert.shown.size(), c.alarm ? 1u : 0u);
        EXPECT_EQ(dog.currentMemoryMB(), std::max<qint64>(0, qint64(c.resident)));
    }
}

// The alert takes the focus: it comes once the stopped recording's words are typed.
TEST_F(MemoryWatchdogTest, AlertStopsRecordingAndKeepRunningAsksAgainTenSecondsLater) {
    setResidentMB(612.7);
    watchdog.start();
    clock.advance(9.9);
    EXPECT_TRUE(alert.shown.empty());
    clock.advance(0.1);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(alert.shown.empty()) << "shown before the words were typed";
    ASSERT_TRUE(typed);
    std::exchange(typed, nullptr)();
    ASSERT_EQ(alert.shown.size(), 1u);
    EXPECT_EQ(alert.shown[0].message, QStringLiteral("内存使用过高"));
    EXPECT_EQ(alert.shown[0].informativeText,
              QStringLiteral("澄言当前内存使用过高(612MB)，建议退出程序。\n\n强制退出：在终端运行 kill -9 4242"));

    EXPECT_EQ(questionsAfter(60), 1u) << "another question while one is open";

    alert.shown[0].answer(MemoryAlert::Choice::keepRunning);
    EXPECT_EQ(quits, 0);
    ASSERT_EQ((std::vector{questionsAfter(9.9), questionsAfter(0.1)}), (std::vector<size_t>{1, 2}));
    EXPECT_EQ(stops, 2);

    // Back under the limit after "继续运行": no further question.
    setResidentMB(300);
    alert.shown[1].answer(MemoryAlert::Choice::keepRunning);
    EXPECT_EQ(questionsAfter(100), 2u);
    setResidentMB(700);
    ASSERT_EQ(questionsAfter(10), 3u);
    alert.shown[2].answer(MemoryAlert::Choice::quit);
    EXPECT_EQ(quits, 1);
}

TEST_F(MemoryWatchdogTest, AnAnswerAfterTheEndIsIgnoredAndStoppingEndsTheCheck) {
    // An answer that comes after the watchdog is gone is ignored.
    setResidentMB(800);
    std::function<void(MemoryAlert::Choice)> lateAnswer;
    {
        MemoryWatchdog dog({probe, scheduler, alert, {}, [this] { ++quits; }, 1});
        dog.start();
        clock.advance(10);
        ASSERT_EQ(alert.shown.size(), 1u);
        lateAnswer = alert.shown.back().answer;
    }
    lateAnswer(MemoryAlert::Choice::quit);
    EXPECT_EQ(quits, 0);

    // Stopped before the question was put: none comes, and checks resume after a start.
    alert.shown.clear();
    watchdog.checkMemoryUsage();
    watchdog.stop();
    clock.advance(60);
    EXPECT_TRUE(alert.shown.empty());
    watchdog.start();
    EXPECT_EQ(questionsAfter(10), 1u);
}
