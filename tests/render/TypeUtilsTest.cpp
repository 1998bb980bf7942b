#include "render/TypeUtils.h"

#include "engine/Exceptions.h"
#include "support/TempDir.h"

#include <QDir>

#include <optional>

#include <gtest/gtest.h>

namespace {

std::optional<TColorValue> Color(QStringView text)
{
    TColorValue color = 0xDEADBEEF;
    if (!TryParseColor(text, color)) {
        EXPECT_EQ(color, 0xDEADBEEFu) << "a failed parse must not touch the result";
        return std::nullopt;
    }
    return color;
}

template <typename Parser>
std::optional<int> Number(Parser parser, QStringView text)
{
    int value = -12345;
    if (!parser(text, value))
        return std::nullopt;
    return value;
}

constexpr TColorValue kRed = 0x0000FF;
constexpr TColorValue kBlue = 0xFF0000;

} // namespace

TEST(TryParseColor, AllThreeSpellingsOfRedAgree)
{
    EXPECT_EQ(Color(u"$0000FF"), kRed);
    EXPECT_EQ(Color(u"0xFF0000"), kRed);
    EXPECT_EQ(Color(u"Red"), kRed);
    EXPECT_EQ(Color(u"rED"), kRed);
    EXPECT_EQ(Color(u"0x123456"), 0x563412u);
    EXPECT_EQ(Color(u"$123456"), 0x123456u);
}

TEST(TryParseColor, EightDigitFormsDropOppositePairs)
{
    EXPECT_EQ(Color(u"$80FF0000"), kBlue);  // leading pair skipped
    EXPECT_EQ(Color(u"0xFF000080"), kRed);  // trailing pair ignored
    EXPECT_EQ(Color(u"$ff0000"), kBlue);
    EXPECT_EQ(Color(u"$FF0000"), kBlue);
}

TEST(TryParseColor, MalformedHexFailsWithoutNameLookup)
{
    for (QStringView bad : {u"", u"$12345", u"0x12345", u"$1234567", u"0x1234567", u"$12345G", u"0x12G456",
                            u"$zz123456", u"0x123456zz", u"0XFF0000", u"#FF0000", u" Red", u"Red ", u"$", u"0x"})
        EXPECT_FALSE(Color(bad).has_value()) << bad.toString().toStdString();
}

TEST(TryParseColor, OnlyTheListedSpellingsExist)
{
    EXPECT_EQ(Color(u"lightgrey"), 0xD3D3D3u);
    EXPECT_EQ(Color(u"DarkGray"), 0xA9A9A9u);
    EXPECT_EQ(Color(u"X11Maroon"), 0x000080u);
    EXPECT_EQ(Color(u"IndianRed"), 0x5C5CCDu);
    EXPECT_EQ(Color(u"Amethyst"), 0xCC6699u);
    for (QStringView bad : {u"LightGray", u"DarkGrey", u"Grey", u"Transparent"})
        EXPECT_FALSE(Color(bad).has_value()) << bad.toString().toStdString();
}

TEST(ColorTables, SizesAndDuplicatesAgree)
{
    EXPECT_EQ(BasicColorNames.front().name, u"Black");
    EXPECT_EQ(ExtendedColorNames.front().name, u"IndianRed");
    EXPECT_EQ(ExtendedColorNames.back().name, u"Black");
    // A name listed twice, or in both tables, must mean one colour whichever
    // entry is found first.
    auto check = [](const TNamedColor& a, const TNamedColor& b) {
        if (a.name.compare(b.name, Qt::CaseInsensitive) == 0) {
            EXPECT_EQ(a.color, b.color) << a.name.toString().toStdString();
        }
    };
    for (const auto& a : ExtendedColorNames) {
        for (const auto& b : ExtendedColorNames)
            check(a, b);
        for (const auto& b : BasicColorNames)
            check(a, b);
    }
    for (const auto& entry : ExtendedColorNames)
        EXPECT_EQ(entry.color >> 24, 0u);
}

TEST(ParseColor, MessageQuotesTheText)
{
    EXPECT_EQ(ParseColor(u"Navy"), 0x800000u);
    try {
        ParseColor(u"abc");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.ClassName(), QStringLiteral("Exception"));
        EXPECT_EQ(e.Message(), QStringLiteral("\"abc\" is not a valid color value."));
    }
}

TEST(ColorToD3D, SwapsRedAndBlueAndMakesOpaque)
{
    EXPECT_EQ(ColorToD3D(kRed), 0xFFFF0000u);
    EXPECT_EQ(ColorToD3D(0x123456), 0xFF563412u);
    EXPECT_EQ(ColorToD3D(0x7F000000), 0xFF000000u);  // stray top bits never leak into alpha
}

TEST(FontSize, NamesIgnoreCaseAndIntegersAreUnchecked)
{
    EXPECT_EQ(Number(TryParseFontSize, u"Huge"), 32);
    EXPECT_EQ(Number(TryParseFontSize, u"huge"), 32);
    EXPECT_EQ(Number(TryParseFontSize, u"belownormal"), 16);
    EXPECT_EQ(Number(TryParseFontSize, u"17"), 17);
    EXPECT_EQ(Number(TryParseFontSize, u"-5"), -5);
    EXPECT_EQ(Number(TryParseFontSize, u"$10"), 16);
    EXPECT_FALSE(Number(TryParseFontSize, u"").has_value());
    EXPECT_FALSE(Number(TryParseFontSize, u"Big").has_value());
    EXPECT_EQ(ParseFontSize(u"Tiny"), 8);
    try {
        ParseFontSize(u"12pt");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("\"12pt\" is not a valid size value."));
    }
}

TEST(Interval, NowAndEmptyAreZeroNegativesAccepted)
{
    EXPECT_EQ(Number(TryParseInterval, u"NOW"), 0);
    EXPECT_EQ(Number(TryParseInterval, u""), 0);
    EXPECT_EQ(Number(TryParseInterval, u"250"), 250);
    EXPECT_EQ(Number(TryParseInterval, u"-10"), -10);
    EXPECT_FALSE(Number(TryParseInterval, u"soon").has_value());
    EXPECT_FALSE(Number(TryParseInterval, u"1s").has_value());
}

TEST(ByteAndVolume, RangeIsZeroTo255)
{
    for (auto parser : {TryParseByte, TryParseVolume}) {
        EXPECT_EQ(Number(parser, u"0"), 0);
        EXPECT_EQ(Number(parser, u"255"), 255);
        EXPECT_EQ(Number(parser, u"$FF"), 255);
        EXPECT_FALSE(Number(parser, u"256").has_value());
        EXPECT_FALSE(Number(parser, u"-1").has_value());
        EXPECT_FALSE(Number(parser, u"").has_value());
    }
    EXPECT_EQ(Number(TryParseVolume, u"MAX"), 255);
    EXPECT_EQ(Number(TryParseVolume, u"Min"), 1);
    EXPECT_EQ(Number(TryParseVolume, u"off"), 0);
    EXPECT_FALSE(Number(TryParseByte, u"max").has_value());
}

TEST(FindFileWithExtension, FirstExistingExtensionWins)
{
    TTempDir dir;
    dir.Write(QStringLiteral("images/forest.png"), "p");
    dir.Write(QStringLiteral("images/forest.bmp"), "b");
    EXPECT_EQ(FindFileWithExtension(dir.File(QStringLiteral("images/forest")), PictureExtensions),
              dir.File(QStringLiteral("images/forest.png")));
    EXPECT_EQ(FindFileWithExtension(dir.File(QStringLiteral("images/forest")), {}), QString());
    EXPECT_EQ(FindFileWithExtension(dir.File(QStringLiteral("images/lake")), PictureExtensions), QString());
}

TEST(FindFileWithExtension, IgnoresCaseAndAcceptsBackslashes)
{
    TTempDir dir;
    dir.Write(QStringLiteral("Sound/Forest.PNG"), "p");
    QString base = dir.File(QStringLiteral("sound/forest"));
    base.replace(QLatin1Char('/'), QLatin1Char('\\'));
    EXPECT_EQ(FindFileWithExtension(base, PictureExtensions), dir.File(QStringLiteral("Sound/Forest.PNG")));
}

TEST(FindFileWithExtension, FolderWithTheNameIsNoFile)
{
    TTempDir dir;
    QDir(dir.Path()).mkpath(QStringLiteral("theme.mp3"));
    dir.Write(QStringLiteral("theme.ogg"), "o");
    EXPECT_EQ(FindFileWithExtension(dir.File(QStringLiteral("theme")), MusicExtensions),
              dir.File(QStringLiteral("theme.ogg")));
}

TEST(ExtensionLists, OrderIsPreferenceOrder)
{
    EXPECT_EQ(PictureExtensions, (QStringList{"jpg", "png", "bmp"}));
    EXPECT_EQ(MusicExtensions, (QStringList{"mp3", "ogg"}));
    EXPECT_EQ(SoundExtensions, (QStringList{"wav", "mp3", "flac", "aif", "ogg"}));
}
