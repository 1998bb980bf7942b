// The stage's costs, headless at the game screen's own size:
// - one frame with ten 260 x 480 character sprites with transparent
//   surroundings over a background picture, under the text window;
// - the speaker part of a character line (parse, look-ups, stage update)
//   for a character of a cast of 10 or 1,000, as it speaks, moves and
//   changes pose; the text after the ":" costs what a narration line costs.

#include "BenchPictures.h"

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "interpreter/CharacterLines.h"
#include "render/BgControl.h"
#include "render/RenderDevice.h"
#include "render/TextboxControl.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct TStage {
    explicit TStage(int castSize)
    {
        QDir(dir.path()).mkpath(QStringLiteral("images"));
        bench::WritePicture(dir, QStringLiteral("images/sprite.png"), 260, 480, true);
        bench::WritePicture(dir, QStringLiteral("images/other.png"), 260, 480, true);
        render.SetLayer(TLayerSlot::Background, &background);
        render.SetLayer(TLayerSlot::Characters, &chars);
        render.SetLayer(TLayerSlot::TextWindow, &window);
        render.SetBackgroundColor([this] { return background.Color(); });
        render.AddDeviceClient({[this](const std::shared_ptr<TDxDevice>& device) { images.SetDevice(device); }, {}, {}});
        render.CreateDevice(false);
        images.SetFolder(dir.path() + QStringLiteral("/images/"));
        positions.ResetPositions();
        for (int i = 0; i < castSize; ++i) {
            const QString name = QStringLiteral("Actor%1").arg(i);
            actors.AddActor(name);
            actors.FindActor(name)->SetPose(QString(), QStringLiteral("sprite"));
            actors.FindActor(name)->SetPose(QStringLiteral("calm"), QStringLiteral("sprite"));
            actors.FindActor(name)->SetPose(QStringLiteral("other"), QStringLiteral("other"));
            positions.SetPlacement(*positions.AddOrGetPosition(QStringLiteral("p%1").arg(i)), 60 + (i % 10) * 100, 0,
                                   CharAlign::Bottom);
        }
    }
    ~TStage() { render.ReleaseDevice(); }

    QTemporaryDir dir;
    TVirtualClock clock;
    TFontManager fonts;
    TRenderDevice render{fonts, clock, {}};
    TImageManager images{clock};
    TBgControl background{clock};
    TTextBox window{fonts, clock};
    TActorManager actors;
    TPositionManager positions;
    TCharManager chars{images, clock};
    TCharacterLines lines{window, actors, positions, chars, {}};
};

void BM_TenCharactersFrame(benchmark::State& state)
{
    TStage stage(10);
    stage.background.SetPicture(bench::WritePicture(stage.dir, QStringLiteral("bg.jpg"), 1024, 768, false, 85));
    for (int i = 0; i < 10; ++i)
        stage.lines.ParseCharacterLine(QStringLiteral("Actor%1(, p%1).").arg(i));
    stage.window.ResetLook();
    stage.window.SetName(QStringLiteral("Actor9"));
    stage.window.SetText({{TFontManager::MakeFontInfo(QStringLiteral("Lucida Sans Unicode"), 16, 0, 0xFFFFFF),
                           QStringLiteral("Ten of us on the pier, and still no ferry in sight."), false}});
    stage.window.CompleteTyping();
    stage.render.RenderFrame();  // warms the caches: converted textures, fonts, measured words
    for (auto _ : state) {
        stage.render.Invalidate();
        stage.render.RenderFrame();
        benchmark::DoNotOptimize(stage.render.PresentedImage().constBits());
    }
}
// Process time: the raster engine may hand parts of a draw to worker threads.
BENCHMARK(BM_TenCharactersFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Every character of the cast is on stage; one of them speaks its lines.
void CharacterLines(benchmark::State& state, const QString& first, const QString& second)
{
    TStage stage(static_cast<int>(state.range(0)));
    for (int i = 0; i < stage.actors.Count(); ++i)
        stage.lines.ParseCharacterLine(QStringLiteral("Actor%1(, p%1).").arg(i));
    const QString lines[2] = {first, second};
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(stage.lines.ParseCharacterLine(lines[next]));
        next ^= 1;
    }
}

void BM_CharacterLineSpeaks(benchmark::State& state)
{
    CharacterLines(state, QStringLiteral("Actor7: Here I am."), QStringLiteral("Actor7: Still here."));
}
BENCHMARK(BM_CharacterLineSpeaks)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_CharacterLineMoves(benchmark::State& state)
{
    CharacterLines(state, QStringLiteral("Actor7(, p3): Over here."), QStringLiteral("Actor7(, p7): And back."));
}
BENCHMARK(BM_CharacterLineMoves)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A new pose loads its picture through the image manager (decoded once, then
// converted from the decoded-picture cache).
void BM_CharacterLineChangesPose(benchmark::State& state)
{
    CharacterLines(state, QStringLiteral("Actor7(other): Look."), QStringLiteral("Actor7(calm): Back."));
}
BENCHMARK(BM_CharacterLineChangesPose)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
