#include "render/HistoryOverlay.h"

#include "RenderTestUtils.h"

#include <gtest/gtest.h>

namespace {

THistoryLook Look()
{
    const TFontInfo font = TFontManager::MakeFontInfo(QStringLiteral("Arial"), 16, 0, 0xFFFFFF);
    return {font, font, font};
}

} // namespace

// Scrolling goes by whole entries: back as far as the oldest at the top,
// forward to the newest at the bottom, and one more step forward is the
// reader leaving.
TEST(HistoryOverlay, PagesByWholeEntriesBetweenOldestAndNewest)
{
    const std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TFontManager fonts;
    fonts.SetDevice(device);
    THistoryOverlay overlay(fonts);
    overlay.SetDevice(device);
    std::vector<THistoryEntry> entries;
    for (int i = 0; i < 60; ++i)
        entries.push_back({i % 2 ? QStringLiteral("Mira") : QString(), QStringLiteral("Line %1").arg(i), i == 30});
    overlay.Open(entries, Look());
    TDxSprite sprite(device);
    auto frame = [&] {
        device->BackBuffer().fill(Qt::white);
        sprite.Begin(0);
        overlay.Draw(sprite);
        sprite.End();
    };
    frame();
    EXPECT_EQ(overlay.LastShown(), 59);
    const int shown = overlay.LastShown() - overlay.FirstShown() + 1;
    EXPECT_GT(shown, 5);
    EXPECT_LT(shown, 60);
    EXPECT_LT(qGray(BackPixel(*device, 512, 400)), 60) << "the panel darkens the game";
    EXPECT_FALSE(overlay.Scroll(-1));

    EXPECT_TRUE(overlay.ScrollPage(1));
    frame();
    EXPECT_EQ(overlay.LastShown(), 59 - (shown - 1));
    for (int i = 0; i < 10; ++i) {
        overlay.ScrollPage(1);
        frame();
    }
    EXPECT_EQ(overlay.FirstShown(), 0);
    EXPECT_EQ(overlay.LastShown() - overlay.FirstShown() + 1, shown) << "the oldest page is full too";
    EXPECT_TRUE(overlay.Scroll(1));
    EXPECT_EQ(overlay.FirstShown(), 0);
}
