#include "Infrastructure/Platform/DataFile.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace vocena;

namespace {

const Logger logger("DataFileTest");

// args: the data file. Holds its lock, says so, and waits to be killed.
VOCENA_CHILD_ROLE(holdLock) {
    QLockFile lock(args.value(0) + QStringLiteral(".lock"));
    if (!lock.lock()) return 1;
    std::puts("locked");
    std::fflush(stdout);
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    input.readAll();  // until the parent closes it or kills this process
    return 0;
}

QString writeEmptyObject(DataFile& file) {
    return file.update<QJsonObject>(
        &DataFile::decodeJsonObject, [](const DataFile::Reading<QJsonObject>&) {},
        []() -> std::optional<QByteArray> { return QByteArray("{}"); });
}

}  // namespace

TEST(DataFileTest, ALockHeldByALiveProcessBoundsTheWaitAndADeadOnesIsTakenOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.json"));
    auto holder = test::startChild(QStringLiteral("holdLock"), {path});
    ASSERT_TRUE(holder->waitForReadyRead(30000));
    ASSERT_EQ(holder->readLine().trimmed(), QByteArray("locked"));

    DataFile file(path, logger, DataFile::Options{{}, 100});
    const QString error = writeEmptyObject(file);
    EXPECT_TRUE(error.contains(QStringLiteral("被进程 %1").arg(holder->processId()))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));

    holder->kill();  // leaves its lock file behind
    ASSERT_TRUE(holder->waitForFinished(30000));
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral(".lock")));
    EXPECT_EQ(writeEmptyObject(file), QString());
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(DataFileTest, ReloadsOnlyWhatOthersChanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/data.json"));
    DataFile mine(path, logger);
    DataFile theirs(path, logger);
    int reloads = 0;
    const auto reload = [&](const DataFile::Reading<QJsonObject>&) { ++reloads; };
    const auto write = [](const char* data) { return [data]() -> std::optional<QByteArray> { return QByteArray(data); }; };

    EXPECT_EQ(mine.update<QJsonObject>(&DataFile::decodeJsonObject, reload, write(R"({"a":1})")), QString());
    EXPECT_EQ(reloads, 1);  // the (missing) file was looked at once
    EXPECT_FALSE(mine.changedOnDisk());
    EXPECT_EQ(mine.update<QJsonObject>(&DataFile::decodeJsonObject, reload, write(R"({"a":2})")), QString());
    EXPECT_EQ(reloads, 1);  // its own write is no change

    // Same size, written right after: the replaced file is noticed all the same.
    EXPECT_EQ(theirs.update<QJsonObject>(&DataFile::decodeJsonObject, reload, write(R"({"a":3})")), QString());
    EXPECT_TRUE(mine.changedOnDisk());
    EXPECT_EQ(mine.read(&DataFile::decodeJsonObject).value.value(QStringLiteral("a")).toInt(), 3);
    // Rewritten in place at once: same inode, same size, and most likely the same file times.
    ASSERT_TRUE(test::writeFile(path, R"({"a":4})"));
    EXPECT_TRUE(mine.changedOnDisk());
    EXPECT_EQ(mine.read(&DataFile::decodeJsonObject).value.value(QStringLiteral("a")).toInt(), 4);
}
