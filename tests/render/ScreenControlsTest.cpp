#include "render/ScreenControls.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Buttons of `frames` frames of 40 x 20 side by side; the left half of
// every frame is opaque, the right half transparent.
class ScreenObjectsTest : public testing::Test {
protected:
    ScreenObjectsTest() { manager.SetDevice(device); }

    std::unique_ptr<TDxPicture> Picture(int frames, bool opaque = true)
    {
        QImage image(40 * frames, 20, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int f = 0; f < frames && opaque; ++f)
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 20; ++x)
                    image.setPixel(f * 40 + x, y, qRgba(255, 0, 0, 255));
        auto picture = std::make_unique<TDxPicture>(clock);
        picture->SetDevice(device);
        picture->LoadFromFile(dir.Write(QStringLiteral("b%1.png").arg(++files), EncodeImage(image, "png")));
        picture->SetFrameSize(40, 20);
        return picture;
    }

    // A button at (100, 100) that counts its clicks.
    TScreenButton& AddButton(const QString& name, int frames, bool opaque = true)
    {
        auto button = std::make_unique<TScreenButton>(Picture(frames, opaque));
        button->SetName(name);
        button->SetPosition(100, 100);
        button->SetTarget(QStringLiteral("label"));
        button->SetOnClick([this](TScreenButton&) { ++clicks; });
        TScreenButton& added = *button;
        manager.Add(std::move(button));
        return added;
    }

    static constexpr QPoint On{105, 105};
    static constexpr QPoint Transparent{130, 105};
    static constexpr QPoint Off{300, 300};

    TVirtualClock clock;
    TTempDir dir;
    int files = 0;
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TScreenObjectMgr manager;
    int clicks = 0;
};

} // namespace

TEST_F(ScreenObjectsTest, ButtonShowsHoverPressedAndNormalAndClicksOnReleaseOverIt)
{
    TScreenButton& button = AddButton(QStringLiteral("go"), 3);
    manager.MouseMove(On);
    EXPECT_EQ(button.Picture().CurrentFrame(), 2);
    EXPECT_TRUE(manager.MouseDown(On));
    EXPECT_EQ(button.Picture().CurrentFrame(), 1);
    manager.MouseMove(Off);
    EXPECT_EQ(button.Picture().CurrentFrame(), 1);  // still held
    manager.MouseMove(On);
    manager.MouseUp(On);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.Picture().CurrentFrame(), 2);
    EXPECT_TRUE(manager.MouseDown(On));
    manager.MouseUp(Off);
    EXPECT_EQ(clicks, 1);  // released elsewhere
    EXPECT_EQ(button.Picture().CurrentFrame(), 0);
    EXPECT_EQ(manager.Captured(), nullptr);
}

TEST_F(ScreenObjectsTest, TwoFrameButtonNeverShowsAHoverFrame)
{
    TScreenButton& button = AddButton(QStringLiteral("go"), 2);
    manager.MouseMove(On);
    EXPECT_TRUE(button.Hover());
    EXPECT_EQ(button.Picture().CurrentFrame(), 0);
    manager.MouseDown(On);
    EXPECT_EQ(button.Picture().CurrentFrame(), 1);
    manager.MouseUp(On);
    EXPECT_EQ(button.Picture().CurrentFrame(), 0);
}

TEST_F(ScreenObjectsTest, OnlyOpaquePixelsOfALabelledButtonCanBeClicked)
{
    TScreenButton& button = AddButton(QStringLiteral("go"), 3);
    AddButton(QStringLiteral("glass"), 3, false);
    EXPECT_FALSE(manager.MouseDown(Transparent));
    EXPECT_FALSE(manager.MouseDown(QPoint(145, 105)));  // inside the strip, past the first frame
    EXPECT_TRUE(manager.HasReachableButton({0, 0, 1024, 768}));
    EXPECT_FALSE(manager.HasReachableButton({120, 0, 1024, 768}));  // only its transparent half lies inside
    button.SetPosition(2000, 100);
    EXPECT_FALSE(manager.HasReachableButton({0, 0, 1024, 768}));
    button.SetPosition(100, 100);
    button.SetTarget(QString());
    EXPECT_FALSE(manager.HasReachableButton({0, 0, 1024, 768}));
}

TEST_F(ScreenObjectsTest, ButtonAddedUnderTheRestingPointerIsHoveredAtOnce)
{
    manager.MouseMove(On);
    TScreenButton& button = AddButton(QStringLiteral("go"), 3);
    EXPECT_TRUE(button.Hover());
    EXPECT_EQ(button.Picture().CurrentFrame(), 2);
}

TEST_F(ScreenObjectsTest, RemovingOrClearingAPressedButtonReleasesItWithoutAClick)
{
    AddButton(QStringLiteral("Go"), 3);
    manager.MouseDown(On);
    EXPECT_FALSE(manager.Remove(QStringLiteral("ghost")));
    EXPECT_TRUE(manager.Remove(QStringLiteral("gO")));
    EXPECT_EQ(manager.Captured(), nullptr);
    EXPECT_EQ(manager.Count(), 0);
    manager.MouseUp(On);
    AddButton(QStringLiteral("again"), 3);
    manager.MouseDown(On);
    manager.Clear();
    manager.MouseUp(On);
    EXPECT_EQ(clicks, 0);
}
