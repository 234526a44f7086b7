// The resident size from /proc/self/statm: its parsing, and the real file of this process.
#include "Infrastructure/Platform/MemoryProbe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace vocena;

TEST(MemoryProbeTest, ResidentSizeIsTheSecondFieldInPages) {
    const struct {
        std::optional<QByteArray> content;  // none: the file cannot be read
        std::optional<qint64> bytes;
    } cases[] = {
        {"51234 1024 512 10 0 4096 0\n", 1024 * 4096},
        {"51234\n", std::nullopt},
        {"51234 x 512", std::nullopt},
        {"1 9223372036854775807 0", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const MemoryProbe probe([&c] { return c.content; }, 4096);
        EXPECT_EQ(probe.residentBytes(), c.bytes) << c.content.value_or("(unreadable)").constData();
    }
}

TEST(MemoryProbeTest, OwnResidentSizeGrowsWithTouchedMemory) {
    const MemoryProbe probe;
    const std::optional<qint64> before = probe.residentBytes();
    ASSERT_TRUE(before);
    constexpr size_t size = 64u << 20;
    const std::unique_ptr<char[]> block(new char[size]);
    std::memset(block.get(), 1, size);
    const std::optional<qint64> after = probe.residentBytes();
    ASSERT_TRUE(after);
    EXPECT_GE(*after - *before, qint64(60) << 20);
    EXPECT_EQ(block[size - 1], 1);
}
