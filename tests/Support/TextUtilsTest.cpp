#include "Support/ReferenceDate.h"
#include "Support/Regex.h"
#include "Support/TextUtils.h"

#include <gtest/gtest.h>

using namespace vocena;

TEST(TextUtils, GraphemesAreUserPerceivedCharactersAndTrimmingUsesUnicodeWhiteSpace) {
    // Emoji with a skin tone, a combining accent, a ZWJ family, CR LF, a character outside the BMP.
    for (const char* one : {"👍🏽", "e\u0301", "👨‍👩‍👧", "\r\n", "𠀀"})
        EXPECT_EQ(TextUtils::graphemeCount(QString::fromUtf8(one)), 1) << one;
    EXPECT_EQ(TextUtils::graphemeCount(QString()), 0);
    EXPECT_EQ(TextUtils::graphemeCount(QStringLiteral("澄言abc")), 5);
    // Trimming uses Unicode white space.
    EXPECT_EQ(TextUtils::trimmed(QString::fromUtf8("\u3000 \t\n好\u00a0的\u2028\u0085\r")), QString::fromUtf8("好\u00a0的"));
    EXPECT_EQ(TextUtils::trimmed(QStringLiteral(" \n ")), QString());
    // Zero-width space is not white space in Unicode.
    EXPECT_EQ(TextUtils::trimmed(QString::fromUtf8("\u200bx")), QString::fromUtf8("\u200bx"));
    EXPECT_EQ(TextUtils::trimmedSpacesAndTabs(QStringLiteral("\t a b \n")), QStringLiteral("a b \n"));
}

TEST(Regex, FollowsIcuSemantics) {
    // \s is Unicode white space, including the ideographic space.
    EXPECT_EQ(Regex(QStringLiteral("\\s+")).replaceAll(QString::fromUtf8("a\u3000 b"), QStringLiteral("_")), QStringLiteral("a_b"));
    // "." stops at line ends; "$" only matches at the end unless anchors match lines.
    EXPECT_FALSE(Regex(QStringLiteral("a.b")).contains(QStringLiteral("a\nb")));
    EXPECT_TRUE(Regex(QStringLiteral("a.b"), Regex::DotMatchesLineSeparators).contains(QStringLiteral("a\nb")));
    EXPECT_EQ(Regex(QStringLiteral("^#+ (.*)$")).replaceAll(QStringLiteral("# a\n# b"), QStringLiteral("$1")), QStringLiteral("# a\n# b"));
    EXPECT_EQ(Regex(QStringLiteral("^#+ (.*)$"), Regex::AnchorsMatchLines).replaceAll(QStringLiteral("# a\n## b"), QStringLiteral("$1")),
              QStringLiteral("a\nb"));
    const auto groups = Regex(QStringLiteral("删除(最后)?(\\d+)个字")).firstMatch(QStringLiteral("请删除3个字"));
    ASSERT_TRUE(groups.has_value());
    EXPECT_EQ(*groups, (QStringList{QStringLiteral("删除3个字"), QString(), QStringLiteral("3")}));
    EXPECT_TRUE(Regex(QStringLiteral("abc"), Regex::CaseInsensitive).contains(QStringLiteral("xABC")));
    Regex broken(QStringLiteral("(unclosed"));
    EXPECT_FALSE(broken.isValid());
    EXPECT_EQ(broken.replaceAll(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("x"));
}

TEST(ReferenceDate, SecondsSince2001) {
    EXPECT_EQ(ReferenceDate::toSeconds(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)), 0.0);
    EXPECT_EQ(ReferenceDate::toSeconds(QDateTime(QDate(2001, 1, 2), QTime(0, 0, 1, 500), Qt::UTC)), 86401.5);
    EXPECT_EQ(ReferenceDate::fromSeconds(-1.0), QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59), Qt::UTC));
}
