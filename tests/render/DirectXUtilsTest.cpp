#include "render/DirectXUtils.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>

namespace {

uint32_t Pixel(const TDxSurface& surface, int x, int y)
{
    return surface.Pixels().pixel(x, y);
}

} // namespace

TEST(D3DError, BothMessageFormsWithUpperCaseEightDigitCode)
{
    try {
        RaiseD3DError(QStringLiteral("Sprite.Draw"), 0x8876086C);
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Sprite.Draw failed: 8876086C."));
        EXPECT_EQ(error.ClassName(), QStringLiteral("ED3DError"));
    }
    try {
        RaiseD3DError(QStringLiteral("Font.DrawTextW"));
        FAIL();
    } catch (const ED3DError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Font.DrawTextW failed."));
    }
    EXPECT_EQ(FormatResultCode(0x5), QStringLiteral("00000005"));
}

TEST(SurfaceFill, FillSurfaceWritesOnlyTheAskedPartAndNeverPastTheEdge)
{
    TDxSurface surface(8, 4, std::make_shared<TDxShared>());
    ASSERT_EQ(FillSurface(surface, 3, 2, 0xFF112233u), DxResult::Ok);
    EXPECT_EQ(Pixel(surface, 2, 1), 0xFF112233u);
    EXPECT_EQ(Pixel(surface, 3, 1), 0u);
    EXPECT_EQ(Pixel(surface, 2, 2), 0u);
    // A size beyond the surface is clipped, not written out of bounds.
    EXPECT_EQ(FillSurface(surface, 100, 100, 0xFFFFFFFFu), DxResult::Ok);
    EXPECT_EQ(Pixel(surface, 7, 3), 0xFFFFFFFFu);
}

TEST(SurfaceFill, StrokeRectDrawsInsideFrameAndFillsWhenFrameMeetsItself)
{
    auto shared = std::make_shared<TDxShared>();
    TDxSurface surface(10, 10, shared);
    ASSERT_EQ(StrokeRect(surface, TRect{1, 1, 9, 9}, 0xFF000000u, 2), DxResult::Ok);
    EXPECT_EQ(Pixel(surface, 0, 0), 0u);           // outside the rectangle
    EXPECT_EQ(Pixel(surface, 1, 1), 0xFF000000u);
    EXPECT_EQ(Pixel(surface, 5, 2), 0xFF000000u);  // second top row
    EXPECT_EQ(Pixel(surface, 5, 3), 0u);           // interior
    EXPECT_EQ(Pixel(surface, 7, 5), 0xFF000000u);  // right band
    EXPECT_EQ(Pixel(surface, 6, 5), 0u);
    EXPECT_EQ(Pixel(surface, 5, 8), 0xFF000000u);  // last row of the rectangle
    EXPECT_EQ(Pixel(surface, 5, 9), 0u);

    TDxSurface narrow(10, 10, shared);
    ASSERT_EQ(StrokeRect(narrow, TRect{0, 0, 4, 10}, 0xFF00FF00u, 2), DxResult::Ok);
    EXPECT_EQ(Pixel(narrow, 2, 5), 0xFF00FF00u);   // 2 x 2 >= width 4: filled
}

TEST(SurfaceFill, PlannedLockFailureIsReported)
{
    auto shared = std::make_shared<TDxShared>();
    TDxSurface surface(4, 4, shared);
    shared->faults.FailNext(TDxCall::LockRect, DxResult::InvalidCall);
    EXPECT_EQ(FillRect(surface, TRect{0, 0, 4, 4}, 1), DxResult::InvalidCall);
    EXPECT_EQ(FillRect(surface, TRect{0, 0, 4, 4}, 1), DxResult::Ok);  // once only
}

// New surfaces of one size share their blank pixels until written to.
TEST(SurfaceFill, WritingOneNewSurfaceLeavesTheOthersBlank)
{
    auto shared = std::make_shared<TDxShared>();
    TDxSurface first(8, 8, shared), second(8, 8, shared);
    ASSERT_EQ(FillRect(first, TRect{0, 0, 8, 8}, 0xFF112233u), DxResult::Ok);
    EXPECT_EQ(Pixel(first, 3, 3), 0xFF112233u);
    EXPECT_EQ(Pixel(second, 3, 3), 0u);
    EXPECT_EQ(Pixel(TDxSurface(8, 8, shared), 3, 3), 0u);
    shared->faults.FailNext(TDxCall::LockRect, DxResult::InvalidCall);
    EXPECT_EQ(FillRect(second, TRect{0, 0, 8, 8}, 0), DxResult::InvalidCall);  // a no-op clear still locks
}

TEST(RectScaling, RoundsHalfToEvenAndUnscalesBack)
{
    const TScale half{0.5, 0.5};
    EXPECT_EQ(ScaleRect(half, TRect{1, 3, 5, 7}), (TRect{0, 2, 2, 4}));  // 0.5->0, 1.5->2, 2.5->2, 3.5->4
    const TScale twice{2.0, 3.0};
    EXPECT_EQ(ScaleRect(twice, TRect{1, 1, 10, 10}), (TRect{2, 3, 20, 30}));
    EXPECT_EQ(UnscaleRect(twice, TRect{2, 3, 20, 30}), (TRect{1, 1, 10, 10}));
    EXPECT_EQ(UnscaleX(TScale{4.0, 1.0}, 10), 2);  // 2.5 -> 2
    EXPECT_EQ(UnscaleY(TScale{1.0, 4.0}, 14), 4);  // 3.5 -> 4
}

TEST(Direct3DCreation, OnlyTheKnownVersionGivesAnObject)
{
    EXPECT_NE(CreateDirect3D(0x80000020), nullptr);
    EXPECT_EQ(CreateDirect3D(31), nullptr);
}

class LoadTextureTest : public testing::Test {
protected:
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TTempDir dir;
    std::unique_ptr<TDxTexture> texture;
    TImageInfo info;

    TResult Load(const QString& path, uint32_t key = 0) { return LoadTexture(*device, path, key, texture, info); }
};

TEST_F(LoadTextureTest, LoadsPixelsAndSizeForEachPictureFormat)
{
    const QImage image = Gradient(40, 30);
    for (const char* format : {"png", "bmp"}) {
        const QString path = dir.Write(QStringLiteral("pic.") + QLatin1String(format), EncodeImage(image, format));
        ASSERT_EQ(Load(path), DxResult::Ok) << format;
        EXPECT_EQ(info.width, 40);
        EXPECT_EQ(info.height, 30);
        EXPECT_EQ(texture->Level0().Pixels().pixel(39, 29), qRgba(39, 29, 7, 255)) << format;
    }
    const QString jpg = dir.Write(QStringLiteral("pic.jpg"), EncodeImage(image, "jpg"));
    ASSERT_EQ(Load(jpg), DxResult::Ok);
    EXPECT_EQ(info.fileFormat, TImageFileFormat::Jpg);
}

TEST_F(LoadTextureTest, ColorKeyMakesOnlyExactOpaqueMatchesTransparent)
{
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0xFFFF00FFu);   // the key
    image.setPixel(1, 0, 0xFFFF00FEu);   // one step off
    image.setPixel(2, 0, 0x80FF00FFu);   // key colour but translucent
    const QString path = dir.Write(QStringLiteral("key.png"), EncodeImage(image, "png"));
    ASSERT_EQ(Load(path, 0xFFFF00FFu), DxResult::Ok);
    const QImage& pixels = texture->Level0().Pixels();
    EXPECT_EQ(pixels.pixel(0, 0), 0u);
    EXPECT_EQ(pixels.pixel(1, 0), 0xFFFF00FEu);
    EXPECT_EQ(qAlpha(pixels.pixel(2, 0)), 0x80);
}

TEST_F(LoadTextureTest, MissingTruncatedAndNonImageFilesFailWithoutTexture)
{
    const QImage image = Gradient(64, 64);
    QStringList bad;
    bad << dir.File(QStringLiteral("absent.png"));
    bad << dir.Write(QStringLiteral("text.png"), "this is not a picture");
    bad << dir.Write(QStringLiteral("empty.bmp"), QByteArray());
    for (const char* format : {"png", "bmp", "jpg"}) {
        const QByteArray whole = EncodeImage(image, format);
        bad << dir.Write(QStringLiteral("cut.") + QLatin1String(format), whole.left(whole.size() * 2 / 3));
    }
    for (const QString& path : bad) {
        texture = std::make_unique<TDxTexture>(1, 1, 1, TPool::SystemMem, device->Shared());
        EXPECT_TRUE(DxFailed(Load(path))) << path.toStdString();
        EXPECT_EQ(texture, nullptr) << path.toStdString();
    }
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0);
}

TEST_F(LoadTextureTest, PictureDecodingFarBeyondItsAnnouncedSizeIsRefusedAsBadData)
{
    // A 39-byte GIF that announces 516 x 1028 pixels, while its screen
    // height would have the decoder allocate 516 x 64453.
    const QString gif = dir.Write(QStringLiteral("tall.jpg"),
                                  QByteArray::fromBase64("R0lGODlhBALF+/EAAPUA//9gYAAAAAAAACwAAAQEQAMAAAIFhCE="));
    EXPECT_EQ(Load(gif), DxResult::InvalidData);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(LoadTextureTest, BmpWithTheOldCoreHeaderLoadsAndACutHeaderFails)
{
    // 2 x 2 pixels, 24 bits, 16-bit sizes in a 12-byte header; rows padded
    // to 8 bytes, bottom row first.
    QByteArray core("BM", 2);
    auto put = [&core](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            core.append(char((value >> (8 * i)) & 0xFF));
    };
    put(26 + 16, 4), put(0, 4), put(26, 4);
    put(12, 4), put(2, 2), put(2, 2), put(1, 2), put(24, 2);
    for (int row = 0; row < 2; ++row)
        core.append(QByteArray("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8));  // red, red
    ASSERT_EQ(Load(dir.Write(QStringLiteral("core.bmp"), core)), DxResult::Ok);
    EXPECT_EQ(texture->Level0().Pixels().pixel(1, 1), 0xFFFF0000u);

    const QByteArray whole = EncodeImage(Gradient(4, 4), "bmp");
    for (int size : {34, 36})
        EXPECT_TRUE(DxFailed(Load(dir.Write(QStringLiteral("head.bmp"), whole.left(size))))) << size;
}

TEST_F(LoadTextureTest, PathLetterCaseAndBackslashesAreForgiven)
{
    dir.Write(QStringLiteral("Images/Hero.PNG"), EncodeImage(Gradient(4, 4), "png"));
    EXPECT_EQ(Load(dir.Path() + QStringLiteral("\\images\\hero.png")), DxResult::Ok);
}

TEST(DeviceReset, RefusedWhileDefaultPoolTexturesLive)
{
    auto device = MakeTestDevice();
    std::unique_ptr<TDxTexture> texture;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, TPool::Default, texture), DxResult::Ok);
    EXPECT_EQ(device->Reset(device->Params()), DxResult::InvalidCall);
    texture.reset();
    EXPECT_EQ(device->Reset(device->Params()), DxResult::Ok);
}

TEST(DeviceReset, LostDeviceReportsThroughPresentAndCooperativeLevel)
{
    auto device = MakeTestDevice();
    device->SimulateState(TDeviceState::Lost);
    EXPECT_EQ(device->Present(), DxResult::DeviceLost);
    EXPECT_EQ(device->TestCooperativeLevel(), DxResult::DeviceLost);
    EXPECT_EQ(device->Reset(device->Params()), DxResult::DeviceLost);
    device->SimulateState(TDeviceState::NotReset);
    EXPECT_EQ(device->TestCooperativeLevel(), DxResult::DeviceNotReset);
    EXPECT_EQ(device->Reset(device->Params()), DxResult::Ok);
    EXPECT_EQ(device->TestCooperativeLevel(), DxResult::Ok);
}

class SpriteTest : public testing::Test {
protected:
    std::shared_ptr<TDxDevice> device = MakeTestDevice(64, 64);
    std::unique_ptr<TDxSprite> sprite;
    std::unique_ptr<TDxTexture> texture;

    void SetUp() override
    {
        ASSERT_EQ(TDxSprite::Create(device, sprite), DxResult::Ok);
        ASSERT_EQ(device->CreateTexture(4, 4, 1, TPool::Default, texture), DxResult::Ok);
        TDxSurface* level = nullptr;
        texture->GetSurfaceLevel(0, level);
        FillSurface(*level, 4, 4, 0xFFFFFFFFu);
        device->Clear(0xFF000000u);
    }
};

TEST_F(SpriteTest, ModulatingAlphaFadesThePicture)
{
    sprite->Begin(0);
    ASSERT_EQ(sprite->Draw(*texture, nullptr, QPointF(10, 10), 0x80FFFFFFu), DxResult::Ok);
    sprite->End();
    EXPECT_NEAR(qRed(BackPixel(*device, 11, 11)), 128, 2);
    EXPECT_EQ(BackPixel(*device, 9, 9), 0xFF000000u);
}

TEST_F(SpriteTest, TransformScalesAndPlacesTheDraw)
{
    sprite->Begin(0);
    sprite->SetTransform(MatrixTransformation2D(2.0, 3.0, 20, 5));
    ASSERT_EQ(sprite->Draw(*texture, nullptr, QPointF(0, 0), 0xFFFFFFFFu), DxResult::Ok);
    sprite->End();
    EXPECT_EQ(BackPixel(*device, 20, 5), 0xFFFFFFFFu);
    EXPECT_EQ(BackPixel(*device, 27, 16), 0xFFFFFFFFu);  // 4 x 2 wide, 4 x 3 high
    EXPECT_EQ(BackPixel(*device, 29, 5), 0xFF000000u);
    EXPECT_EQ(BackPixel(*device, 20, 18), 0xFF000000u);
}

// The second draw at the same scale comes from a scaled copy; it must land on
// the same pixels, and a change of the texture must not show the old copy.
TEST_F(SpriteTest, RepeatedScaledDrawsMatchAndFollowTheTexture)
{
    TDxSurface* level = nullptr;
    texture->GetSurfaceLevel(0, level);
    FillRect(*level, TRect{2, 0, 4, 4}, 0xFF0000FFu);
    auto draw = [&] {
        device->Clear(0xFF000000u);
        sprite->Begin(0);
        sprite->SetTransform(MatrixTransformation2D(5.0, 5.0, 10.5, 10));
        sprite->Draw(*texture, nullptr, QPointF(0, 0), 0xFFFFFFFFu);
        sprite->End();
        return std::array{BackPixel(*device, 13, 12), BackPixel(*device, 27, 25), BackPixel(*device, 32, 20)};
    };
    const auto first = draw();
    EXPECT_EQ(first[0], 0xFFFFFFFFu);
    EXPECT_EQ(first[1], 0xFF0000FFu);
    EXPECT_EQ(first[2], 0xFF000000u);  // 4 x 5 wide from 10.5
    EXPECT_EQ(draw(), first);
    EXPECT_EQ(draw(), first);
    FillSurface(*level, 4, 4, 0xFF00FF00u);
    EXPECT_EQ(draw()[0], 0xFF00FF00u);
}

// An enlarged back buffer goes through the view transform: text must grow
// with the pictures and positions, or it shrinks inside its own window.
TEST_F(SpriteTest, ViewTransformScalesTextWithThePictures)
{
    std::shared_ptr<TDxFont> font;
    ASSERT_EQ(TDxFont::Create(device, TFontDesc{-10, 0, 400, false, QStringLiteral("DejaVu Sans")}, font), DxResult::Ok);
    auto inkRight = [&] {
        device->Clear(0xFF000000u);
        sprite->Begin(0);
        TRect rect{0, 0, 64, 64};
        font->DrawText(sprite.get(), QStringLiteral("ii"), rect, DrawTextFormat::Left, 0xFFFFFFFFu);
        sprite->Draw(*texture, nullptr, QPointF(0, 20), 0xFFFFFFFFu);
        sprite->End();
        int right = 0;
        for (int x = 0; x < 64; ++x)
            for (int y = 0; y < 16; ++y)
                if (BackPixel(*device, x, y) != 0xFF000000u)
                    right = std::max(right, x);
        return right;
    };
    const int plain = inkRight();
    EXPECT_EQ(BackPixel(*device, 5, 21), 0xFF000000u);
    device->SetViewTransform(MatrixScaling(2.0, 2.0));
    const int doubled = inkRight();
    EXPECT_NEAR(doubled, 2 * plain, 2);
    EXPECT_EQ(BackPixel(*device, 5, 41), 0xFFFFFFFFu);  // the picture moved and grew too
}

TEST_F(SpriteTest, DrawOutsideBeginIsRefused)
{
    EXPECT_EQ(sprite->Draw(*texture, nullptr, QPointF(0, 0), 0xFFFFFFFFu), DxResult::InvalidCall);
}

TEST_F(SpriteTest, FontMeasuresWithoutDrawingAndDrawsCentred)
{
    std::shared_ptr<TDxFont> font;
    TFontDesc desc;
    desc.height = -16;
    desc.faceName = QStringLiteral("DejaVu Sans");
    ASSERT_EQ(TDxFont::Create(device, desc, font), DxResult::Ok);
    TRect measured{0, 0, 64, 64};
    const int height = font->DrawText(sprite.get(), QStringLiteral("ii"), measured,
                                      DrawTextFormat::CalcRect | DrawTextFormat::SingleLine, 0xFFFFFFFFu);
    EXPECT_GT(height, 0);
    EXPECT_EQ(measured.bottom, height);
    EXPECT_GT(measured.right, 0);
    EXPECT_LT(measured.right, 64);
    for (int x = 0; x < 64; ++x)
        ASSERT_EQ(BackPixel(*device, x, 8), 0xFF000000u) << "measuring drew at " << x;
    // Line breaks count unless the text is to stay on one line.
    TRect twoLines{0, 0, 64, 64};
    EXPECT_GE(font->DrawText(sprite.get(), QStringLiteral("ii\nii"), twoLines, DrawTextFormat::CalcRect, 0xFFFFFFFFu),
              2 * height);
    EXPECT_EQ(twoLines.right, measured.right);
    TRect oneLine{0, 0, 64, 64};
    EXPECT_EQ(font->DrawText(sprite.get(), QStringLiteral("ii\nii"), oneLine,
                             DrawTextFormat::CalcRect | DrawTextFormat::SingleLine, 0xFFFFFFFFu), height);

    sprite->Begin(0);
    TRect box{0, 0, 64, 64};
    EXPECT_GT(font->DrawText(sprite.get(), QStringLiteral("W"), box, DrawTextFormat::Center, 0xFFFFFFFFu), 0);
    sprite->End();
    int left = 64, right = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 64; ++x)
            if (qRed(BackPixel(*device, x, y)) > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 32.0, 2.0);
}
