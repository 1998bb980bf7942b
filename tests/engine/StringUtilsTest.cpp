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

// Plain ASCII names are folded by a short cut; everything else, and names
// too long for it, must fold exactly as Qt's full case folding does.
TEST(FoldedKey, ShortCutAndFullFoldAgree)
{
    const QString names[] = {
        QStringLiteral("Scene_12-B"),
        QString::fromUtf8("\u00c4rger\u00dfe"),                 // Latin-1 letters
        QString::fromUtf8("\u0130stanbul"),                     // dotted capital I
        QString::fromUtf8("\U00010400x"),                       // a surrogate pair
        QStringLiteral("AVeryLongLabelNameThatIsLongerThanThirtyTwo"),
        QString(),
    };
    for (const QString& name : names) {
        const TFoldedKey key(name);
        EXPECT_EQ(key.Key(), name.toCaseFolded()) << name.toStdString();
    }
}

TEST(NameMap, FindsByViewAndKeepsLetterCase)
{
    TNameMap<int> map;
    map.try_emplace(QStringLiteral("score"), 1);
    map.try_emplace(QStringLiteral("Score"), 2);
    map.try_emplace(QStringLiteral("score"), 3);  // already there: kept as it was
    EXPECT_EQ(map.find(QStringView(u"score"))->second, 1);
    EXPECT_EQ(map.find(QStringView(u"Score"))->second, 2);
    EXPECT_EQ(map.find(QStringView(u"scor")), map.end());
}
