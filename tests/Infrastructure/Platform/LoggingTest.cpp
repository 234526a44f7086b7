#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "support/LogCapture.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

using namespace vocena;

TEST(Logging, LinesCarryTheirCategoryAndHidePrivateText) {
    test::LogCapture log;
    const Logger logger("VocabularyStore");
    logger.info(QStringLiteral("词汇库已保存: %1 条").arg(3));
    logger.error(QStringLiteral("文本: %1").arg(Logging::privateText(QStringLiteral("秘密"))));
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("[VocabularyStore] 词汇库已保存: 3 条"), QStringLiteral("[VocabularyStore] 文本: <private>")}));
}

TEST(Scheduler, RunsWorkUnlessCancelledOrDropped) {
    QStringList ran;
    auto cancelled = Scheduler::main().schedule(0.01, [&] { ran << QStringLiteral("cancelled"); });
    auto dropped = Scheduler::main().schedule(0.01, [&] { ran << QStringLiteral("dropped"); });
    auto kept = Scheduler::main().schedule(0.02, [&] { ran << QStringLiteral("kept"); });
    cancelled->cancel();
    dropped.reset();  // nobody holds the item any more: the work is gone with it
    ASSERT_TRUE(test::waitUntil([&] { return !ran.isEmpty(); }));
    EXPECT_EQ(ran, QStringList{QStringLiteral("kept")});  // the others were due first
    kept->cancel();  // after it ran: nothing happens
}
