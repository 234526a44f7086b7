// Of several sources of the same keys, the first that starts is the only one that runs.
#include "Infrastructure/Hotkey/FirstAvailableModifierFlagSource.h"
#include "support/FakeModifierFlagSource.h"

#include <gtest/gtest.h>

using namespace vocena;

TEST(FirstAvailableModifierFlagSourceTest, OnlyTheFirstSourceThatStartsRunsAndIsStopped) {
    for (const int available : {2, 1, 0}) {  // how many of the two can start, counted from the last
        SCOPED_TRACE(available);
        std::vector<std::unique_ptr<ModifierFlagSource>> sources;
        test::FakeModifierFlagSource* fakes[2];
        for (int i = 0; i < 2; ++i) {
            fakes[i] = static_cast<test::FakeModifierFlagSource*>(sources.emplace_back(std::make_unique<test::FakeModifierFlagSource>()).get());
            fakes[i]->available = i >= 2 - available;
        }
        FirstAvailableModifierFlagSource combined(std::move(sources));
        QList<ModifierEvent> events;
        ASSERT_EQ(combined.start([&](const ModifierEvent& event) { events << event; }), available > 0);
        EXPECT_EQ(fakes[0]->isRunning(), available == 2);
        EXPECT_EQ(fakes[1]->isRunning(), available == 1);
        // One tap, seen by both: it arrives once.
        for (test::FakeModifierFlagSource* fake : fakes) fake->hold(ModifierFlag::option);
        EXPECT_EQ(events.size(), available > 0 ? 1 : 0);
        combined.stop();
        EXPECT_FALSE(fakes[0]->isRunning() || fakes[1]->isRunning());
    }
}
