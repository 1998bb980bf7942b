#include "engine/StringUtils.h"
#include "engine/Exceptions.h"

#include <gtest/gtest.h>

TEST(SplitString, KeepsEmptyPiecesAndTrailingSeparator)
{
    EXPECT_EQ(SplitString(QStringLiteral("a,,b,"), u','), (QStringList{"a", "", "b", ""}));
    EXPECT_TRUE(SplitString(QString(), u',').isEmpty());
    EXPECT_EQ(SplitString(QStringLiteral(","), u','), (QStringList{"", ""}));
}

TEST(TrimChar, RemovesOnlyFromBothEnds)
{
    EXPECT_EQ(TrimChar(QStringLiteral("\"a\"b\""), u'"'), QStringLiteral("a\"b"));
    EXPECT_EQ(TrimChar(QStringLiteral("\"\"\""), u'"'), QString());
}

TEST(ScanForAny, ReturnsEndWhenNothingMatches)
{
    EXPECT_EQ(ScanForAny(u"abc=d", 0, u"=<>"), 3);
    EXPECT_EQ(ScanForAny(u"abc", 1, u"=<>"), 3);
}

TEST(CopyRange, ReversedRangeIsAnAssertion)
{
    EXPECT_EQ(CopyRange(u"hello", 1, 3), QStringLiteral("el"));
    try {
        CopyRange(u"hello", 3, 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.ClassName(), QStringLiteral("EAssertionFailed"));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("StringUtils")));
    }
}
