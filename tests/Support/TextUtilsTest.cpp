#include "Support/ReferenceDate.h"
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

TEST(ReferenceDate, SecondsSince2001) {
    EXPECT_EQ(ReferenceDate::toSeconds(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)), 0.0);
    EXPECT_EQ(ReferenceDate::toSeconds(QDateTime(QDate(2001, 1, 2), QTime(0, 0, 1, 500), Qt::UTC)), 86401.5);
    EXPECT_EQ(ReferenceDate::fromSeconds(-1.0), QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59), Qt::UTC));
}
