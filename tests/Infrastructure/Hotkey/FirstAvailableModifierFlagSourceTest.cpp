// Of several sources of the same keys, the first that starts is the only one that runs.
#include "Infrastructure/Hotkey/FirstAvailableModifierFlagSource.h"
#include "support/FakeModifierFlagSource.h"

#include <gtest/gtest.h>

using namespace vocena;

TEST(FirstAvailableModifierFlagSourceTest, OnlyTheFirstSourceThatStartsRunsAndIsStopped) {
    for (const bool firstAvailable : {true, false}) {
        SCOPED_TRACE(firstAvailable);
        auto first = std::make_unique<test::FakeModifierFlagSource>();
        auto second = std::make_unique<test::FakeModifierFlagSource>();
        test::FakeModifierFlagSource& x11 = *first;
        test::FakeModifierFlagSource& bridge = *second;
        x11.available = firstAvailable;
        std::vector<std::unique_ptr<ModifierFlagSource>> sources;
        sources.push_back(std::move(first));
        sources.push_back(std::move(second));
        FirstAvailableModifierFlagSource combined(std::move(sources));

        QList<ModifierEvent> events;
        ASSERT_TRUE(combined.start([&](const ModifierEvent& event) { events << event; }));
        EXPECT_EQ(x11.isRunning(), firstAvailable);
        EXPECT_EQ(bridge.isRunning(), !firstAvailable);
        // One tap, seen by both: it arrives once.
        x11.hold(ModifierFlag::option);
        bridge.hold(ModifierFlag::option);
        EXPECT_EQ(events.size(), 1);

        combined.stop();
        EXPECT_FALSE(x11.isRunning() || bridge.isRunning());
    }

    std::vector<std::unique_ptr<ModifierFlagSource>> none;
    none.push_back(std::make_unique<test::FakeModifierFlagSource>());
    static_cast<test::FakeModifierFlagSource&>(*none.front()).available = false;
    EXPECT_FALSE(FirstAvailableModifierFlagSource(std::move(none)).start([](const ModifierEvent&) {}));
}
