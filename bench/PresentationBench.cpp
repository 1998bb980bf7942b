// The presentation's costs, headless at the game screen's own size:
// - one frame while the background pans, zoomed to 150 % and tinted, under
//   three 400-pixel character sprites and the text window with 60 words;
// - loading a picture for the first time (decoded) and again (from the
//   decoded-picture cache).

#include "render/BgControl.h"
#include "BenchPictures.h"

#include "render/RenderDevice.h"
#include "render/TextboxControl.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

TTextBlock SixtyWords()
{
    const QString words = QStringLiteral("the ferry came out of the rain like a grey whale and nobody on the pier said a word ");
    return {{TFontManager::MakeFontInfo(QStringLiteral("Lucida Sans Unicode"), 16, 0, 0xFFFFFF), words.repeated(3), false}};
}

void BM_PannedTintedSceneFrame(benchmark::State& state)
{
    QTemporaryDir dir;
    TVirtualClock clock;
    TFontManager fonts;
    TRenderDevice render(fonts, clock, {});
    TBgControl background(clock);
    bench::TSpriteLayer characters(clock);
    TTextBox window(fonts, clock);
    render.SetLayer(TLayerSlot::Background, &background);
    render.SetLayer(TLayerSlot::Characters, &characters);
    render.SetLayer(TLayerSlot::TextWindow, &window);
    render.SetBackgroundColor([&background] { return background.Color(); });
    render.CreateDevice(false);
    background.SetPicture(bench::WritePicture(dir, QStringLiteral("bg.jpg"), 1024, 768, false, 85));
    background.SetFit(true);
    background.SetZoom(150);
    background.SetTintColor(0x400000);
    background.SetTintAlpha(110);
    for (int i = 0; i < 3; ++i)
        characters.sprites[i].LoadFromFile(bench::WritePicture(dir, QStringLiteral("c%1.png").arg(i), 400, 600, true));
    window.ResetLook();
    window.SetName(QStringLiteral("Old Tom"));
    window.SetText(SixtyWords());
    window.CompleteTyping();
    render.RenderFrame();  // warms the caches: converted textures, fonts, measured words
    bool right = true;
    for (auto _ : state) {
        if (!background.IsAnimating()) {
            background.MoveTo(4000, right ? 700 : 324, 384);
            right = !right;
        }
        background.Update(16);
        render.Invalidate();
        render.RenderFrame();
        benchmark::DoNotOptimize(render.PresentedImage().constBits());
    }
}
// Process time: the raster engine may hand parts of a draw to worker threads.
BENCHMARK(BM_PannedTintedSceneFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A background picture of the game screen's size, as the demo's.
void LoadPicture(benchmark::State& state, bool forgetDecoded)
{
    QTemporaryDir dir;
    const QString file = bench::WritePicture(dir, QStringLiteral("bg.jpg"), 1024, 768, false, 85);
    std::shared_ptr<TDxDevice> device;
    TDirect3D().CreateDevice(0, TPresentParams{1024, 768, true}, device);
    TVirtualClock clock;
    TDxPicture picture(clock);
    picture.SetDevice(device);
    picture.LoadFromFile(file);
    for (auto _ : state) {
        if (forgetDecoded)
            device->Shared()->images.Clear();
        picture.LoadFromFile(file);
    }
}

void BM_LoadPictureFirstTime(benchmark::State& state)
{
    LoadPicture(state, true);
}
BENCHMARK(BM_LoadPictureFirstTime)->Unit(benchmark::kMillisecond);

void BM_LoadPictureAgain(benchmark::State& state)
{
    LoadPicture(state, false);
}
BENCHMARK(BM_LoadPictureAgain)->Unit(benchmark::kMillisecond);

} // namespace
