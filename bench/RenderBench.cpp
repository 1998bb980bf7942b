// One frame of a full scene, headless: a background stretched to the game
// screen, three 400-pixel character sprites, the text-window box and 60 words
// of text drawn word by word the way the text window lays them out.

#include "BenchPictures.h"

#include "render/RenderDevice.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

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
    bench::TSpriteLayer characters(clock);
    TTextLayer text(fonts);
    for (int i = 0; i < 60; ++i)
        text.words << QStringLiteral("word%1").arg(i);
    render.SetLayer(TLayerSlot::Background, &background);
    render.SetLayer(TLayerSlot::Characters, &characters);
    render.SetLayer(TLayerSlot::TextWindow, &text);
    render.SetBackgroundColor([] { return TColorValue(0); });
    render.CreateDevice(false);
    background.picture.LoadFromFile(bench::WritePicture(dir, QStringLiteral("bg.png"), 800, 600, false));
    for (int i = 0; i < 3; ++i)
        characters.sprites[i].LoadFromFile(bench::WritePicture(dir, QStringLiteral("c%1.png").arg(i), 400, 600, true));
    render.RenderFrame();  // warms the caches: converted textures, the font
    for (auto _ : state) {
        render.Invalidate();
        render.RenderFrame();
        benchmark::DoNotOptimize(render.PresentedImage().constBits());
    }
}
BENCHMARK(BM_FullSceneFrame)->Unit(benchmark::kMillisecond);

} // namespace

