#include "render/GraphicControls.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

class PictureTest : public testing::Test {
protected:
    TVirtualClock clock{1000};
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TTempDir dir;
    TDxPicture picture{clock};

    void SetUp() override { picture.SetDevice(device); }

    QString WriteImage(int width, int height, const QString& name = QStringLiteral("pic.png"))
    {
        return dir.Write(name, EncodeImage(Gradient(width, height), "png"));
    }
};

} // namespace

TEST(GraphicObject, ChangeNotificationFiresOnceUntilCleared)
{
    TGraphicObject object;
    EXPECT_TRUE(object.Visible());
    EXPECT_TRUE(object.Update(0));  // a new object paints at the first frame
    object.ClearChanged();
    int calls = 0;
    object.SetOnChange([&](TGraphicObject&) { ++calls; });
    object.Changed();
    object.Changed();
    EXPECT_EQ(calls, 1);
    object.ClearChanged();
    object.Changed();
    EXPECT_EQ(calls, 2);
}

TEST(GraphicObject, HiddenObjectKeepsItsChangeUntilShownAndPainted)
{
    TGraphicObject object;
    object.ClearChanged();
    object.SetVisible(false);
    EXPECT_TRUE(object.Update(0));   // the hiding itself must be painted
    object.ClearChanged();
    EXPECT_FALSE(object.Update(0));
    object.Changed();
    EXPECT_FALSE(object.Update(0));  // invisible changes need no frame
    object.ClearChanged();
    EXPECT_TRUE(object.IsChanged());
    object.SetVisible(true);
    EXPECT_TRUE(object.Update(0));
}

TEST_F(PictureTest, FrameGridOfStripAndRemaindersDropped)
{
    picture.LoadFromFile(WriteImage(256, 64));
    EXPECT_EQ(picture.FrameCount(), 1);
    picture.SetFrameSize(64, 64);
    EXPECT_EQ(picture.FrameCount(), 4);
    EXPECT_EQ(picture.FramesPerRow(), 4);
    picture.SetFrame(2);
    EXPECT_EQ(picture.FrameRect(), (TRect{128, 0, 192, 64}));

    picture.LoadFromFile(WriteImage(100, 100, QStringLiteral("square.png")));
    picture.SetFrameSize(30, 30);
    EXPECT_EQ(picture.FrameCount(), 9);
    picture.SetFrame(8);
    EXPECT_EQ(picture.FrameRect(), (TRect{60, 60, 90, 90}));
}

TEST_F(PictureTest, SetFrameClampsNegativeAndWraps)
{
    picture.LoadFromFile(WriteImage(256, 64));
    picture.SetFrameSize(64, 64);
    picture.SetFrame(-3);
    EXPECT_EQ(picture.CurrentFrame(), 0);
    picture.SetFrame(6);
    EXPECT_EQ(picture.CurrentFrame(), 2);
}

TEST_F(PictureTest, ZeroFrameHeightMeansNoFramesAndWholeImage)
{
    picture.LoadFromFile(WriteImage(256, 64));
    picture.SetFrameSize(64, 0);
    EXPECT_EQ(picture.FrameCount(), 0);
    picture.SetFrame(3);
    EXPECT_EQ(picture.CurrentFrame(), 0);
    EXPECT_EQ(picture.FrameRect(), (TRect{0, 0, 256, 64}));
    EXPECT_FALSE(picture.Update(5000));
}

TEST_F(PictureTest, AnimationAdvancesAtMostOneFramePerUpdate)
{
    picture.LoadFromFile(WriteImage(256, 64));
    picture.SetFrameSize(64, 64);
    picture.SetFrameInterval(100);
    EXPECT_FALSE(picture.Update(1099));
    EXPECT_TRUE(picture.Update(1100));
    EXPECT_EQ(picture.CurrentFrame(), 1);
    EXPECT_TRUE(picture.Update(9000));   // very late: still one step
    EXPECT_EQ(picture.CurrentFrame(), 2);

    picture.SetFrameInterval(0);
    for (int expected : {3, 0, 1}) {
        EXPECT_TRUE(picture.Update(9000));
        EXPECT_EQ(picture.CurrentFrame(), expected);
    }
}

TEST_F(PictureTest, FailedLoadRaisesAndLeavesPictureEmptyKeepingFileName)
{
    const QString good = WriteImage(8, 8);
    picture.LoadFromFile(good);
    const QString broken = dir.Write(QStringLiteral("broken.png"), "garbage");
    try {
        picture.LoadFromFile(broken);
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("LoadTexture(") + broken + QStringLiteral(") failed: 88760B59."));
    }
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.FileName(), good);
}

TEST_F(PictureTest, LoadWithoutDeviceIsAnErrorNotACrash)
{
    TDxPicture loose(clock);
    EXPECT_THROW(loose.LoadFromFile(WriteImage(8, 8)), ED3DError);
    EXPECT_TRUE(loose.IsEmpty());
}

TEST_F(PictureTest, GetPixelReadsWholeImageAndZeroOutside)
{
    picture.LoadFromFile(WriteImage(20, 10));
    EXPECT_EQ(picture.GetPixel(5, 3), qRgba(5, 3, 7, 255));
    EXPECT_EQ(picture.GetPixel(20, 0), 0u);
    EXPECT_EQ(picture.GetPixel(-1, 0), 0u);
    EXPECT_EQ(picture.GetPixel(0, 10), 0u);
}

TEST_F(PictureTest, ColorKeyAppliesAtLoadAndAgainAfterDeviceReset)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0xFF00FF00u);
    image.setPixel(1, 0, 0xFF0000FFu);
    const QString path = dir.Write(QStringLiteral("keyed.png"), EncodeImage(image, "png"));
    picture.SetColorKey(0x00FF00);  // green in the script's colour order
    picture.LoadFromFile(path);
    picture.SetFrameSize(1, 1);
    EXPECT_EQ(picture.GetPixel(0, 0), 0u);
    picture.DeviceLost();
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0);
    picture.DeviceReset();
    EXPECT_EQ(picture.GetPixel(0, 0), 0u);
    EXPECT_EQ(picture.GetPixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(picture.FrameCount(), 2);  // the grid survives the reset
}

TEST_F(PictureTest, ClearNotifiesAndForgetsFile)
{
    int loads = 0;
    picture.SetOnLoad([&](TDxPicture&) { ++loads; });
    picture.LoadFromFile(WriteImage(8, 8));
    picture.Clear();
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_TRUE(picture.FileName().isEmpty());
    picture.DeviceReset();  // nothing to reload
    EXPECT_TRUE(picture.IsEmpty());
}

TEST_F(PictureTest, DrawAtPlacesCurrentFrameScaledPosition)
{
    picture.LoadFromFile(WriteImage(8, 4));
    picture.SetFrameSize(4, 4);
    picture.SetFrame(1);
    picture.SetScale(2.0, 2.0);
    TDxSprite sprite(device);
    device->Clear(0xFF000000u);
    sprite.Begin(0);
    picture.DrawAt(sprite, 10, 5);
    sprite.End();
    // Frame 1 starts at source x 4; the position is scaled, the image is not.
    EXPECT_EQ(BackPixel(*device, 20, 10), qRgba(4, 0, 7, 255));
    EXPECT_EQ(BackPixel(*device, 23, 13), qRgba(7, 3, 7, 255));
    EXPECT_EQ(BackPixel(*device, 24, 10), 0xFF000000u);
}

namespace {

class BoxTest : public testing::Test {
protected:
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TDxSprite sprite{device};
    TTempDir dir;

    void Draw(TTransparentBox& box, int x, int y)
    {
        device->Clear(0xFFFF0000u);
        sprite.Begin(0);
        box.DrawAt(sprite, x, y);
        sprite.End();
    }
};

} // namespace

TEST_F(BoxTest, ColourBoxHasTwoPixelBlackFrameAtItsInset)
{
    TTransparentBox box(500, 100, 3);
    box.SetDevice(device);
    box.SetAlpha(255);
    Draw(box, 0, 0);
    const QRgb white = 0xFFFFFFFFu, black = 0xFF000000u;
    for (int y : {3, 4, 95, 96})
        EXPECT_EQ(BackPixel(*device, 250, y), black) << "row " << y;
    for (int y : {2, 5, 94, 97})
        EXPECT_EQ(BackPixel(*device, 250, y), white) << "row " << y;
    for (int x : {3, 4, 495, 496})
        EXPECT_EQ(BackPixel(*device, x, 50), black) << "column " << x;
    for (int x : {2, 5, 494, 497})
        EXPECT_EQ(BackPixel(*device, x, 50), white) << "column " << x;
    EXPECT_EQ(BackPixel(*device, 500, 50), 0xFFFF0000u);  // the box ends there
}

TEST_F(BoxTest, AlphaBlendsOverWhatIsBelowAndPositionIsScaled)
{
    TTransparentBox box(10, 10, 0);
    box.SetDevice(device);
    box.SetColor(0x000000);  // black fill (script colour order)
    box.SetScale(2.0, 2.0);
    Draw(box, 5, 5);  // default alpha 200
    const QRgb inside = BackPixel(*device, 20, 20);
    EXPECT_NEAR(qRed(inside), 255 - 200, 2);
    EXPECT_EQ(BackPixel(*device, 9, 9), 0xFFFF0000u);
    EXPECT_NE(BackPixel(*device, 10, 10), 0xFFFF0000u);  // 5 x 2
    EXPECT_NE(BackPixel(*device, 29, 29), 0xFFFF0000u);  // 10 x 2 wide box
    EXPECT_EQ(BackPixel(*device, 30, 30), 0xFFFF0000u);
}

TEST_F(BoxTest, PictureIsStretchedOverBoxAndColourSwitchesBack)
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(0xFF00FF00u);
    const QString path = dir.Write(QStringLiteral("box.png"), EncodeImage(image, "png"));
    TTransparentBox box(40, 20, 3);
    box.SetDevice(device);
    box.SetAlpha(255);
    box.LoadPicture(path);
    Draw(box, 0, 0);
    EXPECT_EQ(BackPixel(*device, 39, 19), 0xFF00FF00u);
    EXPECT_EQ(BackPixel(*device, 3, 3), 0xFF00FF00u);  // no frame line in picture mode

    box.SetColor(0xFFFFFF);
    EXPECT_TRUE(box.PictureFile().isEmpty());
    Draw(box, 0, 0);
    EXPECT_EQ(BackPixel(*device, 20, 10), 0xFFFFFFFFu);
    EXPECT_EQ(BackPixel(*device, 3, 10), 0xFF000000u);
}

TEST_F(BoxTest, PictureThatFailsToLoadLeavesTheColourBox)
{
    TTransparentBox box(16, 16, 2);
    box.SetDevice(device);
    box.SetAlpha(255);
    Draw(box, 0, 0);
    EXPECT_THROW(box.LoadPicture(dir.File(QStringLiteral("absent.png"))), ED3DError);
    Draw(box, 0, 0);
    EXPECT_EQ(BackPixel(*device, 8, 8), 0xFFFFFFFFu);
}

TEST_F(BoxTest, DeviceLossReleasesAndRebuildsTexture)
{
    TTransparentBox box(16, 16, 2);
    box.SetDevice(device);
    Draw(box, 0, 0);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 1);
    box.DeviceLost();
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0);
    box.DeviceReset();
    EXPECT_TRUE(box.NeedsRebuild());
    Draw(box, 0, 0);
    EXPECT_FALSE(box.NeedsRebuild());
}

TEST_F(BoxTest, RebuildStepFailureNamesTheStep)
{
    TTransparentBox box(16, 16, 2);
    box.SetDevice(device);
    device->Faults().FailNext(TDxCall::CreateSurface, DxResult::OutOfMemory);
    try {
        Draw(box, 0, 0);
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("CreateOffscreenPlainSurface failed: 8007000E."));
    }
    sprite.End();
    EXPECT_TRUE(box.NeedsRebuild());  // the next frame tries again
}

TEST_F(BoxTest, SizesAreClampedSoNoGeometryFailsEveryFrame)
{
    TTransparentBox box(0, -5, 3);
    EXPECT_EQ(box.BoxWidth(), 1);
    EXPECT_EQ(box.BoxHeight(), 1);
    box.SetDevice(device);
    EXPECT_NO_THROW(Draw(box, 0, 0));
    box.SetSize(65536, 20);
    EXPECT_EQ(box.BoxWidth(), TTransparentBox::MaxExtent);
    EXPECT_NO_THROW(Draw(box, 0, 0));
}
