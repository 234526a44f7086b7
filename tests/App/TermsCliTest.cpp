// `vocena terms`, run as a process over real files.
#include "Utils/ReferenceDate.h"
#include "Utils/TermStorage.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class TermsCliTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    test::CliResult vocena(const QStringList& args) const { return test::runVocena(QStringLiteral(VOCENA_BINARY), home.path(), args); }
    QString dataFile(const QString& name) const { return home.filePath(QStringLiteral("data/澄言/") + name); }
    QByteArray read(const QString& name) const {
        QFile file(dataFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

}  // namespace

TEST_F(TermsCliTest, ListAcceptAndDismiss) {
    const double now = ReferenceDate::toSeconds(QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(QDir().mkpath(dataFile({})));
    QFile file(dataFile(QStringLiteral("term_frequency.json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(FrequencyStorage{{TermEntry{QStringLiteral("澄言"), 3, 0, now, now, QStringLiteral("疑似人名")},
                                 TermEntry{QStringLiteral("15"), 2, 0, now, now, std::nullopt},
                                 TermEntry{QStringLiteral("明志中心"), 2, 0, now, now, QStringLiteral("专业术语")}},
                                now}
                   .encode());
    file.close();

    EXPECT_EQ(vocena({"terms", "list"}).out, QStringLiteral("澄言\t3\t疑似人名\n15\t2\t-\n明志中心\t2\t专业术语\n"));

    const test::CliResult accepted = vocena({"terms", "accept", "明志中心"});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
    EXPECT_TRUE(read(QStringLiteral("vocabulary.json"))
                    .contains(R"("word":"明志中心","variants":["名志中心","明智中心","明志终心","明志中新"],"category":"专业术语")"));
    EXPECT_EQ(vocena({"terms", "accept", "明志中心"}).exitCode, 0);  // already there: nothing to do

    EXPECT_EQ(vocena({"terms", "dismiss", "澄言"}).exitCode, 0);
    EXPECT_TRUE(read(QStringLiteral("term_suppressed.json")).contains(R"("term":"澄言")"));
    EXPECT_EQ(vocena({"terms", "list"}).out, QStringLiteral("15\t2\t-\n澄言\t已忽略\t-\n"));
}
