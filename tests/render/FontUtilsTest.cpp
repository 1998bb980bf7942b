#include "render/FontUtils.h"

#include "render/DirectXUtils.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFontDatabase>

#include <gtest/gtest.h>

namespace {

class FontManagerTest : public testing::Test {
protected:
    QStringList log;
    TFontManager fonts{[this](const QString& line) { log << line; }};
    std::shared_ptr<TDxDevice> device = MakeTestDevice();

    void SetUp() override { fonts.SetDevice(device); }
};

QByteArray InstalledFontBytes()
{
    QFile file(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(MulDivTest, RoundsToNearestAndHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(16, 96, 72), 21);   // 21.33
    EXPECT_EQ(MulDiv(12, 96, 72), 16);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);       // 1.5
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST_F(FontManagerTest, CacheKeyIgnoresFaceCaseAndUnderlineStrikeout)
{
    const auto bold = fonts.GetFont(QStringLiteral("Arial"), 12, FontStyle::Bold);
    EXPECT_EQ(fonts.GetFont(QStringLiteral("Arial"), 12, FontStyle::Bold), bold);
    EXPECT_EQ(fonts.GetFont(QStringLiteral("arial"), 12, FontStyle::Bold | FontStyle::Underline | FontStyle::Strikeout), bold);
    EXPECT_EQ(fonts.CacheCount(), 1);
    EXPECT_NE(fonts.GetFont(QStringLiteral("Arial"), 12, 0), bold);
    EXPECT_NE(fonts.GetFont(QStringLiteral("Arial"), 13, FontStyle::Bold), bold);
    EXPECT_NE(fonts.GetFont(QStringLiteral("Arial"), 12, FontStyle::Bold | FontStyle::Italic), bold);
    EXPECT_EQ(fonts.CacheCount(), 4);
}

TEST_F(FontManagerTest, SizeConvertsAtNinetySixDotsPerInchAndStyleSetsWeightAndItalic)
{
    const auto font = fonts.GetFont(QStringLiteral("Verdana"), 16, FontStyle::Bold | FontStyle::Italic);
    EXPECT_EQ(font->Desc().height, -21);
    EXPECT_EQ(font->Desc().weight, 700);
    EXPECT_TRUE(font->Desc().italic);
    EXPECT_EQ(font->Font().pixelSize(), 21);
    EXPECT_EQ(fonts.GetFont(QStringLiteral("Verdana"), 16, 0)->Desc().weight, 400);
}

TEST_F(FontManagerTest, DeviceLossDropsCachedFontsButUsersKeepTheirs)
{
    const auto held = fonts.GetFont(QStringLiteral("Tahoma"), 10, 0);
    fonts.DeviceLost();
    EXPECT_EQ(fonts.CacheCount(), 0);
    EXPECT_EQ(held->Desc().height, -13);  // still usable by its holder
    EXPECT_NE(fonts.GetFont(QStringLiteral("Tahoma"), 10, 0), held);
}

TEST_F(FontManagerTest, CreationFailureRaisesAndLeavesCacheUnchanged)
{
    TFontManager loose;
    try {
        loose.GetFont(QStringLiteral("Arial"), 12, 0);
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("D3DXCreateFontW(Arial) failed: 8876086C."));
    }
    EXPECT_EQ(loose.CacheCount(), 0);
    device->Faults().FailNext(TDxCall::CreateFont, DxResult::OutOfMemory);
    EXPECT_THROW(fonts.GetFont(QStringLiteral("Arial"), 12, 0), ED3DError);
    EXPECT_EQ(fonts.CacheCount(), 0);
}

TEST_F(FontManagerTest, FontExistsForInstalledAndCommonFacesOnly)
{
    EXPECT_TRUE(fonts.FontExists(QStringLiteral("DejaVu Sans")));
    EXPECT_TRUE(fonts.FontExists(QStringLiteral("dejavu serif")));
    for (const char* face : {"Lucida Sans Unicode", "Arial", "tahoma", "Courier New", "Times New Roman", "VERDANA"})
        EXPECT_TRUE(fonts.FontExists(QLatin1String(face))) << face;
    EXPECT_FALSE(fonts.FontExists(QStringLiteral("No Such Face 123")));
    EXPECT_FALSE(fonts.FontExists(QString()));
}

TEST_F(FontManagerTest, CommonFacesPreferTheirMetricCompatibleSubstitutes)
{
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(QStringLiteral("Liberation Sans")) || installed.contains(QStringLiteral("Arial")))
        GTEST_SKIP() << "the Liberation fonts are missing, or the originals are installed";
    EXPECT_EQ(TFontManager::DrawnFamily(QStringLiteral("arial")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(TFontManager::DrawnFamily(QStringLiteral("Times New Roman")), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(TFontManager::DrawnFamily(QStringLiteral("Courier New")), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(TFontManager::DrawnFamily(QStringLiteral("Tahoma")), QStringLiteral("DejaVu Sans"));
}

TEST_F(FontManagerTest, LoadFontsLogsBrokenFileAndRegistersTheOthers)
{
    const QByteArray good = InstalledFontBytes();
    if (good.isEmpty())
        GTEST_SKIP() << "no DejaVu font file to copy";
    TTempDir dir;
    dir.Write(QStringLiteral("Fonts/broken.ttf"), "not a font at all");
    dir.Write(QStringLiteral("Fonts/mono.ttf"), good);
    fonts.LoadFonts(dir.Path() + QStringLiteral("/fonts"));  // letter case of the folder ignored
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Cannot load broken.ttf: "))) << log[0].toStdString();
    EXPECT_EQ(log[1], QStringLiteral("Loaded font mono.ttf."));
    ASSERT_EQ(fonts.FontFiles().size(), 1);
    EXPECT_TRUE(fonts.FontFiles()[0].endsWith(QStringLiteral("/mono.ttf")));
    fonts.UnloadFonts();
    EXPECT_TRUE(fonts.FontFiles().isEmpty());
}

TEST_F(FontManagerTest, MissingFontsFolderIsSilent)
{
    fonts.LoadFonts(QStringLiteral("/nonexistent/fonts"));
    EXPECT_TRUE(log.isEmpty());
}

TEST(FontInfo, DiffersOnFaceSizeAndMaskedStyleOnly)
{
    const TFontInfo base = TFontManager::MakeFontInfo(QStringLiteral("Arial"), 16, FontStyle::Bold, 0xFFFFFF);
    EXPECT_EQ(base.name, QStringLiteral("Arial"));
    EXPECT_EQ(base.size, 16);
    EXPECT_EQ(base.color, 0xFFFFFFu);
    auto same = base;
    same.name = QStringLiteral("ARIAL");
    same.color = 0x0000FF;
    same.style = FontStyle::Bold | FontStyle::Underline | FontStyle::Strikeout;
    EXPECT_FALSE(TFontManager::FontInfoDiffers(base, same));
    auto other = base;
    other.size = 17;
    EXPECT_TRUE(TFontManager::FontInfoDiffers(base, other));
    other = base;
    other.style = FontStyle::Bold | FontStyle::Italic;
    EXPECT_TRUE(TFontManager::FontInfoDiffers(base, other));
    other = base;
    other.name = QStringLiteral("Tahoma");
    EXPECT_TRUE(TFontManager::FontInfoDiffers(base, other));
}
