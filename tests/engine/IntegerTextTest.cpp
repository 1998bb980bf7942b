#include "engine/IntegerText.h"

#include <QString>

#include <optional>

#include <gtest/gtest.h>

namespace {

std::optional<int32_t> Parse(const char16_t* text)
{
    int32_t value = 0;
    if (!TryParseInteger(text, value))
        return std::nullopt;
    return value;
}

} // namespace

TEST(IntegerText, DecimalWithLeadingBlanksAndSign)
{
    EXPECT_EQ(Parse(u"  42"), 42);
    EXPECT_EQ(Parse(u"-7"), -7);
    EXPECT_EQ(Parse(u"+007"), 7);
    EXPECT_EQ(Parse(u"2147483647"), 2147483647);
    EXPECT_EQ(Parse(u"-2147483648"), INT32_MIN);
}

TEST(IntegerText, HexadecimalAfterAnyPrefix)
{
    EXPECT_EQ(Parse(u"$10"), 16);
    EXPECT_EQ(Parse(u"x1f"), 31);
    EXPECT_EQ(Parse(u"0XFF"), 255);
    EXPECT_EQ(Parse(u"$FFFFFFFF"), -1);
    EXPECT_EQ(Parse(u"-$10"), -16);
}

TEST(IntegerText, RejectsEverythingElse)
{
    for (const char16_t* bad : {u"", u" ", u"-", u"$", u"0x", u"12 ", u"1.5", u"abc", u"2147483648",
                                u"-2147483649", u"$100000000", u"1e3", u"\t1"})
        EXPECT_FALSE(Parse(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}
