#include "render/SelboxControl.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

class SelectionBoxTest : public testing::Test {
protected:
    SelectionBoxTest()
    {
        fonts.SetDevice(device);
        box.SetDevice(device);
        box.DeviceReset();
        box.ResetLook();
        box.SetCenter(QPoint(512, 400));
    }

    std::shared_ptr<TDxFont> Font() { return fonts.GetFont(QStringLiteral("Lucida Sans Unicode"), 16, 0); }
    int LineHeight() { return Font()->Metrics().height(); }
    int TextWidth(const QString& text) { return Font()->Metrics().horizontalAdvance(text); }

    TVirtualClock clock;
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TFontManager fonts;
    TSelectionBox box{fonts, clock};
};

} // namespace

TEST_F(SelectionBoxTest, ColumnIsCentredAndTheBoxGrowsByTheMargins)
{
    for (const char* item : {"Yes", "No", "Perhaps later"})
        box.AddItem(QString::fromUtf8(item));
    box.UpdateLayout();
    const int h = LineHeight();
    const std::vector<TRect>& rects = box.ItemRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].top, 400 - 3 * h / 2);
    EXPECT_EQ(rects[1].top, rects[0].bottom);
    EXPECT_EQ(rects[2].bottom, rects[0].top + 3 * h);
    const int widest = TextWidth(QStringLiteral("Perhaps later"));
    EXPECT_EQ(rects[2].left, 512 - widest / 2);
    EXPECT_EQ(rects[1].left, rects[2].left + (widest - TextWidth(QStringLiteral("No"))) / 2);
    EXPECT_EQ(box.BoxRect(), (TRect{rects[2].left - 40, rects[0].top - 20, rects[2].right + 40, rects[2].bottom + 20}));
    EXPECT_EQ(box.Box().BoxWidth(), box.BoxRect().Width());
}

TEST_F(SelectionBoxTest, LongChoicesAreCutToTheWidthLeftBesideTheCursors)
{
    TTempDir dir;
    QImage cursor(24, 10, QImage::Format_ARGB32);
    cursor.fill(Qt::red);
    const QString file = dir.Write("cursor.png", EncodeImage(cursor, "png"));
    box.AddItem(QString(10000, u'W'));
    box.AddItem(QString());
    box.UpdateLayout();
    EXPECT_EQ(box.ItemRects()[0].Width(), 1024 - 80);
    EXPECT_EQ(box.ItemRects()[1].Height(), LineHeight());  // an empty choice keeps a line
    box.LeftCursor().LoadFromFile(file);
    EXPECT_TRUE(box.LayoutDirty());
    box.UpdateLayout();
    EXPECT_EQ(box.ItemRects()[0].Width(), 1024 - 80 - 24);
}

TEST_F(SelectionBoxTest, HitTestFindsChoicesButNotTheMarginsAround)
{
    box.AddItem(QStringLiteral("First choice"));
    box.AddItem(QStringLiteral("Second"));
    EXPECT_EQ(box.HitTest(QPoint(512, 400 - LineHeight() / 2)), 0);  // lays out without a frame
    const TRect second = box.ItemRects()[1];
    EXPECT_EQ(box.HitTest(QPoint(second.left, second.top)), 1);
    EXPECT_EQ(box.HitTest(QPoint(second.right, second.top)), -1);  // right edge excluded
    EXPECT_EQ(box.HitTest(QPoint(second.left - 2, second.top)), -1);  // inside the box, beside the text
    EXPECT_EQ(box.HitTest(QPoint(512, box.BoxRect().top + 1)), -1);
    EXPECT_EQ(box.HitTest(QPoint(-5, 9999)), -1);
}

TEST_F(SelectionBoxTest, ANewHighlightAndHidingAskForAFrame)
{
    box.AddItem(QStringLiteral("a"));
    box.SetVisible(true);
    TDxSprite sprite(device);
    auto drawn = [&] {
        sprite.Begin(0);
        box.Draw(sprite);
        sprite.End();
        box.ClearChanged();
        return box.Update(0);
    };
    EXPECT_FALSE(drawn());
    box.Select(0);
    EXPECT_TRUE(box.Update(0));
    EXPECT_FALSE(drawn());
    box.SetVisible(false);
    EXPECT_TRUE(box.Update(0));
}
