#include "render/RenderDevice.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A layer that records its life cycle and fills a square in its colour, so
// the order of drawing shows in the back buffer.
class TProbeLayer : public TGraphicObject {
public:
    TProbeLayer(QString name, QStringList& journal, uint32_t color, int x)
        : name_(std::move(name)), journal_(journal), color_(color), x_(x) {}

    void Draw(TDxSprite& sprite) override
    {
        journal_ << QStringLiteral("draw ") + name_;
        if (!Visible())
            return;
        if (throwOnDraw)
            RaiseD3DError(QStringLiteral("Sprite.Draw"), DxResult::InvalidCall);
        QPainter* painter = sprite.Painter();
        painter->resetTransform();
        painter->fillRect(x_, 0, 100, 100, QColor::fromRgba(color_));
    }
    void DeviceLost() override
    {
        journal_ << QStringLiteral("lost ") + name_;
        ++lost;
    }
    void DeviceReset() override
    {
        journal_ << QStringLiteral("reset ") + name_;
        if (throwOnReset)
            throw Exception(QStringLiteral("no memory"));
    }

    bool throwOnDraw = false;
    bool throwOnReset = false;
    int lost = 0;

private:
    QString name_;
    QStringList& journal_;
    uint32_t color_;
    int x_;
};

class RenderDeviceTest : public testing::Test {
protected:
    TVirtualClock clock{1};
    QStringList journal;
    QStringList messages;
    int terminations = 0;
    int presents = 0;
    QList<bool> modes;
    int64_t counterNow = 0;
    TFontManager fonts;
    TProbeLayer background{QStringLiteral("background"), journal, 0xFF00FF00u, 0};
    TProbeLayer screenObjects{QStringLiteral("screen"), journal, 0xFF0000FFu, 50};
    TProbeLayer textWindow{QStringLiteral("text"), journal, 0xFFFFFF00u, 100};
    TColorValue backgroundColor = 0x0000FF;  // red in script order
    std::unique_ptr<TRenderDevice> render;

    void SetUp() override
    {
        TRenderCallbacks callbacks;
        callbacks.requestTerminate = [this] { ++terminations; };
        callbacks.showMessage = [this](const QString& caption, const QString& text) { messages << caption + QStringLiteral("|") + text; };
        callbacks.applyWindowMode = [this](bool fullscreen) { modes << fullscreen; };
        callbacks.presented = [this](const QImage&) { ++presents; };
        TPerformanceCounter counter{[this] { return counterNow; }, 10000000};
        render = std::make_unique<TRenderDevice>(fonts, clock, callbacks, counter);
        render->SetLayer(TLayerSlot::Background, &background);
        render->SetLayer(TLayerSlot::ScreenObjects, &screenObjects);
        render->SetLayer(TLayerSlot::TextWindow, &textWindow);
        render->SetBackgroundColor([this] { return backgroundColor; });
    }

    QRgb Shown(int x, int y) const { return qUnpremultiply(render->PresentedImage().pixel(x, y)); }
};

} // namespace

TEST(ViewportMapping, WindowStretchesFullScreenKeepsShape)
{
    TVirtualClock clock;
    TFontManager fonts;
    TRenderDevice render(fonts, clock, {});
    render.SetViewportSize(QSize(790, 659));
    EXPECT_EQ(render.ViewportToGame(QPoint(395, 329)), QPoint(512, 383));
    render.SetViewportSize(QSize(0, 659));  // collapsed: the last real size stays
    EXPECT_EQ(render.ViewportToGame(QPoint(395, 329)), QPoint(512, 383));

    render.SetFullscreen(true);
    render.SetViewportSize(QSize(1024, 768));
    EXPECT_EQ(render.ViewportToGame(QPoint(395, 329)), QPoint(395, 329));
    // A 16:9 screen: 1440 x 1080 picture between 240-pixel bars.
    render.SetViewportSize(QSize(1920, 1080));
    EXPECT_EQ(ViewportTargetRect(QSize(1920, 1080), true), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(render.ViewportToGame(QPoint(240 + 720, 540)), QPoint(512, 384));
    EXPECT_EQ(ViewportTargetRect(QSize(1920, 1080), false), QRect(0, 0, 1920, 1080));
}

TEST_F(RenderDeviceTest, CreationRunsResourcesInOrderAndIsReady)
{
    render->CreateDevice(false);
    EXPECT_TRUE(render->DeviceReady());
    EXPECT_TRUE(render->ResourcesReady());
    EXPECT_EQ(modes, QList<bool>{false});
    EXPECT_EQ(journal, (QStringList{QStringLiteral("reset background"), QStringLiteral("reset text"),
                                    QStringLiteral("reset screen")}));
    EXPECT_FALSE(render->Device()->CursorShown());
    EXPECT_TRUE(render->Device()->AlphaBlend());
    EXPECT_TRUE(render->Device()->Params().windowed);
}

TEST_F(RenderDeviceTest, CreationFailuresCarryTheirMessages)
{
    const std::pair<TDxCall, QString> cases[] = {
        {TDxCall::DisplayMode, QStringLiteral("Cannot retrieve adapter display mode: error 8876086A")},
        {TDxCall::DeviceCaps, QStringLiteral("Cannot retrieve device capabilities: error 8876086A")},
        {TDxCall::CreateDevice, QStringLiteral("Cannot create Direct3D device: error 8876086A")},
        {TDxCall::CreateSprite, QStringLiteral("Cannot create sprite: error 8876086A")},
    };
    for (const auto& [call, message] : cases) {
        render->Faults().FailNext(call, DxResult::NotAvailable);
        try {
            render->CreateDevice(false);
            FAIL() << message.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), message);
            EXPECT_EQ(error.ClassName(), QStringLiteral("Exception"));
        }
        EXPECT_FALSE(render->DeviceReady());
        EXPECT_EQ(render->Device(), nullptr);
    }
}

TEST_F(RenderDeviceTest, LayersDrawInFixedOrderOverClearColour)
{
    render->CreateDevice(false);
    journal.clear();
    render->RenderFrame();
    EXPECT_EQ(journal, (QStringList{QStringLiteral("draw background"), QStringLiteral("draw screen"),
                                    QStringLiteral("draw text")}));
    EXPECT_EQ(presents, 1);
    EXPECT_EQ(Shown(10, 10), 0xFF00FF00u);   // background square
    EXPECT_EQ(Shown(60, 10), 0xFF0000FFu);   // screen objects over it
    EXPECT_EQ(Shown(110, 10), 0xFFFFFF00u);  // text window over those
    EXPECT_EQ(Shown(500, 500), 0xFFFF0000u); // clear colour from the background
}

TEST_F(RenderDeviceTest, HiddenBackgroundClearsToBlackWhateverItsColour)
{
    render->CreateDevice(false);
    background.SetVisible(false);
    render->RenderFrame();
    EXPECT_EQ(Shown(500, 500), 0xFF000000u);
}

TEST_F(RenderDeviceTest, FrameNeededOnlyAfterChangeAndWhileSuspendedNothingRenders)
{
    render->CreateDevice(false);
    EXPECT_TRUE(render->FrameNeeded());
    render->RenderFrame();
    EXPECT_FALSE(render->FrameNeeded());
    render->Invalidate();
    EXPECT_TRUE(render->FrameNeeded());

    render->SuspendRepaint();
    EXPECT_FALSE(render->FrameNeeded());
    render->RenderFrame();
    EXPECT_EQ(presents, 1);
    EXPECT_EQ(clock.TickCount(), 1u);  // no pause while suspended
    render->ResumeRepaint();
    EXPECT_TRUE(render->FrameNeeded());
    render->RenderFrame();
    EXPECT_EQ(presents, 2);
}

TEST_F(RenderDeviceTest, LostDeviceCycleReleasesRetriesAndRestores)
{
    render->CreateDevice(false);
    render->Device()->SimulateState(TDeviceState::Lost);
    render->RenderFrame();  // Present reports the loss: not an error
    EXPECT_FALSE(render->DeviceReady());
    EXPECT_TRUE(render->FrameNeeded());
    EXPECT_EQ(presents, 0);

    journal.clear();
    render->RenderFrame();  // still lost: nothing drawn, 10 ms pause
    EXPECT_EQ(clock.TickCount(), 11u);
    EXPECT_TRUE(journal.isEmpty());

    render->Device()->SimulateState(TDeviceState::NotReset);
    render->RenderFrame();
    EXPECT_TRUE(render->DeviceReady());
    EXPECT_EQ(render->Device()->ResetCount(), 1);
    EXPECT_EQ(background.lost, 1);
    EXPECT_EQ(journal.first(), QStringLiteral("lost screen"));  // reverse of the reset order
    EXPECT_TRUE(journal.contains(QStringLiteral("reset background")));
    EXPECT_EQ(journal.last(), QStringLiteral("draw text"));   // and the frame went on
    EXPECT_EQ(presents, 1);
}

TEST_F(RenderDeviceTest, FailedRestorationShowsMessageAndTerminates)
{
    render->CreateDevice(false);
    render->Device()->SimulateState(TDeviceState::NotReset);
    render->RenderFrame();
    ASSERT_FALSE(render->DeviceReady());
    textWindow.throwOnReset = true;
    render->RenderFrame();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Failed|Cannot restore device. Exception: no memory")});
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(render->ResourcesReady());
}

TEST_F(RenderDeviceTest, FullscreenSwitchResetsOnceAndSameModeDoesNothing)
{
    render->CreateDevice(false);
    render->SetFullscreen(false);
    EXPECT_EQ(render->Device()->ResetCount(), 0);
    render->SetFullscreen(true);
    EXPECT_EQ(render->Device()->ResetCount(), 1);
    EXPECT_TRUE(render->Fullscreen());
    EXPECT_FALSE(render->Device()->Params().windowed);
    EXPECT_TRUE(render->ResourcesReady());
    EXPECT_EQ(modes, (QList<bool>{false, true}));
}

TEST_F(RenderDeviceTest, FailedRebuildAfterModeSwitchShowsMessageAndTerminates)
{
    render->CreateDevice(false);
    textWindow.throwOnReset = true;
    render->SetFullscreen(true);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Failed|Cannot restore device. Exception: no memory")});
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(render->ResourcesReady());
}

TEST_F(RenderDeviceTest, FailedModeResetTerminatesWithDeviceError)
{
    render->CreateDevice(false);
    render->Faults().FailNext(TDxCall::Reset, DxResult::InvalidCall);
    try {
        render->SetFullscreen(true);
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Device.Reset() failed: 8876086C."));
    }
    EXPECT_EQ(terminations, 1);
}

TEST_F(RenderDeviceTest, FrameStepFailuresRaiseGeneralErrors)
{
    render->CreateDevice(false);
    const std::pair<TDxCall, QString> cases[] = {
        {TDxCall::Clear, QStringLiteral("Clear failed: error 8876086C")},
        {TDxCall::BeginScene, QStringLiteral("BeginScene failed: error 8876086C")},
        {TDxCall::EndScene, QStringLiteral("EndScene failed: error 8876086C")},
        {TDxCall::Present, QStringLiteral("Present failed: error 8876086C")},
    };
    for (const auto& [call, message] : cases) {
        render->Faults().FailNext(call, DxResult::InvalidCall);
        try {
            render->RenderFrame();
            FAIL() << message.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), message);
        }
    }
    EXPECT_EQ(terminations, 1);  // only BeginScene asks to stop
}

TEST_F(RenderDeviceTest, FailedFrameTimeLineIsAGeneralError)
{
    render->SetDisplayFps(true);
    render->CreateDevice(false);
    render->Faults().FailNext(TDxCall::DrawText, DxResult::Fail);
    try {
        render->RenderFrame();
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("DrawTextW failed: error 00000000"));
    }
}

TEST_F(RenderDeviceTest, LayerErrorDoesNotWedgeLaterFrames)
{
    render->CreateDevice(false);
    screenObjects.throwOnDraw = true;
    EXPECT_THROW(render->RenderFrame(), ED3DError);
    screenObjects.throwOnDraw = false;
    EXPECT_NO_THROW(render->RenderFrame());
    EXPECT_EQ(presents, 1);
}

TEST_F(RenderDeviceTest, FrameTimeLineFormatAndSmoothing)
{
    EXPECT_EQ(render->FrameTimeText(), QStringLiteral("FPS: 10000000, TIME: 0"));
    render->CreateDevice(false);
    // Each frame takes 2 000 000 ticks: the average moves 5 % of the way.
    for (int i = 0; i < 2; ++i) {
        render->Device()->SetPresentHandler([this](const QImage&) { counterNow += 2000000; });
        render->RenderFrame();
    }
    EXPECT_EQ(render->LastRenderTicks(), 2000000);
    EXPECT_DOUBLE_EQ(render->AverageRenderTicks(), 100000.0 * 0.95 + 100000.0);
    EXPECT_EQ(render->FrameTimeText(), QStringLiteral("FPS: 51, TIME: 0.0195"));
}

TEST_F(RenderDeviceTest, FrameTimeOfTenMillisecondsReadsNinetyNine)
{
    render->CreateDevice(false);
    render->Device()->SetPresentHandler([this](const QImage&) { counterNow += 2000000; });
    for (int i = 0; i < 400; ++i)
        render->RenderFrame();  // converges on 2 000 000
    render->Device()->SetPresentHandler([this](const QImage&) { counterNow += 100000; });
    for (int i = 0; i < 1000; ++i)
        render->RenderFrame();  // and back down to 100 000
    EXPECT_NEAR(render->AverageRenderTicks(), 100000.0, 1.0);
    EXPECT_EQ(render->FrameTimeText(), QStringLiteral("FPS: 99, TIME: 0.01"));
}

TEST_F(RenderDeviceTest, DisplayFpsDrawsBlueLineAtTopLeftOfBlackScreen)
{
    background.SetVisible(false);
    screenObjects.SetVisible(false);
    textWindow.SetVisible(false);
    render->SetDisplayFps(true);
    render->CreateDevice(false);
    render->RenderFrame();
    int blue = 0, other = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb p = Shown(x, y);
            if (qBlue(p) > 128 && qRed(p) < 64 && qGreen(p) < 64)
                ++blue;
            else if (p != 0xFF000000u && qRed(p) > 32)
                ++other;
        }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(Shown(600, 400), 0xFF000000u);
    TTempDir dir;
    const QString file = dir.File(QStringLiteral("shot.png"));
    ASSERT_TRUE(render->SaveScreenshot(file));
    render->ReleaseDevice();  // the last frame outlives the device
    EXPECT_TRUE(render->SaveScreenshot(file));
    EXPECT_EQ(QImage(file).size(), QSize(1024, 768));
}

TEST_F(RenderDeviceTest, CursorPictureFollowsMouseAndInvalidatesWhenShown)
{
    TTempDir dir;
    QImage arrow(4, 4, QImage::Format_ARGB32);
    arrow.fill(0xFFFFFFFFu);
    render->CreateDevice(false);
    render->MouseCursorPicture().LoadFromFile(dir.Write(QStringLiteral("cursor.png"), EncodeImage(arrow, "png")));
    render->RenderFrame();
    render->SetMousePos(QPoint(300, 300));
    EXPECT_FALSE(render->FrameNeeded());  // hidden cursor: moving costs no frame
    render->ShowMouseCursorPicture(true);
    render->RenderFrame();
    render->SetMousePos(QPoint(400, 300));
    EXPECT_TRUE(render->FrameNeeded());
    render->RenderFrame();
    EXPECT_EQ(Shown(398, 298), 0xFFFFFFFFu);  // drawn at (x - 2, y - 2)
    EXPECT_EQ(Shown(397, 298), 0xFFFF0000u);
    EXPECT_EQ(Shown(401, 301), 0xFFFFFFFFu);
    EXPECT_EQ(Shown(402, 302), 0xFFFF0000u);
}

TEST_F(RenderDeviceTest, FramesAreDrawnAtTheViewportsPixelsAndScreenshotsAtTheGameScreen)
{
    render->CreateDevice(false);
    render->SetViewportSize(QSize(1024, 768), 2.0);  // a dense screen
    render->RenderFrame();
    EXPECT_EQ(render->PresentedImage().size(), QSize(2048, 1536));
    EXPECT_EQ(textWindow.Scale().x, 1.0);  // layers draw in game units; the device scales
    EXPECT_EQ(render->Device()->ViewTransform(), MatrixScaling(2.0, 2.0));
    TTempDir dir;
    const QString file = dir.File(QStringLiteral("shot.png"));
    ASSERT_TRUE(render->SaveScreenshot(file));
    EXPECT_EQ(QImage(file).size(), QSize(1024, 768));
    EXPECT_EQ(render->RenderSize(), QSize(2048, 1536));  // the viewport goes on sharp

    render->SetViewportSize(QSize(1920, 1080), 1.0);
    render->SetFullscreen(true);  // between black bars: the 4:3 part only
    EXPECT_EQ(render->RenderSize(), QSize(1440, 1080));
    EXPECT_EQ(render->Device()->BackBuffer().size(), QSize(1440, 1080));
}
