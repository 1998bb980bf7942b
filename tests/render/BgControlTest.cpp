#include "render/BgControl.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb Red = 0xFFFF0000u;
constexpr QRgb Blue = 0xFF0000FFu;

class BgControlTest : public testing::Test {
protected:
    TVirtualClock clock;
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TDxSprite sprite{device};
    TTempDir dir;
    TBgControl bg{clock};

    void SetUp() override
    {
        bg.SetDevice(device);
        bg.DeviceReset();
    }

    // 800 x 600, red left of x = 100 and blue from there on: where that edge
    // lands on screen shows the scale and the translation.
    QString WriteEdgePicture()
    {
        QImage image(800, 600, QImage::Format_ARGB32);
        image.fill(Blue);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 100; ++x)
                image.setPixel(x, y, Red);
        return dir.Write(QStringLiteral("edge.png"), EncodeImage(image, "png"));
    }

    void Draw()
    {
        device->Clear(0xFF000000u);
        sprite.Begin(0);
        bg.Draw(sprite);
        sprite.End();
    }
};

} // namespace

TEST_F(BgControlTest, PanStepsAreShareOfTheRestAndEndExactlyOnTheTarget)
{
    bg.SetPosition(0, 0);
    bg.MoveTo(1000, 100, -50);
    bg.ClearChanged();
    EXPECT_TRUE(bg.Update(0));  // no time passed: nothing moves, yet it asks for a frame
    EXPECT_EQ(bg.PosX(), 0.0);
    for (double share : {0.3, 0.6, 0.9}) {
        EXPECT_TRUE(bg.Update(300));
        EXPECT_NEAR(bg.PosX(), 100 * share, 1e-9);
        EXPECT_NEAR(bg.PosY(), -50 * share, 1e-9);
    }
    EXPECT_TRUE(bg.Update(300));
    EXPECT_EQ(bg.PosX(), 100.0);
    EXPECT_EQ(bg.PosY(), -50.0);
    EXPECT_FALSE(bg.IsAnimating());
    bg.ClearChanged();
    EXPECT_FALSE(bg.Update(300));
}

TEST_F(BgControlTest, ZoomAndTintReachTheirTargetsWhateverTheSteps)
{
    bg.SetZoom(100);
    bg.ZoomTo(250, 7);
    bg.SetTintAlpha(10);
    bg.FadeTintTo(200, 1000);
    for (uint32_t step : {3u, 1u, 2u, 5u})
        bg.Update(step);
    EXPECT_EQ(bg.Zoom(), 250.0);
    EXPECT_NEAR(bg.TintAlpha(), 10 + 190 * 0.011, 1e-9);
    bg.Update(5000);
    EXPECT_EQ(bg.TintAlpha(), 200.0);
}

TEST_F(BgControlTest, FitStretchesTheWholePictureOverTheView)
{
    bg.SetPicture(WriteEdgePicture());
    bg.SetFit(true);
    bg.SetZoom(100);
    bg.SetPosition(0, 0);  // the picture's corner at the centre: the edge lands 100 x 1.28 to its right
    Draw();
    EXPECT_EQ(BackPixel(*device, 512 + 126, 500), Red);
    EXPECT_EQ(BackPixel(*device, 512 + 130, 500), Blue);
    EXPECT_EQ(BackPixel(*device, 511, 383), 0xFF000000u);  // left and above the corner: nothing
}

TEST_F(BgControlTest, ZoomWithoutFitKeepsTheFocusPointAtTheCentre)
{
    bg.SetPicture(WriteEdgePicture());
    bg.SetFit(false);
    bg.SetZoom(200);
    bg.SetPosition(100, 300);
    Draw();
    EXPECT_EQ(BackPixel(*device, 509, 384), Red);
    EXPECT_EQ(BackPixel(*device, 514, 384), Blue);
    EXPECT_EQ(BackPixel(*device, 512 - 200 + 2, 384), Red);  // the picture's left edge, twice as far
    EXPECT_EQ(BackPixel(*device, 512 - 200 - 2, 384), 0xFF000000u);
}

TEST_F(BgControlTest, TintCoversTheViewOnlyWithAColourAndAlpha)
{
    bg.SetPicture(WriteEdgePicture());
    bg.SetFit(true);
    bg.SetPosition(400, 300);
    bg.SetTintColor(0x00FF00);  // green
    bg.SetTintAlpha(0);
    Draw();
    EXPECT_EQ(BackPixel(*device, 1000, 700), Blue);
    bg.SetTintAlpha(255);
    Draw();
    EXPECT_EQ(BackPixel(*device, 1000, 700), 0xFF00FF00u);
    EXPECT_EQ(BackPixel(*device, 0, 0), 0xFF00FF00u);
    bg.SetTintColor(NoColor);
    Draw();
    EXPECT_EQ(BackPixel(*device, 1000, 700), Blue);
}

TEST_F(BgControlTest, TintTextureFailureIsReportedAndRetriedNextFrame)
{
    bg.SetTintColor(0x0000FF);
    bg.SetTintAlpha(255);
    device->Faults().FailNext(TDxCall::CreateTexture, DxResult::OutOfMemory);
    sprite.Begin(0);
    try {
        bg.Draw(sprite);
        ADD_FAILURE() << "no error";
    } catch (const ED3DError&) {
        ADD_FAILURE() << "a general error is expected";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot create tint texture: 8007000E."));
    }
    sprite.End();
    Draw();
    EXPECT_EQ(BackPixel(*device, 10, 10), Red);
}

TEST_F(BgControlTest, PictureThatFailsLeavesNoPictureForTheNextReset)
{
    bg.SetPicture(WriteEdgePicture());
    const QString broken = dir.Write(QStringLiteral("broken.png"), "not a picture");
    EXPECT_THROW(bg.SetPicture(broken), ED3DError);
    EXPECT_TRUE(bg.Picture().IsEmpty());
    bg.DeviceLost();
    bg.DeviceReset();
    EXPECT_TRUE(bg.Picture().IsEmpty());
}
