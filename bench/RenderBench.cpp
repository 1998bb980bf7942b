// One frame of a full scene, headless: a background stretched to the game
// screen, three 400-pixel character sprites, the text-window box and 60 words
// of text drawn word by word the way the text window lays them out.

#include "render/RenderDevice.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString WritePicture(const QTemporaryDir& dir, const QString& name, int width, int height, bool translucentEdges)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int alpha = translucentEdges && (x < 40 || x >= width - 40) ? 0 : 255;
            image.setPixel(x, y, qRgba(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF, alpha));
        }
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

class TBackgroundLayer : public TGraphicObject {
public:
    explicit TBackgroundLayer(TClock& clock) : picture(clock) {}
    void SetDevice(std::shared_ptr<TDxDevice> device) override
    {
        TGraphicObject::SetDevice(device);
        picture.SetDevice(device);
    }
    void Draw(TDxSprite& sprite) override
    {
        sprite.SetTransform(MatrixScaling(1024.0 / picture.Width(), 768.0 / picture.Height()));
        picture.DrawAt(sprite, 0, 0);
        sprite.SetTransform(QTransform());
    }
    TDxPicture picture;
};

class TCharacterLayer : public TGraphicObject {
public:
    explicit TCharacterLayer(TClock& clock) : sprites{TDxPicture(clock), TDxPicture(clock), TDxPicture(clock)} {}
    void SetDevice(std::shared_ptr<TDxDevice> device) override
    {
        TGraphicObject::SetDevice(device);
        for (TDxPicture& sprite : sprites)
            sprite.SetDevice(device);
    }
    void Draw(TDxSprite& sprite) override
    {
        for (int i = 0; i < 3; ++i)
            sprites[i].DrawAt(sprite, 20 + i * 320, 168);
    }
    TDxPicture sprites[3];
};

class TTextLayer : public TGraphicObject {
public:
    explicit TTextLayer(TFontManager& fonts) : fonts_(fonts) {}
    void SetDevice(std::shared_ptr<TDxDevice> device) override
    {
        TGraphicObject::SetDevice(device);
        box.SetDevice(device);
    }
    void DeviceLost() override { font_.reset(); box.DeviceLost(); }
    void Draw(TDxSprite& sprite) override
    {
        box.DrawAt(sprite, 12, 560);
        if (!font_)
            font_ = fonts_.GetFont(QStringLiteral("Lucida Sans Unicode"), 16, 0);
        int x = 32, y = 580;
        for (const QString& word : words) {
            TRect measured{x, y, 1000, 760};
            font_->DrawText(&sprite, word, measured, DrawTextFormat::CalcRect | DrawTextFormat::SingleLine, 0xFFFFFFFFu);
            if (measured.right > 990) {
                x = 32;
                y += measured.Height();
                measured = TRect{x, y, 1000, 760};
                font_->DrawText(&sprite, word, measured, DrawTextFormat::CalcRect | DrawTextFormat::SingleLine, 0xFFFFFFFFu);
            }
            font_->DrawText(&sprite, word, measured, DrawTextFormat::SingleLine, 0xFFFFFFFFu);
            x = measured.right + 8;
        }
    }
    TTransparentBox box{1000, 196, 4};
    QStringList words;

private:
    TFontManager& fonts_;
    std::shared_ptr<TDxFont> font_;
};

void BM_FullSceneFrame(benchmark::State& state)
{
    QTemporaryDir dir;
    TVirtualClock clock;
    TFontManager fonts;
    TRenderDevice render(fonts, clock, {});
    TBackgroundLayer background(clock);
    TCharacterLayer characters(clock);
    TTextLayer text(fonts);
    for (int i = 0; i < 60; ++i)
        text.words << QStringLiteral("word%1").arg(i);
    render.SetLayer(TLayerSlot::Background, &background);
    render.SetLayer(TLayerSlot::Characters, &characters);
    render.SetLayer(TLayerSlot::TextWindow, &text);
    render.SetBackgroundColor([] { return TColorValue(0); });
    render.CreateDevice(false);
    background.picture.LoadFromFile(WritePicture(dir, QStringLiteral("bg.png"), 800, 600, false));
    for (int i = 0; i < 3; ++i)
        characters.sprites[i].LoadFromFile(WritePicture(dir, QStringLiteral("c%1.png").arg(i), 400, 600, true));
    render.RenderFrame();  // warms the caches: converted textures, the font
    for (auto _ : state) {
        render.Invalidate();
        render.RenderFrame();
        benchmark::DoNotOptimize(render.PresentedImage().constBits());
    }
}
BENCHMARK(BM_FullSceneFrame)->Unit(benchmark::kMillisecond);

} // namespace

