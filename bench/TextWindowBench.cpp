// The text window's paint: about 60 words in three runs of different fonts,
// wrapping over four lines below a speaker's name, laid out and drawn as
// every frame does it; and the same while typing moves on one character per
// paint.

#include "render/TextboxControl.h"

#include <benchmark/benchmark.h>

namespace {

TTextBlock SixtyWords()
{
    const QString words =
        QStringLiteral("the ferry came out of the rain like a grey whale and nobody on the old pier said a single word ");
    TTextBlock block;
    block.append({TFontManager::MakeFontInfo(QStringLiteral("Lucida Sans Unicode"), 18, 0, 0xFFFFFF), words, false});
    block.append({TFontManager::MakeFontInfo(QStringLiteral("Arial"), 20, FontStyle::Bold | FontStyle::Underline, 0x00FFFF),
                  words, false});
    block.append({TFontManager::MakeFontInfo(QStringLiteral("Times New Roman"), 18, FontStyle::Italic, 0xFFFF00), words,
                  false});
    return block;
}

struct TWindowBench {
    TWindowBench()
    {
        device->SetAlphaBlend(true);
        fonts.SetDevice(device);
        window.SetDevice(device);
        window.DeviceReset();
        window.ResetLook();
        window.SetName(QStringLiteral("Old Tom"));
        window.SetText(SixtyWords());
        sprite.Begin(0);
    }
    ~TWindowBench() { sprite.End(); }

    std::shared_ptr<TDxDevice> device = [] {
        std::shared_ptr<TDxDevice> made;
        TDirect3D().CreateDevice(0, TPresentParams{1024, 768, true}, made);
        return made;
    }();
    TVirtualClock clock;
    TFontManager fonts;
    TTextBox window{fonts, clock};
    TDxSprite sprite{device};
};

void BM_TextWindowPaint(benchmark::State& state)
{
    TWindowBench bench;
    bench.window.CompleteTyping();
    bench.window.Draw(bench.sprite);  // fonts made and words measured once
    for (auto _ : state)
        bench.window.Draw(bench.sprite);
    // The line the text ends on, counted from 0 below the name: 3 for four lines.
    const TTextEnd end = bench.window.Scroller().DrawIn(bench.sprite, bench.window.GetTextRect());
    state.counters["last_line"] = end.lineHeight ? (end.y - bench.window.GetTextRect().top) / end.lineHeight : 0;
}
BENCHMARK(BM_TextWindowPaint)->Unit(benchmark::kMicrosecond);

// Each paint reveals one more character, as typing at full frame rate does.
void BM_TextWindowTypingPaint(benchmark::State& state)
{
    TWindowBench bench;
    TTextScroller& scroller = bench.window.Scroller();
    int32_t position = 0;
    for (auto _ : state) {
        if (position >= scroller.Total())
            position = 0;
        scroller.SetPosition(position++);
        bench.window.Draw(bench.sprite);
    }
}
BENCHMARK(BM_TextWindowTypingPaint)->Unit(benchmark::kMicrosecond);

} // namespace
