#include "render/TextboxControl.h"

#include "RenderTestUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TStringChunk Chunk(const QString& text, uint8_t style = 0, TColorValue color = 0xFFFFFF)
{
    return {TFontManager::MakeFontInfo(QStringLiteral("Arial"), 16, style, color), text, false};
}

class TextScrollerTest : public testing::Test {
protected:
    TextScrollerTest()
    {
        fonts.SetDevice(device);
        scroller.SetManager(&fonts);
        scroller.SetDevice(device);
        scroller.DeviceReset();
        scroller.SetSpeed(8);
        device->BackBuffer().fill(Qt::black);
        sprite.Begin(0);
    }
    ~TextScrollerTest() override { sprite.End(); }

    int Width(const QString& text) { return fonts.GetFont(QStringLiteral("Arial"), 16, 0)->Metrics().horizontalAdvance(text); }
    int Height() { return fonts.GetFont(QStringLiteral("Arial"), 16, 0)->Metrics().height(); }

    // Draws the block revealed up to `position` into `rect`.
    TTextEnd DrawAt(const TTextBlock& block, int32_t position, TRect rect = {100, 100, 600, 300})
    {
        scroller.SetChunks(block);
        scroller.SetPosition(position);
        return scroller.DrawIn(sprite, rect);
    }

    TVirtualClock clock;
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TFontManager fonts;
    TTextScroller scroller{clock};
    TDxSprite sprite{device};
};

} // namespace

TEST_F(TextScrollerTest, TypewriterRevealsWholeStepsAndCarriesTheRemainder)
{
    scroller.SetChunks({Chunk(QString(40, u'x'))});
    clock.Advance(100);
    EXPECT_TRUE(scroller.Update(0));
    EXPECT_EQ(scroller.Position(), 12);
    EXPECT_EQ(scroller.Accumulated(), 4u);
    clock.Advance(1000);
    scroller.Update(0);
    EXPECT_EQ(scroller.Position(), 40);  // never past the text
    EXPECT_FALSE(scroller.IsTyping());
}

TEST_F(TextScrollerTest, SpeedZeroOrLessShowsEverythingAtOnceNeverDividing)
{
    scroller.SetChunks({Chunk(QStringLiteral("abcdef"))});
    scroller.SetSpeed(0);
    clock.Advance(5);
    EXPECT_TRUE(scroller.Update(0));
    EXPECT_EQ(scroller.Position(), 7);
    scroller.SetSpeed(-3);
    scroller.SetChunks({Chunk(QStringLiteral("abc"))});
    EXPECT_EQ(scroller.Position(), 4);
    EXPECT_FALSE(scroller.IsTyping());
}

TEST_F(TextScrollerTest, SpacesMakeOneHalfSizeGapAndPositionShowsOneMoreCharacter)
{
    const int left = 100;
    EXPECT_EQ(DrawAt({Chunk(QStringLiteral("ab   cd"))}, 7).x, left + Width("ab") + 8 + Width("cd"));
    EXPECT_EQ(scroller.Position(), 8);  // laid out whole: typing ends
    EXPECT_EQ(DrawAt({Chunk(QStringLiteral("ab ")), Chunk(QStringLiteral("cd"))}, 7).x, left + Width("ab") + 8 + Width("cd"));
    EXPECT_EQ(DrawAt({Chunk(QStringLiteral("abcdef"))}, 3).x, left + Width("abcd"));
    EXPECT_EQ(DrawAt({Chunk(QStringLiteral("abcdef"))}, 5).x, left + Width("abcdef"));
    EXPECT_EQ(scroller.Position(), 5);  // all six shown, still typing
}

TEST_F(TextScrollerTest, WordWiderThanTheLineIsClippedAndTheNextWraps)
{
    const TRect rect{100, 100, 160, 300};
    const TTextEnd end = DrawAt({Chunk(QStringLiteral("WWWWWWWWWWWW x"))}, 100, rect);
    EXPECT_EQ(end.y, 100 + Height());
    EXPECT_EQ(end.x, 100 + Width("x"));
    for (int y = 100; y < 100 + Height(); ++y)
        EXPECT_EQ(BackPixel(*device, 160 + 16 / 4 + 1, y), qRgb(0, 0, 0)) << y;
}

TEST_F(TextScrollerTest, TextBelowTheAreaIsCutOffAndEndsTyping)
{
    const TTextBlock block{Chunk(QStringLiteral("one two three four five six seven"))};
    const TRect oneLine{0, 0, 60, 0};
    DrawAt(block, 0, {0, 0, 60, Height()});
    EXPECT_TRUE(scroller.IsTyping());  // one letter shown, the rest to come
    const TTextEnd end = DrawAt(block, 12, {0, 0, 60, Height()});
    EXPECT_FALSE(scroller.IsTyping());
    EXPECT_EQ(scroller.Position(), scroller.Total() + 1);
    EXPECT_EQ(end.y, Height());  // wrapped once, then found no room
    DrawAt(block, 0, oneLine);
    EXPECT_FALSE(scroller.IsTyping());
}

TEST_F(TextScrollerTest, UnderlineAndStrikeoutAreDrawnFromTheLeftEdgeInTheRunColour)
{
    const TTextEnd end = DrawAt({Chunk(QStringLiteral("ab cd"), FontStyle::Underline | FontStyle::Strikeout, 0x0000FF)},
                                10, {0, 0, 400, 100});
    const int bottom = Height() - 1;
    EXPECT_EQ(BackPixel(*device, 0, bottom), qRgb(255, 0, 0));
    EXPECT_EQ(BackPixel(*device, end.x - 1, bottom), qRgb(255, 0, 0));
    EXPECT_EQ(BackPixel(*device, 1, Height() * 3 / 5), qRgb(255, 0, 0));
    EXPECT_EQ(BackPixel(*device, end.x + 2, bottom), qRgb(0, 0, 0));
}

TEST_F(TextScrollerTest, LineBreaksStartNewLinesAndCharactersAreNeverHalved)
{
    TTextBlock block{Chunk(QStringLiteral("top")), Chunk(QStringLiteral("a\U0001F600b"))};
    block[0].LineBreak = true;
    const TTextEnd end = DrawAt(block, 4);
    EXPECT_EQ(end.y, 100 + Height());
    EXPECT_EQ(end.x, 100 + Width(QStringLiteral("a\U0001F600")));
}

TEST_F(TextScrollerTest, MarkupSizesBeyondTheFontRangeAreDrawnAtItsEnds)
{
    TStringChunk huge = Chunk(QStringLiteral("x"));
    huge.Font.size = 100000;
    EXPECT_EQ(DrawAt({huge}, 1, {0, 0, 1000, 768}).lineHeight,
              fonts.GetFont(QStringLiteral("Arial"), MaxFontPoints, 0)->Metrics().height());
    huge.Font.size = -7;
    EXPECT_EQ(DrawAt({huge}, 1).lineHeight, fonts.GetFont(QStringLiteral("Arial"), MinFontPoints, 0)->Metrics().height());
}

TEST(TextBoxTest, ResetLookRestoresTheWindowAndClickCompletesTyping)
{
    TVirtualClock clock;
    TFontManager fonts;
    TTextBox box(fonts, clock);
    box.SetBounds({0, 0, 10, 10});
    box.SetSpeed(100);
    box.SetName(QStringLiteral("Anna"));
    box.SetVisible(false);
    box.ResetLook();
    EXPECT_EQ(box.Bounds(), (TRect{10, 585, 1014, 763}));
    EXPECT_EQ(box.GetTextRect(), (TRect{30, 605, 994, 743}));
    EXPECT_EQ(box.Box().BoxWidth(), 1004);
    EXPECT_EQ(box.Speed(), 8);
    EXPECT_FALSE(box.HasName());
    EXPECT_TRUE(box.Visible());
    EXPECT_EQ(box.CharTextFont().color, 0xFFFF00u);
    EXPECT_TRUE(box.Contains({10, 585}));
    EXPECT_FALSE(box.Contains({1014, 700}));

    box.SetText({Chunk(QStringLiteral("hello"))});
    EXPECT_TRUE(box.IsTyping());
    box.CompleteTyping();
    EXPECT_FALSE(box.IsTyping());
}

namespace {

class TextBoxDrawTest : public testing::Test {
protected:
    TextBoxDrawTest()
    {
        fonts.SetDevice(device);
        box.SetDevice(device);
        box.DeviceReset();
        box.ResetLook();
        box.SetBoxAlpha(0);
        box.SetSpeed(0);
    }

    // The bounding box of the pixels of one colour.
    QRect Find(QRgb color)
    {
        QRect found;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x)
                if (BackPixel(*device, x, y) == color)
                    found |= QRect(x, y, 1, 1);
        return found;
    }

    QRect Paint()
    {
        device->BackBuffer().fill(Qt::black);
        TDxSprite sprite(device);
        sprite.Begin(0);
        box.Draw(sprite);
        sprite.End();
        return Find(qRgb(255, 0, 0));
    }

    TVirtualClock clock;
    std::shared_ptr<TDxDevice> device = MakeTestDevice();
    TFontManager fonts;
    TTextBox box{fonts, clock};
};

} // namespace

TEST_F(TextBoxDrawTest, EmptyAutomaticNameStillMovesTheTextBelowANameLine)
{
    box.SetText({Chunk(QStringLiteral("I"), 0, 0x0000FF)});
    const QRect narration = Paint();
    box.SetName(QString());
    const QRect named = Paint();
    const int nameLine = fonts.GetFont(QStringLiteral("Lucida Sans Unicode"), 16, 0)->Metrics().height();
    EXPECT_EQ(named.topLeft() - narration.topLeft(), QPoint(5, nameLine + 10));
}

TEST_F(TextBoxDrawTest, CursorFollowsTheTextOrStartsTheNextLine)
{
    TTempDir dir;
    QImage green(10, 10, QImage::Format_ARGB32);
    green.fill(qRgb(0, 255, 0));
    const QString file = dir.File(QStringLiteral("cursor.png"));
    green.save(file);
    box.CursorPicture().LoadFromFile(file);
    box.SetText({Chunk(QStringLiteral("ab"), 0, 0x0000FF)});
    const QRect text = Paint();
    const QRect cursor = Find(qRgb(0, 255, 0));
    EXPECT_GE(cursor.left(), text.right());
    EXPECT_LT(cursor.top(), text.bottom());

    // The text still fits, the cursor after it no longer does.
    const int advance = fonts.GetFont(QStringLiteral("Arial"), 16, 0)->Metrics().horizontalAdvance(QStringLiteral("ab"));
    box.SetMargins(20, 20, 1014 - (30 + advance + 5), 20);
    Paint();
    const QRect wrapped = Find(qRgb(0, 255, 0));
    EXPECT_EQ(wrapped.left(), 30);
    EXPECT_GT(wrapped.top(), text.bottom());
}
