#include "assets/ImageLoader.h"

#include "support/Pictures.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class ImageManagerTest : public testing::Test {
protected:
    TVirtualClock clock;
    TTempDir dir;
    QStringList log;
    TImageManager images{clock, [this](const QString& line) { log.append(line); }};
    std::shared_ptr<TDxDevice> device;

    ImageManagerTest()
    {
        TDirect3D direct3D;
        direct3D.CreateDevice(0, TPresentParams{1024, 768, true}, device);
        images.SetDevice(device);
    }

    QString Folder() const { return dir.Path() + QStringLiteral("/images/"); }
    void WriteImage(const QString& name, const QByteArray& bytes) { dir.Write(QStringLiteral("images/") + name, bytes); }

    // Reads the lines as "_images.code"; returns the error it raised, if any.
    QString ReadCode(const QString& text)
    {
        dir.WriteUtf8(QStringLiteral("images/_images.code"), text);
        try {
            images.SetFolder(Folder());
        } catch (const EImageCodeError& error) {
            return error.Message();
        }
        return {};
    }

    QString MissingError(const QString& name) const
    {
        try {
            images.ResolveImageFile(name);
        } catch (const EResourceMissing& error) {
            return error.Message();
        }
        return {};
    }
};

} // namespace

TEST_F(ImageManagerTest, ImageCodeReadsSectionsCommentsAndDefaults)
{
    EXPECT_EQ(ReadCode("ignored,$FF00FF\n"
                       "\\\\ sprite sheets\n"
                       "  [settings]  \n"
                       "walker,$FF00FF,64,96,120\n"
                       "logo,,0,0,0\n"
                       "nameonly\n"
                       "plain,\n"
                       "[OTHER]\n"
                       "hidden,red\n"
                       "[Aliases]\n"
                       "hero=characters_hero_v2.png\n"
                       "empty=\n"),
              QString());
    ASSERT_EQ(images.Settings().size(), 3u);
    const TImageSettings* walker = images.FindSettings(QStringLiteral("WALKER"));
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->ColorKey, 0xFF00FFu);
    EXPECT_EQ(walker->FrameWidth, 64);
    EXPECT_EQ(walker->FrameHeight, 96);
    EXPECT_EQ(walker->AnimationSpeed, 120);
    const TImageSettings* plain = images.FindSettings(QStringLiteral("plain"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->ColorKey, NoColor);
    EXPECT_EQ(plain->FrameWidth, 0);
    EXPECT_EQ(images.FindSettings(QStringLiteral("hidden")), nullptr);
    EXPECT_EQ(images.FindAlias(QStringLiteral("Hero")), QStringLiteral("characters_hero_v2.png"));
    EXPECT_EQ(images.FindAlias(QStringLiteral("empty")), QString());
}

TEST_F(ImageManagerTest, MalformedLinesRaiseAndKeepWhatCameBefore)
{
    EXPECT_EQ(ReadCode("[SETTINGS]\nfirst,,1\nwalker,,-4\nlast,,1\n"),
              QStringLiteral("Invalid image settings for file walker: invalid frame width: -4."));
    EXPECT_NE(images.FindSettings(QStringLiteral("first")), nullptr);
    EXPECT_EQ(images.FindSettings(QStringLiteral("last")), nullptr);
    EXPECT_EQ(ReadCode("[SETTINGS]\nw, $FF00FF\n"),
              QStringLiteral("Invalid image settings for file w: \" $FF00FF\" is not a color."));
    EXPECT_EQ(ReadCode("[SETTINGS]\nw,,1,x\n"), QStringLiteral("Invalid image settings for file w: invalid frame height: x."));
    EXPECT_EQ(ReadCode("[SETTINGS]\nw,,1,1,-1\n"),
              QStringLiteral("Invalid image settings for file w: invalid animation speed: -1."));
    EXPECT_EQ(ReadCode("[ALIASES]\na=b=c\n"), QStringLiteral("Invalid image alias line: \"a=b=c\"."));
    EXPECT_EQ(ReadCode("[ALIASES]\n  \\\\\n"), QStringLiteral("Invalid image alias line: \"\\\\\"."));
    // A new folder without the file starts empty.
    QFile::remove(Folder() + "_images.code");
    images.SetFolder(Folder());
    EXPECT_TRUE(images.Aliases().empty());
}

TEST_F(ImageManagerTest, NamesResolveByAliasThenFileThenExtension)
{
    WriteImage("hero.png", PngBytes(4, 4));
    WriteImage("hero2.png", PngBytes(4, 4));
    WriteImage("walker.png", PngBytes(4, 4));
    WriteImage("forest.bmp", PngBytes(4, 4));
    WriteImage("forest.png", PngBytes(4, 4));
    WriteImage("chars/Mira.png", PngBytes(4, 4));
    ReadCode("[ALIASES]\nHERO=hero2.png\nghost=nowhere.png\n");
    EXPECT_EQ(images.ResolveImageFile(QStringLiteral("hero")), QStringLiteral("hero2.png"));
    EXPECT_EQ(images.ResolveImageFile(QStringLiteral("Walker")), QStringLiteral("walker.png"));
    EXPECT_EQ(images.ResolveImageFile(QStringLiteral("walker.png")), QStringLiteral("walker.png"));
    EXPECT_EQ(images.ResolveImageFile(QStringLiteral("forest")), QStringLiteral("forest.png"));
    EXPECT_EQ(images.ResolveImageFile(QStringLiteral("chars\\mira")), QStringLiteral("chars\\Mira.png"));
    EXPECT_EQ(MissingError(QStringLiteral("ghost")),
              QStringLiteral("Aliased image file not found: \"nowhere.png\" (alias \"ghost\")."));
    EXPECT_EQ(MissingError(QStringLiteral("tree")), QStringLiteral("Image file not found: \"tree\"."));
}

TEST_F(ImageManagerTest, LoadImageAppliesSettingsFoundUnderNameOrFile)
{
    WriteImage("walker.png", PngBytes(256, 96));
    WriteImage("strip.png", PngBytes(256, 96));
    ReadCode("[SETTINGS]\nwalker,,64\nstrip.png,$996633,0,48,120\n");
    const std::unique_ptr<TDxPicture> walker = images.LoadImage(QStringLiteral("Walker"));
    EXPECT_EQ(walker->FrameCount(), 4);  // only the width given: frames as tall as the picture
    EXPECT_EQ(walker->FrameHeight(), 96);
    const std::unique_ptr<TDxPicture> strip = images.LoadImage(QStringLiteral("strip"));
    EXPECT_EQ(strip->FrameWidth(), 256);
    EXPECT_EQ(strip->FrameCount(), 2);
    EXPECT_EQ(strip->FrameInterval(), 120u);
    EXPECT_EQ(strip->ColorKey(), 0x996633u);
    EXPECT_EQ(strip->GetPixel(0, 0), 0u);  // the key colour became transparent
    EXPECT_EQ(log, QStringList({"Loading image walker.png.", "Loading image strip.png."}));
}

TEST_F(ImageManagerTest, ReloadResolvesBeforeItClearsAndDropsStaleSettings)
{
    WriteImage("keyed.png", PngBytes(8, 8));
    WriteImage("plain.png", PngBytes(8, 8));
    WriteImage("broken.png", "not a picture");
    ReadCode("[SETTINGS]\nkeyed,$996633,4,4,30\n");
    TDxPicture picture(clock);
    picture.SetDevice(device);
    images.ReloadImage(QStringLiteral("keyed"), picture);
    EXPECT_THROW(images.ReloadImage(QStringLiteral("nothing"), picture), EResourceMissing);
    EXPECT_EQ(picture.FrameCount(), 4);  // untouched by the name that was not there
    images.ReloadImage(QStringLiteral("plain"), picture);
    EXPECT_EQ(picture.ColorKey(), NoColor);
    EXPECT_EQ(picture.FrameInterval(), 0u);
    EXPECT_EQ(picture.FrameCount(), 1);
    EXPECT_THROW(images.ReloadImage(QStringLiteral("broken"), picture), ED3DError);
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_TRUE(picture.FileName().isEmpty());
}

// Files that are no pictures, or claim more than memory holds, fail to load
// without crashing and without reading or allocating their claimed size.
TEST_F(ImageManagerTest, BrokenAndHugeFilesFailCleanly)
{
    const QByteArray png = PngBytes(64, 64);
    QByteArray huge = png;
    // The header's width and height fields (bytes 16 to 23): 100000 x 100000.
    const char dimensions[] = {0, 1, (char)0x86, (char)0xA0, 0, 1, (char)0x86, (char)0xA0};
    huge.replace(16, 8, QByteArray(dimensions, 8));
    WriteImage("zero.png", QByteArray());
    WriteImage("cut.png", png.left(png.size() / 2));
    WriteImage("huge.png", huge);
    WriteImage("text.png", "hello");
    images.SetFolder(Folder());
    for (const char* name : {"zero", "cut", "huge", "text"})
        EXPECT_THROW(images.LoadImage(QString::fromLatin1(name)), ED3DError) << name;
}

TEST_F(ImageManagerTest, UnchangedFileIsDecodedOnceAndEachPictureKeepsItsFrame)
{
    WriteImage("strip.png", PngBytes(64, 16));
    ReadCode("[SETTINGS]\nstrip,,16,16,0\n");
    TImageCache& cache = device->Shared()->images;
    const int misses = cache.Misses();
    const std::unique_ptr<TDxPicture> first = images.LoadImage(QStringLiteral("strip"));
    const std::unique_ptr<TDxPicture> second = images.LoadImage(QStringLiteral("strip"));
    EXPECT_EQ(cache.Misses(), misses + 1);
    first->SetFrame(2);
    EXPECT_EQ(second->CurrentFrame(), 0);
    // A file rewritten since is decoded afresh.
    QFile file(Folder() + "strip.png");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    images.LoadImage(QStringLiteral("strip"));
    EXPECT_EQ(cache.Misses(), misses + 2);
}

TEST(ImageCache, LeastRecentlyUsedPicturesGoFirstPastTheLimit)
{
    QImage picture(16, 16, QImage::Format_ARGB32);  // 1 KiB
    TImageCache cache(2 * picture.sizeInBytes());
    const QDateTime when = QDateTime::currentDateTime();
    const TFileStamp a{"a", when, 1}, b{"b", when, 1}, c{"c", when, 1};
    cache.Insert(a, picture);
    cache.Insert(b, picture);
    EXPECT_FALSE(cache.Find(a).isNull());  // a is now the most recent
    cache.Insert(c, picture);
    EXPECT_TRUE(cache.Find(b).isNull());
    EXPECT_FALSE(cache.Find(a).isNull());
    EXPECT_EQ(cache.Bytes(), 2 * picture.sizeInBytes());
    const TFileStamp large{"large", when, 1};
    cache.Insert(large, QImage(64, 64, QImage::Format_ARGB32));  // more than the whole limit
    EXPECT_TRUE(cache.Find(large).isNull());
    EXPECT_EQ(cache.Count(), 2);
}
